// "FoldersLoaded.txt": how its lines are read, how it is written, and that it is replaced whole.
#include "app/loadedfolders.h"
#include "testdir.h"

#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using Names = std::vector<std::string>;
Q_DECLARE_METATYPE(Names)

static const std::string listName = "FoldersLoaded.txt";

class LoadedFolders : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Names>("folders");
        QTest::newRow("CR LF") << "/g/a\r\n/g/b\r\n"_ba << Names{"/g/a", "/g/b"};
        QTest::newRow("lone CR") << "/g/a\r/g/b\r"_ba << Names{"/g/a", "/g/b"};
        QTest::newRow("lone LF stays") << "/g/a\n/g/b\r\n"_ba << Names{"/g/a\n/g/b"};
        QTest::newRow("blank middle line")
            << "/g/a\r\n\r\n/g/c\r\n"_ba << Names{"/g/a", "", "/g/c"};
        QTest::newRow("CR then CR LF") << "/g/a\r\r\n/g/c"_ba << Names{"/g/a", "", "/g/c"};
        QTest::newRow("last line without end") << "/g/a\r\n/g/b"_ba << Names{"/g/a", "/g/b"};
        QTest::newRow("only a line end") << "\r\n"_ba << Names{""};
        QTest::newRow("empty file") << ""_ba << Names{};
        QTest::newRow("not UTF-8")
            << "/g/caf\xE9\r\n/\xFF\xFE\r\n"_ba << Names{"/g/caf\xE9", "/\xFF\xFE"};
    }

    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Names, folders);
        TestDir dir;
        dir.write(listName, bytes.toStdString());
        Names read{"stale"};
        QVERIFY(!readLoadedFolders(dir.path(listName), read));
        QCOMPARE(read, folders);
    }

    void writes_data()
    {
        QTest::addColumn<Names>("folders");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty list, zero bytes") << Names{} << ""_ba;
        QTest::newRow("CR LF after every line")
            << Names{"/g/a", "/g/b", "/g/c"} << "/g/a\r\n/g/b\r\n/g/c\r\n"_ba;
        QTest::newRow("empty entry") << Names{"/g/a", "", "/g/c"} << "/g/a\r\n\r\n/g/c\r\n"_ba;
        QTest::newRow("line feed inside") << Names{"/g/a\nb"} << "/g/a\nb\r\n"_ba;
        QTest::newRow("not UTF-8") << Names{"/g/caf\xE9", "/\xFF"} << "/g/caf\xE9\r\n/\xFF\r\n"_ba;
    }

    // Replaces the old file, leaves nothing beside it, and reads back the same.
    void writes()
    {
        QFETCH(Names, folders);
        QFETCH(QByteArray, bytes);
        TestDir dir;
        dir.write(listName, "/old/one\r\n/old/two\r\n/old/three\r\n");
        QVERIFY(!writeLoadedFolders(dir.path(listName), folders));
        QCOMPARE(dir.read(listName), bytes.toStdString());
        QCOMPARE(dir.names(), Names{listName});
        Names read;
        QVERIFY(!readLoadedFolders(dir.path(listName), read));
        QCOMPARE(read, folders);
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only") << true << u"Permission denied"_s;
        QTest::newRow("disk full half-way") << false << u"File too large"_s;
    }

    void failedWriteKeepsOldFile()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, reason);
        TestDir dir;
        dir.write(listName, "/g/old\r\n");
        const std::string path = dir.path(listName);
        QCOMPARE(::chmod(path.c_str(), readOnly ? 0444 : 0644), 0);
        QCOMPARE(inChild([&] {
                     if (!readOnly) {
                         limitFileSize(16);
                     }
                     const Outcome failed =
                         writeLoadedFolders(path, Names(100, "/g/add-on folder"));
                     return failed && failed->path == path && failed->reason == reason ? 0 : 1;
                 }),
                 0);
        QCOMPARE(dir.read(listName), "/g/old\r\n");
        QCOMPARE(dir.names(), Names{listName});
    }
};

QTEST_GUILESS_MAIN(LoadedFolders)
#include "loadedfolders.moc"
