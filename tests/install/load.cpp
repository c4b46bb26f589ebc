// Load: what it copies into the game directory, what it records, and what a failure leaves.
#include "core/filecopy.h"
#include "messages.h"
#include "widgets/listbox.h"
#include "windowdriver.h"

#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

class Load : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void copiesEveryListedFile()
    {
        Messages messages;
        TestDir start;
        start.write("EAW/eaw.ini");
        start.write("EAW/README.TXT", "game readme");
        start.write("EAW/x.txt", "old x");
        start.write("a/readme.txt", "add-on readme");
        start.write("a/x.txt", "new x");
        start.write("a/mypic", pictureBytes().toStdString());
        start.write("a/contents.txt", "About a");
        start.write("a/ro.dat", "read-only");
        start.write("a/.hidden", "h");
        start.write("a/sub/inner.txt", "i");
        start.write("a/link.dat", "new link");
        start.write("outside.dat", "outside");
        fs::create_symlink(start.path("outside.dat"), start.path("EAW/link.dat"));
        start.mkdir("empty");
        const timespec times[2] = {{1'000'000'000, 0}, {1'200'000'000, 123'456'789}};
        QCOMPARE(::utimensat(AT_FDCWD, start.path("a/x.txt").c_str(), times, 0), 0);
        QCOMPARE(::chmod(start.path("a/ro.dat").c_str(), 0444), 0);
        const Names game = {"README.TXT", "contents.txt", "eaw.ini", "link.dat",
                            "mypic",      "ro.dat",       "x.txt"};
        const std::string a = start.path("a") + "\r\n";
        auto window = openWindow(start, "EAW");

        click(*window, start.path("a"));
        clickLoad(*window);
        QCOMPARE(start.names("EAW"), game); // README.TXT kept its name; no hidden file, no sub
        QCOMPARE(start.read("EAW/README.TXT"), "add-on readme");
        QCOMPARE(start.read("EAW/x.txt"), "new x");
        QVERIFY(start.read("EAW/mypic") == start.read("a/mypic"));
        QVERIFY(!fs::is_symlink(start.path("EAW/link.dat"))); // replaced, not written through
        QCOMPARE(start.read("outside.dat"), "outside");
        struct stat status = {};
        QCOMPARE(::stat(start.path("EAW/x.txt").c_str(), &status), 0);
        QCOMPARE(status.st_mtim.tv_sec, times[1].tv_sec);
        QCOMPARE(status.st_mtim.tv_nsec, times[1].tv_nsec);
        QCOMPARE(::stat(start.path("EAW/ro.dat").c_str(), &status), 0);
        QVERIFY(status.st_mode & S_IWUSR);
        QCOMPARE(loaded(*window), Names{start.path("a")});
        QCOMPARE(start.read("FoldersLoaded.txt"), a);

        start.write("EAW/x.txt", "changed x"); // again: copied again, listed twice
        clickLoad(*window);
        QCOMPARE(start.read("EAW/x.txt"), "new x");
        QCOMPARE(start.read("FoldersLoaded.txt"), a + a);

        click(*window, start.path("empty"));
        clickLoad(*window);
        QCOMPARE(start.names("EAW"), game);
        QCOMPARE(start.read("FoldersLoaded.txt"), a + a + start.path("empty") + "\r\n");
    }

    void failedCopy_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only") << u"read-only"_s << u"EAW/b"_s << u"Permission denied"_s;
        QTest::newRow("immutable") << u"immutable"_s << u"EAW/b"_s << u"Operation not permitted"_s;
        QTest::newRow("directory") << u"directory"_s << u"EAW/b"_s << u"Is a directory"_s;
        QTest::newRow("source gone") << u"gone"_s << u"a/b"_s << u"No such file or directory"_s;
    }

    // Earlier copies stay, the folder is not recorded, and Load after the cause is gone works.
    void failedCopy()
    {
        QFETCH(QString, fault);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        Messages messages;
        TestDir start;
        start.write("EAW/eaw.ini");
        for (const char *name : {"a/a", "a/b", "a/c"}) {
            start.write(name, "new");
        }
        fault == u"directory" ? start.mkdir("EAW/b") : start.write("EAW/b", "old");
        const std::string before = "/earlier/folder\r\n";
        start.write("FoldersLoaded.txt", before);
        if (fault == u"read-only") {
            QCOMPARE(::chmod(start.path("EAW/b").c_str(), 0444), 0);
        }
        const auto thaw = qScopeGuard([&] { setImmutable(start.path("EAW/b"), false); });
        if (fault == u"immutable" && !setImmutable(start.path("EAW/b"), true)) {
            QSKIP("this file system cannot make a file immutable");
        }
        auto window = openWindow(start, "EAW");
        click(*window, start.path("a"));
        if (fault == u"gone") {
            QCOMPARE(::unlink(start.path("a/b").c_str()), 0);
        }

        clickLoad(*window);
        QCOMPARE(messages.only(), u"Cannot %1 \"%2\": %3"_s.arg(
                                      fault == u"gone" ? u"copy"_s : u"copy to"_s,
                                      QString::fromStdString(start.path()) + u'/' + named, reason));
        QCOMPARE(start.read("EAW/a"), "new");
        QVERIFY(!start.exists("EAW/c"));
        QVERIFY(fault == u"directory" || start.read("EAW/b") == "old");
        QVERIFY(!leftTemporary(start.path("EAW")));
        QCOMPARE(window->List1->count(), 1);
        QCOMPARE(start.read("FoldersLoaded.txt"), before);

        setImmutable(start.path("EAW/b"), false);
        if (fault == u"directory") {
            QVERIFY(fs::remove(start.path("EAW/b")));
        }
        fault == u"gone" ? start.write("a/b", "new")
                         : (void)::chmod(start.path("EAW/b").c_str(), 0644);
        messages.clear();
        clickLoad(*window);
        QCOMPARE(start.names("EAW"), (Names{"a", "b", "c", "eaw.ini"}));
        QCOMPARE(start.read("EAW/b"), "new");
        QCOMPARE(start.read("FoldersLoaded.txt"), before + start.path("a") + "\r\n");
    }

    // A full disk, as a file-size limit that holds root too, leaves the old file whole.
    void fullDiskKeepsOldFile()
    {
        TestDir dir;
        dir.write("addon/big.dat", std::string(1 << 20, 'n'));
        dir.write("game/big.dat", "old");
        const std::string target = dir.path("game/big.dat");
        const QString expected =
            u"Cannot copy to \"%1\": File too large"_s.arg(QString::fromStdString(target));
        QCOMPARE(inChild([&] {
                     limitFileSize(64 * 1024);
                     const Outcome failed = installFile(dir.path("addon/big.dat"), target);
                     return !failed ? 2 : failed->message() == expected ? 0 : 3;
                 }),
                 0);
        QCOMPARE(dir.read("game/big.dat"), "old");
        QVERIFY(!leftTemporary(dir.path("game")));
    }
};

QTEST_MAIN(Load)
#include "load.moc"
