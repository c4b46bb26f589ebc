#include "immutable.h"
#include "messages.h"
#include "widgets/listbox.h"
#include "window.h"

#include <QTest>

#include <filesystem>
#include <optional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using Names = std::vector<std::string>;

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
        start.write("a/mypic", picture());
        start.write("a/contents.txt", "About a");
        start.write("a/ro.dat", "read-only");
        start.write("a/.hidden", "h");
        start.write("a/sub/inner.txt", "i");
        start.mkdir("empty");
        const timespec times[2] = {{1'000'000'000, 0}, {1'200'000'000, 123'456'789}};
        QCOMPARE(::utimensat(AT_FDCWD, start.path("a/x.txt").c_str(), times, 0), 0);
        QCOMPARE(::chmod(start.path("a/ro.dat").c_str(), 0444), 0);
        const Names game = {"README.TXT", "contents.txt", "eaw.ini", "mypic", "ro.dat", "x.txt"};
        const std::string a = start.path("a") + "\r\n";
        auto window = openWindow(start);

        choose(*window, "a");
        clickLoad(*window);
        QCOMPARE(start.names("EAW"), game);
        QCOMPARE(start.read("EAW/README.TXT"), "add-on readme");
        QCOMPARE(start.read("EAW/x.txt"), "new x");
        QVERIFY(start.read("EAW/mypic") == start.read("a/mypic"));
        QCOMPARE(start.read("EAW/contents.txt"), "About a");
        struct stat status = {};
        QCOMPARE(::stat(start.path("EAW/x.txt").c_str(), &status), 0);
        QCOMPARE(status.st_mtim.tv_sec, times[1].tv_sec);
        QCOMPARE(status.st_mtim.tv_nsec, times[1].tv_nsec);
        QCOMPARE(::stat(start.path("EAW/ro.dat").c_str(), &status), 0);
        QVERIFY(status.st_mode & S_IWUSR);
        QCOMPARE(loaded(*window), Names{start.path("a")});
        QCOMPARE(start.read("FoldersLoaded.txt"), a);

        // Again: every file copied again, and the folder listed twice.
        start.write("EAW/x.txt", "changed x");
        clickLoad(*window);
        QCOMPARE(start.read("EAW/x.txt"), "new x");
        QCOMPARE(start.read("FoldersLoaded.txt"), a + a);

        choose(*window, "empty");
        clickLoad(*window);
        QCOMPARE(start.names("EAW"), game);
        QCOMPARE(start.read("FoldersLoaded.txt"), a + a + start.path("empty") + "\r\n");
        QCOMPARE(messages.texts(), QStringList());
    }

    void failedCopy_data()
    {
        QTest::addColumn<std::string>("fault");
        QTest::addColumn<std::string>("named");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only game file")
            << std::string("read-only") << std::string("EAW/b") << u"Permission denied"_s;
        QTest::newRow("immutable game file")
            << std::string("immutable") << std::string("EAW/b") << u"Operation not permitted"_s;
        QTest::newRow("directory")
            << std::string("directory") << std::string("EAW/b") << u"Is a directory"_s;
        QTest::newRow("add-on file gone")
            << std::string("gone") << std::string("a/b") << u"No such file or directory"_s;
    }

    void failedCopy()
    {
        QFETCH(std::string, fault);
        QFETCH(std::string, named);
        QFETCH(QString, reason);
        Messages messages;
        TestDir start;
        start.write("EAW/eaw.ini");
        for (const char *name : {"a/a", "a/b", "a/c"}) {
            start.write(name, "new");
        }
        fault == "directory" ? start.mkdir("EAW/b") : start.write("EAW/b", "old");
        const std::string before = "/earlier/folder\r\n";
        start.write("FoldersLoaded.txt", before);
        if (fault == "read-only") {
            QCOMPARE(::chmod(start.path("EAW/b").c_str(), 0444), 0);
        }
        std::optional<Immutable> frozen;
        if (fault == "immutable" && !frozen.emplace(start.path("EAW/b")).isSet()) {
            QSKIP("this file system cannot make a file immutable");
        }
        auto window = openWindow(start);
        choose(*window, "a");
        if (fault == "gone") {
            QCOMPARE(::unlink(start.path("a/b").c_str()), 0);
        }

        clickLoad(*window);
        QCOMPARE(messages.only(),
                 u"Cannot %1 \"%2\": %3"_s.arg(fault == "gone" ? u"copy"_s : u"copy to"_s,
                                               QString::fromStdString(start.path(named)), reason));
        QCOMPARE(start.read("EAW/a"), "new");
        QVERIFY(!start.exists("EAW/c"));
        QVERIFY(fault == "directory" || start.read("EAW/b") == "old");
        QVERIFY(!leftTemporary(start));
        QCOMPARE(window->List1->count(), 1);
        QCOMPARE(start.read("FoldersLoaded.txt"), before);

        // Once the cause is gone, Load again completes the install.
        frozen.reset();
        if (fault == "directory") {
            QVERIFY(std::filesystem::remove(start.path("EAW/b")));
        }
        fault == "gone" ? start.write("a/b", "new")
                        : (void)::chmod(start.path("EAW/b").c_str(), 0644);
        messages.clear();
        clickLoad(*window);
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(start.names("EAW"), (Names{"a", "b", "c", "eaw.ini"}));
        QCOMPARE(start.read("EAW/b"), "new");
        QCOMPARE(start.read("FoldersLoaded.txt"), before + start.path("a") + "\r\n");
    }
};

QTEST_MAIN(Load)
#include "load.moc"
