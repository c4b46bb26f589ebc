// The window as it opens, how the focus moves, and "FoldersLoaded.txt" it reads and writes.
#include "core/loadedfolders.h"
#include "messages.h"
#include "testdir.h"
#include "widgets/dirlistbox.h"
#include "widgets/entrymodel.h"
#include "widgets/filelistbox.h"
#include "widgets/listbox.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"
#include "windowdriver.h"

#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(Names)

static const QString instructions =
    u"First locate your main EAW directory. When you have found it the program will check that "
    u"it contains the 'eaw.ini' file.\r\nIf it does, then the other items on this form will be "
    u"displayed.\r\nThen you will be able to copy selected folder contents to the EAW directory "
    u"by clicking the 'Load' button."_s;

// Where the focus goes on each Tab from Dir1, until it is back in Dir1.
static QList<QWidget *> tabCycle(Form1 &window)
{
    window.Dir1->setFocus();
    QList<QWidget *> visited;
    do {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    } while (visited.back() != window.Dir1 && visited.size() < 8);
    return visited;
}

class Window : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initialState()
    {
        TestDir start;
        start.write("readme");
        start.write("FoldersLoaded.txt", "/g/a\r\n");
        Messages messages;
        QVERIFY(QDir::setCurrent(QString::fromStdString(start.path())));
        Form1 window;
        // Centred before it is shown, and where it stays once shown.
        const QRect screen = window.screen()->geometry();
        const QPoint centred =
            screen.topLeft() + QPoint(screen.width() - window.frameSize().width(),
                                      screen.height() - window.frameSize().height()) /
                                   2;
        QCOMPARE(window.frameGeometry().topLeft(), centred);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.frameGeometry().topLeft(), centred);
        QCOMPARE(window.size(), QSize(676, 432));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(window.windowTitle(), u"Kestro"_s);
        QCOMPARE(window.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
                 Qt::WindowCloseButtonHint);
        QVERIFY(!window.windowIcon().isNull());

        QCOMPARE(window.form.Eawtext, instructions);
        QCOMPARE(window.form.MyDir, start.path());
        QCOMPARE(window.form.EAWdir, start.path());
        QVERIFY(!window.form.EAWfound);
        QCOMPARE(window.form.EawPic, start.path("Kestro"));
        QCOMPARE(window.Dir1->path(), start.path());
        QCOMPARE(window.Dir1->selectedIndex(), -1);
        QCOMPARE(listed(*window.File1), (Names{"FoldersLoaded.txt", "readme"}));
        QCOMPARE(window.EAWFile.path(), start.path());

        const QString files = u"Files in the selected folder"_s;
        const QString loaded =
            u"Click on a folder listed here to delete its contents from the EAW directory"_s;
        const struct
        {
            QWidget *widget, *parent;
            QRect geometry;
            QString caption;
            bool visible, enabled;
        } controls[] = {
            {window.Frame1, &window, {0, 0, 209, 431}, {}, true, true},
            {window.Dir1, window.Frame1, {8, 16, 193, 246}, {}, true, true},
            {window.File1, window.Frame1, {8, 320, 193, 97}, {}, true, true},
            {window.Command1, window.Frame1, {56, 272, 97, 25}, u"Load"_s, true, false},
            {window.Label3, window.Frame1, {8, 304, 193, 17}, files, true, true},
            {window.Frame2, &window, {210, 0, 465, 177}, {}, false, true},
            {window.List1, window.Frame2, {8, 32, 441, 134}, {}, true, true},
            {window.Label2, window.Frame2, {8, 16, 441, 17}, loaded, true, true},
            {window.Label1, &window, {212, 180, 147, 249}, instructions, true, true},
            {window.Image1, &window, {368, 180, 303, 251}, {}, true, true},
        };
        for (const auto &control : controls) {
            QCOMPARE(control.widget->parentWidget(), control.parent);
            QCOMPARE(control.widget->geometry(), control.geometry);
            const auto *label = qobject_cast<TextLabel *>(control.widget);
            const auto *button = qobject_cast<QPushButton *>(control.widget);
            QCOMPARE(label    ? label->caption()
                     : button ? button->text()
                              : QString(),
                     control.caption);
            QCOMPARE(!control.widget->isHidden(), control.visible);
            QCOMPARE(control.widget->isEnabled(), control.enabled);
        }
        QCOMPARE(window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(), 4);

        // A long description neither grows the label nor moves it.
        window.Label1->setCaption(instructions.repeated(20));
        QCOMPARE(window.Label1->geometry(), QRect(212, 180, 147, 249));
    }

    void programPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a picture") << pictureBytes() << true;
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("not a picture") << "not a picture"_ba << false;
    }

    // Without the program picture the window opens all the same, quietly.
    void programPicture()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, shown);
        TestDir start;
        if (!bytes.isEmpty()) {
            start.write("Kestro", bytes.toStdString());
        }
        Messages messages;
        auto window = openWindow(start);
        QCOMPARE(window->Image1->hasPicture(), shown);
        QCOMPARE(window->Label1->caption(), instructions);
    }

    void tabOrder()
    {
        TestDir start;
        Messages messages;
        auto window = openWindow(start);
        QCOMPARE(QApplication::focusWidget(), window->Dir1);
        using Widgets = QList<QWidget *>;
        QCOMPARE(tabCycle(*window), (Widgets{window->File1, window->Dir1}));
        window->Command1->setEnabled(true);
        QCOMPARE(tabCycle(*window), (Widgets{window->File1, window->Command1, window->Dir1}));
        window->Frame2->setVisible(true);
        QCOMPARE(tabCycle(*window),
                 (Widgets{window->File1, window->Command1, window->List1, window->Dir1}));
        window->Command1->setEnabled(false);
        QCOMPARE(tabCycle(*window), (Widgets{window->File1, window->List1, window->Dir1}));
        QTest::keyClick(window->Dir1, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), window->List1);
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
        Messages messages;
        auto window = openWindow(start);
        QCOMPARE(loaded(*window), items);
        if (!items.empty()) {
            QCOMPARE(window->List1->entries()->index(1).data().toString(), u"/g/caf\uFFFD"_s);
        }
        QVERIFY(window->Frame2->isHidden());
        QVERIFY(window->close());
        QCOMPARE(start.read("FoldersLoaded.txt"), written.toStdString());
        QCOMPARE(start.names(), Names{"FoldersLoaded.txt"});
    }

    // A list file that cannot be replaced is reported, as plain text, and the window closes.
    void readOnlyListOnClose()
    {
        TestDir root;
        root.write("<b>start</b>/FoldersLoaded.txt", "/g/a\r\n");
        const std::string list = root.path("<b>start</b>/FoldersLoaded.txt");
        QCOMPARE(::chmod(list.c_str(), 0444), 0);
        QVERIFY(QDir::setCurrent(QString::fromStdString(root.path("<b>start</b>"))));
        Messages messages;
        Form1 window;
        window.show();
        window.List1->addItem("/g/b");
        window.close();
        QVERIFY(!window.isVisible());
        QCOMPARE(messages.only(),
                 u"Cannot write \"%1\": Permission denied"_s.arg(QString::fromStdString(list)));
        QCOMPARE(root.read("<b>start</b>/FoldersLoaded.txt"), "/g/a\r\n");
    }

    void unreadableListAtStart_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder") << true << u"Is a directory"_s;
        QTest::newRow("an I/O error") << false << u"Input/output error"_s;
    }

    // Reported, and the window opens; closing it keeps the file, which still lists folders.
    void unreadableListAtStart()
    {
        QFETCH(bool, folder);
        QFETCH(QString, reason);
        TestDir start;
        const std::string list = start.path("FoldersLoaded.txt");
        // Reading the target of this link fails even for root.
        folder ? start.mkdir("FoldersLoaded.txt")
               : std::filesystem::create_symlink("/proc/self/mem", list);
        Messages messages;
        auto window = openWindow(start);
        QCOMPARE(messages.only(),
                 u"Cannot read \"%1\": %2"_s.arg(QString::fromStdString(list), reason));
        QCOMPARE(window->List1->count(), 0);
        QCOMPARE(window->Label1->caption(), instructions);
        messages.clear();
        QVERIFY(window->close());
        QVERIFY(messages.only().startsWith(
            u"Cannot write \"%1\": it could not be read"_s.arg(QString::fromStdString(list))));
        QCOMPARE(std::filesystem::is_symlink(list), !folder);
    }

    // A start directory that cannot be listed still gives its loaded folders.
    void unlistableStartDirectory()
    {
        TestDir root;
        root.write("start/FoldersLoaded.txt", "/g/a\r\n/g/b\r\n");
        QCOMPARE(::chmod(root.path().c_str(), 0711), 0);
        QCOMPARE(::chmod(root.path("start").c_str(), 0311), 0);
        const auto restore = qScopeGuard([&] { ::chmod(root.path("start").c_str(), 0755); });
        QCOMPARE(inChild([&] {
                     // Root lists any folder: become a user whom the permissions stop.
                     if ((::geteuid() == 0 && ::setuid(65534) != 0) ||
                         !QDir::setCurrent(QString::fromStdString(root.path("start")))) {
                         return 4;
                     }
                     Messages messages;
                     Form1 window;
                     return messages.texts().size() == 1 && window.List1->count() == 2 ? 0 : 3;
                 }),
                 0);
    }

    void listFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Names>("folders");
        QTest::addColumn<QByteArray>("written"); // when it differs from what was read
        const Names ab{"/g/a", "/g/b"}, blank{"/g/a", "", "/g/c"};
        QTest::newRow("CR LF") << "/g/a\r\n/g/b\r\n"_ba << ab << QByteArray();
        QTest::newRow("lone CR") << "/g/a\r/g/b\r"_ba << ab << "/g/a\r\n/g/b\r\n"_ba;
        QTest::newRow("lone LF stays")
            << "/g/a\n/g/b\r\n"_ba << Names{"/g/a\n/g/b"} << QByteArray();
        QTest::newRow("blank line") << "/g/a\r\n\r\n/g/c\r\n"_ba << blank << QByteArray();
        QTest::newRow("CR then CR LF") << "/g/a\r\r\n/g/c"_ba << blank << "/g/a\r\n\r\n/g/c\r\n"_ba;
        QTest::newRow("last line without end") << "/g/a\r\n/g/b"_ba << ab << "/g/a\r\n/g/b\r\n"_ba;
        QTest::newRow("only a line end") << "\r\n"_ba << Names{""} << QByteArray();
        QTest::newRow("empty file") << ""_ba << Names{} << QByteArray();
        QTest::newRow("not UTF-8")
            << "/g/caf\xE9\r\n/\xFF\r\n"_ba << Names{"/g/caf\xE9", "/\xFF"} << QByteArray();
    }

    // Reads the lines, and writes them back with CR LF after each over the old file, whole.
    void listFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Names, folders);
        QFETCH(QByteArray, written);
        TestDir dir;
        const std::string path = dir.path("FoldersLoaded.txt");
        dir.write("FoldersLoaded.txt", bytes.toStdString());
        Names read{"stale"};
        QVERIFY(!readLoadedFolders(path, read));
        QCOMPARE(read, folders);
        QVERIFY(!writeLoadedFolders(path, folders));
        QCOMPARE(dir.read("FoldersLoaded.txt"), (written.isNull() ? bytes : written).toStdString());
        QCOMPARE(dir.names(), Names{"FoldersLoaded.txt"});
    }

    // A disk that fills half-way through the write leaves the old file whole.
    void fullDiskKeepsListFile()
    {
        TestDir dir;
        dir.write("FoldersLoaded.txt", "/g/old\r\n");
        const std::string path = dir.path("FoldersLoaded.txt");
        QCOMPARE(inChild([&] {
                     limitFileSize(16);
                     const Outcome failed = writeLoadedFolders(path, Names(100, "/g/folder"));
                     return failed && failed->reason == u"File too large"_s ? 0 : 1;
                 }),
                 0);
        QCOMPARE(dir.read("FoldersLoaded.txt"), "/g/old\r\n");
        QCOMPARE(dir.names(), Names{"FoldersLoaded.txt"});
    }
};

QTEST_MAIN(Window)
#include "window.moc"
