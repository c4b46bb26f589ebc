// The list controls and labels on real folders: what they show, and what reports a choice.
#include "testdir.h"
#include "widgets/dirlistbox.h"
#include "widgets/entrymodel.h"
#include "widgets/filelistbox.h"
#include "widgets/listbox.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"
#include "windowdriver.h"

#include <QApplication>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(Names)
namespace fs = std::filesystem;

static Names entriesOf(const DirListBox &list)
{
    Names names;
    for (int i = 0; i < list.count(); ++i) {
        names.push_back(list.entry(i));
    }
    std::ranges::sort(names);
    return names;
}

// A directory list on a folder holding a, b and c, and a list box of three items.
struct Lists
{
    TestDir dir;
    QWidget window;
    DirListBox *dirs = new DirListBox(&window);
    ListBox *items = new ListBox(&window);
    bool directories;
    ListView *view;

    explicit Lists(bool directories) : directories(directories)
    {
        view = directories ? static_cast<ListView *>(dirs) : items;
        for (const char *name : {"a", "b", "c"}) {
            dir.mkdir(name);
            items->addItem(name);
        }
        (void)dirs->setPath(dir.path());
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(dirs);
        layout->addWidget(items);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    int selected() const { return directories ? dirs->selectedIndex() : items->selectedIndex(); }
    QSignalSpy clicks() const
    {
        return directories ? QSignalSpy(dirs, &DirListBox::clicked)
                           : QSignalSpy(items, &ListBox::clicked);
    }
    // Where entry `entry` shows: a directory list shows the path above its subdirectories.
    QPoint pointAt(int entry) const
    {
        const int first = directories ? dirs->entries()->rowCount() - dirs->count() : 0;
        return view->visualRect(view->model()->index(first + entry, 0)).center();
    }
    void click(int entry, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(view->viewport(), button, keys, pointAt(entry));
    }
};

class ListControls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void patterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<Names>("expected");
        QTest::newRow("*.* takes names without a dot")
            << u"*.*"_s << Names{"EAW.INI", "a.txt", "ab.txt", "b.TXT", "mypic", "readme"};
        QTest::newRow("eaw.ini finds EAW.INI") << u"eaw.ini"_s << Names{"EAW.INI"};
        QTest::newRow("a name without a dot") << u"MYPIC"_s << Names{"mypic"};
        QTest::newRow("? is one character") << u"?.txt"_s << Names{"a.txt", "b.TXT"};
        QTest::newRow(".* takes no extension") << u"readme.*"_s << Names{"readme"};
        QTest::newRow("star inside") << u"*a*"_s << Names{"EAW.INI", "a.txt", "ab.txt", "readme"};
        QTest::newRow("longer than the name") << u"eaw.ini.bak"_s << Names{};
    }

    void patterns()
    {
        QFETCH(QString, pattern);
        QFETCH(Names, expected);
        TestDir dir;
        for (const char *name :
             {"EAW.INI", "readme", "a.txt", "b.TXT", "ab.txt", "mypic", ".h.txt"}) {
            dir.write(name, "x");
        }
        dir.mkdir("folder.txt");
        FileListBox box;
        QVERIFY(!box.setPath(dir.path()));
        QVERIFY(!box.setPattern(pattern.toStdString()));
        QCOMPARE(listed(box), expected);
    }

    // Only what a copy can read like a file is listed: a FIFO would hang the copy.
    void whatIsListed()
    {
        TestDir dir;
        dir.write("file", "x");
        dir.write(".hidden", "x");
        dir.mkdir("folder");
        dir.mkdir(".hiddenfolder");
        fs::create_symlink("file", dir.path("link to file"));
        fs::create_symlink(".hidden", dir.path("link to hidden"));
        fs::create_symlink("folder", dir.path("link to folder"));
        fs::create_symlink("nowhere", dir.path("broken link"));
        QCOMPARE(::mkfifo(dir.path("fifo").c_str(), 0600), 0);
        fs::create_symlink("fifo", dir.path("link to fifo"));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
        dir.path("socket").copy(address.sun_path, sizeof address.sun_path - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);

        FileListBox files;
        QVERIFY(!files.setPath(dir.path()));
        QCOMPARE(listed(files), (Names{"file", "link to file", "link to hidden"}));
        QCOMPARE(files.entry(3), std::string());
        QCOMPARE(files.entry(-1), std::string());
        DirListBox folders;
        QVERIFY(!folders.setPath(dir.path()));
        QCOMPARE(entriesOf(folders), (Names{dir.path("folder"), dir.path("link to folder")}));
    }

    // Names that are not UTF-8 are kept byte for byte and shown with replacement characters.
    void namesNotUtf8()
    {
        TestDir dir;
        dir.write("caf\xE9.txt", "x");
        dir.mkdir("d\xFF");
        FileListBox files;
        QVERIFY(!files.setPath(dir.path()));
        QVERIFY(!files.setPattern("CAF?.TXT"));
        QCOMPARE(listed(files), Names{"caf\xE9.txt"});
        QCOMPARE(files.entries()->index(0).data().toString(), u"caf\uFFFD.txt"_s);
        DirListBox folders;
        QVERIFY(!folders.setPath(dir.path()));
        QVERIFY(!folders.setPath(folders.entry(0)));
        QCOMPARE(folders.entry(-1), dir.path("d\xFF"));
    }

    // -1 is the directory itself, then each parent up to the root, then nothing.
    void directoryEntries()
    {
        TestDir dir;
        dir.mkdir("a/b/c");
        dir.mkdir("a/b/x");
        DirListBox list;
        QVERIFY(!list.setPath(dir.path("a/b") + "/"));
        QCOMPARE(list.path(), dir.path("a/b"));
        QCOMPARE(list.selectedIndex(), -1);
        QCOMPARE(entriesOf(list), (Names{dir.path("a/b/c"), dir.path("a/b/x")}));
        int index = -1;
        for (fs::path up = dir.path("a/b"); up != up.root_path(); up = up.parent_path()) {
            QCOMPARE(list.entry(index--), up.native());
        }
        QCOMPARE(list.entry(index), std::string("/"));
        QCOMPARE(list.entry(index - 1), std::string());
        QCOMPARE(list.entry(list.count()), std::string());
        QCOMPARE(list.entries()->rowCount(), list.count() - index);
        QVERIFY(!list.setPath("/"));
        QVERIFY(fs::is_directory(list.entry(0)) && !list.entry(0).starts_with("//"));
    }

    void failedChange_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << u"gone"_s << u"No such file or directory"_s;
        QTest::newRow("a file") << u"file"_s << u"Not a directory"_s;
    }

    // A list told to show a folder it cannot read goes on showing what it showed.
    void failedChange()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        TestDir dir;
        dir.write("file");
        dir.mkdir("folder");
        const std::string path = dir.path(target.toStdString());
        FileListBox files;
        DirListBox folders;
        QVERIFY(!files.setPath(dir.path()) && !folders.setPath(dir.path()));
        const int rows = folders.entries()->rowCount();
        for (const Outcome &failed : {files.setPath(path), folders.setPath(path)}) {
            QVERIFY(failed);
            QCOMPARE(failed->path, path);
            QCOMPARE(failed->reason, reason);
        }
        QCOMPARE(files.path(), dir.path());
        QCOMPARE(listed(files), Names{"file"});
        QCOMPARE(files.entries()->rowCount(), 1);
        QCOMPARE(folders.path(), dir.path());
        QCOMPARE(entriesOf(folders), Names{dir.path("folder")});
        QCOMPARE(folders.entries()->rowCount(), rows);
    }

    void click_data()
    {
        QTest::addColumn<bool>("directories");
        QTest::newRow("directory list") << true;
        QTest::newRow("list box") << false;
    }

    void click()
    {
        QFETCH(bool, directories);
        Lists lists(directories);
        QSignalSpy clicks = lists.clicks();
        QStringList order;
        connect(lists.view, &ListView::mousePressed, this, [&] { order << u"press"_s; });
        connect(lists.view, &ListView::rowChosen, this, [&] { order << u"click"_s; });
        QSignalSpy presses(lists.view, &ListView::mousePressed);

        lists.click(1, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(lists.selected(), 1);
        QCOMPARE(order, (QStringList{u"press"_s, u"click"_s}));
        QCOMPARE(presses[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(presses[0][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
        QCOMPARE(presses[0][2].toPoint(), lists.pointAt(1));
        QCOMPARE(lists.dirs->path(), lists.dir.path());
        lists.click(1); // the chosen entry again
        QCOMPARE(clicks.count(), 2);

        // Another button only reports the press.
        lists.click(2, Qt::RightButton);
        QCOMPARE(presses.count(), 3);
        QCOMPARE(presses[2][0].value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(lists.selected(), 1);

        // Arrow keys choose too, unless they move nothing (entry 2 is the last).
        QTest::keyClick(lists.view, Qt::Key_Down);
        QTest::keyClick(lists.view, Qt::Key_Down);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(lists.selected(), 2);
        QTest::keyClick(lists.view, Qt::Key_Up);
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(lists.selected(), 1);
    }

    // A double click is a click and then an open: the open itself reports nothing.
    void doubleClickOpens()
    {
        Lists lists(true);
        QSignalSpy clicks = lists.clicks();
        QTest::mouseClick(lists.view->viewport(), Qt::LeftButton, {}, lists.pointAt(1));
        QTest::mouseDClick(lists.view->viewport(), Qt::LeftButton, {}, lists.pointAt(1));
        QCOMPARE(lists.dirs->path(), lists.dir.path("b"));
        QCOMPARE(lists.dirs->selectedIndex(), -1);
        QCOMPARE(clicks.count(), 1);

        // Up chooses the parent; Enter opens it.
        lists.view->setFocus();
        QTest::keyClick(lists.view, Qt::Key_Up);
        QCOMPARE(lists.dirs->selectedIndex(), -2);
        QTest::keyClick(lists.view, Qt::Key_Return);
        QCOMPARE(lists.dirs->path(), lists.dir.path());
        QCOMPARE(clicks.count(), 2);
    }

    void programChanges()
    {
        Lists lists(true);
        QSignalSpy dirClicks(lists.dirs, &DirListBox::clicked);
        QSignalSpy itemClicks(lists.items, &ListBox::clicked);
        lists.click(1);
        QVERIFY(!lists.dirs->setPath(lists.dir.path("a")));
        QCOMPARE(lists.dirs->selectedIndex(), -1);
        QVERIFY(!lists.dirs->setPath(lists.dir.path()));
        lists.dirs->selectRow(lists.dirs->entries()->rowCount() - 1);

        const auto clickItem = [&](int row) {
            QTest::mouseClick(
                lists.items->viewport(), Qt::LeftButton, {},
                lists.items->visualRect(lists.items->model()->index(row, 0)).center());
        };
        clickItem(1);
        lists.items->addItem("d");
        lists.items->selectRow(3);
        lists.items->removeItem(3);
        QCOMPARE(lists.items->selectedIndex(), -1);
        clickItem(1);
        lists.items->removeItem(1);
        QCOMPARE(lists.items->item(1), "c");
        QCOMPARE(lists.items->selectedIndex(), -1);
        QCOMPARE(dirClicks.count(), 1);
        QCOMPARE(itemClicks.count(), 2);
    }

    void caption()
    {
        TextLabel label;
        for (const QString &caption :
             {u"one\r\ntwo\r\n"_s, u"one\rtwo\nthree"_s, u"<b>x</b> <img src=\"y\"> &amp;"_s}) {
            label.setCaption(caption);
            QCOMPARE(label.caption(), caption);
            QCOMPARE(label.textFormat(), Qt::PlainText);
        }
        QVERIFY(label.wordWrap());
        label.setCaption(u"one two"_s);
        const int oneLine = label.heightForWidth(300);
        label.setCaption(u"one\r\ntwo"_s); // CR LF starts a new line
        QCOMPARE_GT(label.heightForWidth(300), oneLine);
    }

    void fillsArea_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("tall PNG, no extension") << QSize(10, 300) << "PNG"_ba << u"Kestro"_s;
        QTest::newRow("wide BMP") << QSize(600, 20) << "BMP"_ba << u"mypic"_s;
        QTest::newRow("huge PNG called jpg") << QSize(3000, 2000) << "PNG"_ba << u"a.jpg"_s;
    }

    void fillsArea()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        QFETCH(QString, name);
        TestDir dir;
        dir.write(name.toStdString(), pictureBytes(size, format.constData()).toStdString());
        PictureArea area;
        area.resize(303, 251);
        QVERIFY(!area.showPicture(dir.path(name.toStdString())));
        const QImage shown = area.grab().toImage();
        QCOMPARE(shown.size(), QSize(303, 251));
        for (const QPoint point :
             {QPoint(0, 0), QPoint(302, 250), QPoint(0, 250), QPoint(302, 0)}) {
            QCOMPARE(shown.pixelColor(point), QColor(Qt::darkGreen));
        }
    }
};

QTEST_MAIN(ListControls)
#include "lists.moc"
