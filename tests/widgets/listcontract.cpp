// What the file and directory lists show of real folders, and what a failed change leaves.
#include "testdir.h"
#include "widgets/dirlistbox.h"
#include "widgets/entrymodel.h"
#include "widgets/filelistbox.h"
#include "windowdriver.h"

#include <QTest>

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

class ListContract : public QObject
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
};

QTEST_MAIN(ListContract)
#include "listcontract.moc"
