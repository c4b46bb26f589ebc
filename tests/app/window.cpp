// The window as it opens on a start directory, how the focus moves, and what closing it keeps.
#include "app/form1.h"
#include "app/startup.h"
#include "messages.h"
#include "testdir.h"
#include "widgets/dirlistbox.h"
#include "widgets/entrymodel.h"
#include "widgets/filelistbox.h"
#include "widgets/listbox.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

#include <filesystem>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Names = std::vector<std::string>;
Q_DECLARE_METATYPE(Names)

static const QString instructions =
    u"First locate your main EAW directory. When you have found it the program will check that "
    u"it contains the 'eaw.ini' file.\r\nIf it does, then the other items on this form will be "
    u"displayed.\r\nThen you will be able to copy selected folder contents to the EAW directory "
    u"by clicking the 'Load' button."_s;

static bool startIn(const std::string &directory)
{
    return QDir::setCurrent(QString::fromStdString(directory));
}

static QWidget *control(Form1 &window, const QString &name)
{
    const std::pair<QString, QWidget *> controls[] = {{u"Form1"_s, &window},
                                                      {u"Frame1"_s, window.Frame1},
                                                      {u"Dir1"_s, window.Dir1},
                                                      {u"File1"_s, window.File1},
                                                      {u"Command1"_s, window.Command1},
                                                      {u"Label3"_s, window.Label3},
                                                      {u"Frame2"_s, window.Frame2},
                                                      {u"List1"_s, window.List1},
                                                      {u"Label2"_s, window.Label2},
                                                      {u"Label1"_s, window.Label1},
                                                      {u"Image1"_s, window.Image1}};
    for (const auto &[controlName, widget] : controls) {
        if (controlName == name) {
            return widget;
        }
    }
    return nullptr;
}

static QString captionOf(QWidget *widget)
{
    if (auto *label = qobject_cast<TextLabel *>(widget)) {
        return label->caption();
    }
    if (auto *frame = qobject_cast<QGroupBox *>(widget)) {
        return frame->title();
    }
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        return button->text();
    }
    return {};
}

// Where the focus goes on each Tab from Dir1, until it is back in Dir1.
static QList<QWidget *> tabCycle(Form1 &window)
{
    window.Dir1->setFocus();
    QList<QWidget *> visited;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
        if (visited.back() == window.Dir1) {
            break;
        }
    }
    return visited;
}

// Records the text format of every message box shown while it lives.
class BoxFormats final : public QObject
{
public:
    BoxFormats() { qApp->installEventFilter(this); }
    QList<Qt::TextFormat> formats;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (auto *box = qobject_cast<QMessageBox *>(watched);
            box && event->type() == QEvent::Show) {
            formats << box->textFormat();
        }
        return false;
    }
};

class Window : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        const auto row = [](const QString &name, const QString &parent, QRect geometry,
                            const QString &caption = {}, bool visible = true, bool enabled = true) {
            QTest::newRow(qPrintable(name))
                << name << parent << geometry << caption << visible << enabled;
        };
        row(u"Frame1"_s, u"Form1"_s, {0, 0, 209, 431});
        row(u"Dir1"_s, u"Frame1"_s, {8, 16, 193, 246});
        row(u"File1"_s, u"Frame1"_s, {8, 320, 193, 97});
        row(u"Command1"_s, u"Frame1"_s, {56, 272, 97, 25}, u"Load"_s, true, false);
        row(u"Label3"_s, u"Frame1"_s, {8, 304, 193, 17}, u"Files in the selected folder"_s);
        row(u"Frame2"_s, u"Form1"_s, {210, 0, 465, 177}, {}, false);
        row(u"List1"_s, u"Frame2"_s, {8, 32, 441, 134});
        row(u"Label2"_s, u"Frame2"_s, {8, 16, 441, 17},
            u"Click on a folder listed here to delete its contents from the EAW directory"_s);
        row(u"Label1"_s, u"Form1"_s, {212, 180, 147, 249}, instructions);
        row(u"Image1"_s, u"Form1"_s, {368, 180, 303, 251});
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        TestDir start;
        start.write("FoldersLoaded.txt", "/g/a\r\n");
        QVERIFY(startIn(start.path()));
        Messages messages;
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget *widget = control(window, name);
        QCOMPARE(widget->parentWidget(), control(window, parent));
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(captionOf(widget), caption);
        QCOMPARE(!widget->isHidden(), visible);
        QCOMPARE(widget->isEnabled(), enabled);
        QVERIFY(messages.texts().isEmpty());
    }

    void startState()
    {
        TestDir start;
        start.write("readme");
        QVERIFY(startIn(start.path()));
        Messages messages;
        Form1 window;

        const QSize client(676, 432);
        QCOMPARE(window.size(), client);
        QCOMPARE(window.minimumSize(), client);
        QCOMPARE(window.maximumSize(), client);
        QCOMPARE(window.windowTitle(), u"Kestro"_s);
        QVERIFY(!(window.windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!window.windowIcon().isNull());

        // Centred before it is shown, and where it stays once shown.
        const QRect screen = window.screen()->geometry();
        const QPoint centred(screen.left() + (screen.width() - window.frameGeometry().width()) / 2,
                             screen.top() +
                                 (screen.height() - window.frameGeometry().height()) / 2);
        QCOMPARE(window.frameGeometry().topLeft(), centred);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.frameGeometry().topLeft(), centred);

        QCOMPARE(window.form.Eawtext, instructions);
        QCOMPARE(window.form.MyDir, start.path());
        QCOMPARE(window.form.EAWdir, start.path());
        QVERIFY(!window.form.EAWfound);
        QCOMPARE(window.form.EawPic, start.path("Kestro"));
        QCOMPARE(window.Dir1->path(), start.path());
        QCOMPARE(window.Dir1->selectedIndex(), -1);
        QCOMPARE(window.File1->entry(0), "readme");
        QCOMPARE(window.EAWFile.path(), start.path());
        QCOMPARE(window.Picfile.entry(0), "readme");
        QCOMPARE(window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(), 4);

        // A long description neither grows the label nor moves it.
        window.Label1->setCaption(instructions.repeated(20));
        QCOMPARE(window.Label1->geometry(), QRect(212, 180, 147, 249));
        QVERIFY(messages.texts().isEmpty());
    }

    void programPicture_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a picture") << u"picture"_s << true;
        QTest::newRow("missing") << u"missing"_s << false;
        QTest::newRow("not a picture") << u"text"_s << false;
    }

    // The program picture is a nicety: without it the window opens all the same, quietly.
    void programPicture()
    {
        QFETCH(QString, kind);
        QFETCH(bool, shown);
        TestDir start;
        if (kind == u"picture"_s) {
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(Qt::blue);
            QBuffer png;
            png.open(QIODevice::WriteOnly);
            image.save(&png, "PNG");
            start.write("Kestro", png.data().toStdString());
        } else if (kind == u"text"_s) {
            start.write("Kestro", "not a picture");
        }
        QVERIFY(startIn(start.path()));
        Messages messages;
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.Image1->hasPicture(), shown);
        QCOMPARE(window.Label1->caption(), instructions);
        QVERIFY(messages.texts().isEmpty());
    }

    void tabOrder()
    {
        TestDir start;
        QVERIFY(startIn(start.path()));
        Messages messages;
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), window.Dir1);

        using Widgets = QList<QWidget *>;
        QCOMPARE(tabCycle(window), (Widgets{window.File1, window.Dir1}));
        window.Command1->setEnabled(true);
        QCOMPARE(tabCycle(window), (Widgets{window.File1, window.Command1, window.Dir1}));
        window.Frame2->setVisible(true);
        QCOMPARE(tabCycle(window),
                 (Widgets{window.File1, window.Command1, window.List1, window.Dir1}));
        window.Command1->setEnabled(false);
        QCOMPARE(tabCycle(window), (Widgets{window.File1, window.List1, window.Dir1}));
        QTest::keyClick(window.Dir1, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), window.List1);
        QVERIFY(messages.texts().isEmpty());
    }

    void listRoundTrip_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Names>("items");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("first run") << false << QByteArray() << Names{} << QByteArray();
        QTest::newRow("empty file") << true << QByteArray() << Names{} << QByteArray();
        QTest::newRow("four entries") << true << "/g/a\r\n/g/caf\xE9\r\n\r\n/g/last"_ba
                                      << Names{"/g/a", "/g/caf\xE9", "", "/g/last"}
                                      << "/g/a\r\n/g/caf\xE9\r\n\r\n/g/last\r\n"_ba;
    }

    // Start-up fills List1 from "FoldersLoaded.txt"; closing the window writes it back.
    void listRoundTrip()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, bytes);
        QFETCH(Names, items);
        QFETCH(QByteArray, written);
        TestDir start;
        if (exists) {
            start.write("FoldersLoaded.txt", bytes.toStdString());
        }
        QVERIFY(startIn(start.path()));
        Messages messages;
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Names listed;
        for (int i = 0; i < window.List1->count(); ++i) {
            listed.push_back(window.List1->item(i));
        }
        QCOMPARE(listed, items);
        if (!items.empty()) {
            QCOMPARE(window.List1->entries()->index(1).data().toString(), u"/g/caf\uFFFD"_s);
        }
        QVERIFY(window.Frame2->isHidden());

        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
        QCOMPARE(start.read("FoldersLoaded.txt"), written.toStdString());
        QCOMPARE(start.names(), Names{"FoldersLoaded.txt"});
        QVERIFY(messages.texts().isEmpty());
    }

    // A list file that cannot be replaced is reported, as plain text, and the window closes.
    void readOnlyListOnClose()
    {
        TestDir root;
        const std::string start = root.path("<b>start</b>");
        root.mkdir("<b>start</b>");
        const std::string list = start + "/FoldersLoaded.txt";
        root.write("<b>start</b>/FoldersLoaded.txt", "/g/a\r\n");
        QCOMPARE(::chmod(list.c_str(), 0444), 0);
        QVERIFY(startIn(start));
        Messages messages;
        BoxFormats boxes;
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.List1->addItem("/g/b");

        window.close();
        QVERIFY(!window.isVisible());
        QCOMPARE(messages.only(),
                 u"Cannot write \"%1\": Permission denied"_s.arg(QString::fromStdString(list)));
        QCOMPARE(boxes.formats, QList<Qt::TextFormat>{Qt::PlainText});
        QCOMPARE(root.read("<b>start</b>/FoldersLoaded.txt"), "/g/a\r\n");
    }

    // A list file that cannot be read is reported, and the window opens all the same; closing
    // the window leaves it as it is, since replacing it would lose the folders it lists.
    void unreadableListAtStart_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder") << true << u"Is a directory"_s;
        QTest::newRow("an I/O error") << false << u"Input/output error"_s;
    }

    void unreadableListAtStart()
    {
        QFETCH(bool, folder);
        QFETCH(QString, reason);
        TestDir start;
        const std::string list = start.path("FoldersLoaded.txt");
        if (folder) {
            start.mkdir("FoldersLoaded.txt");
        } else {
            // Reading this link's target fails even for root.
            QCOMPARE(::symlink("/proc/self/mem", list.c_str()), 0);
        }
        QVERIFY(startIn(start.path()));
        Messages messages;
        Form1 window;
        QCOMPARE(messages.only(),
                 u"Cannot read \"%1\": %2"_s.arg(QString::fromStdString(list), reason));
        QCOMPARE(window.List1->count(), 0);
        QCOMPARE(window.Label1->caption(), instructions);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        messages.clear();
        QVERIFY(window.close());
        QVERIFY(messages.only().startsWith(
            u"Cannot write \"%1\": it could not be read"_s.arg(QString::fromStdString(list))));
        QCOMPARE(std::filesystem::is_symlink(list), !folder);
        QCOMPARE(std::filesystem::is_directory(std::filesystem::symlink_status(list)), folder);
    }

    // A start directory that cannot be listed still gives its loaded folders, which closing
    // would otherwise replace with an empty list.
    void unlistableStartDirectory()
    {
        TestDir root;
        root.write("start/FoldersLoaded.txt", "/g/a\r\n/g/b\r\n");
        QCOMPARE(::chmod(root.path().c_str(), 0711), 0);
        QCOMPARE(::chmod(root.path("start").c_str(), 0311), 0);
        const auto restore = qScopeGuard([&] { ::chmod(root.path("start").c_str(), 0755); });
        const pid_t child = ::fork();
        if (child == 0) {
            // Root lists any folder: become a user whom the permissions stop.
            if ((::geteuid() == 0 && ::setuid(65534) != 0) || ::chdir(root.path("start").c_str())) {
                ::_exit(4);
            }
            DirListBox dirs;
            FileListBox files;
            DirectoryFiles game, picture, contents;
            ListBox list;
            TextLabel label;
            PictureArea image;
            QPushButton load;
            QWidget frame;
            Form form{.Dir1 = dirs,
                      .File1 = files,
                      .EAWFile = game,
                      .Picfile = picture,
                      .contfile = contents,
                      .List1 = list,
                      .Label1 = label,
                      .Image1 = image,
                      .Command1 = load,
                      .Frame2 = frame};
            const Outcome failed = Form_Load(form);
            ::_exit(!failed ? 2 : list.count() != 2 ? 3 : label.caption() != instructions ? 5 : 0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

QTEST_MAIN(Window)
#include "window.moc"
