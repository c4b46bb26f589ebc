// SPDX-License-Identifier: GPL-3.0-or-later
// "FoldersLoaded.txt" and copying, on real files.
#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "core/temporary.h"
#include "testdir.h"

#include <QScopeGuard>
#include <QTest>

#include <csignal>

class Core : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Lines end at CR LF or a lone CR; a lone LF stays, and so does what is not UTF-8. Written
    // back with CR LF after each line over the old file, whole.
    void listFile()
    {
        POSIX_ONLY("names that are not UTF-8, links and modes");
        TestDir dir;
        // Kept elsewhere through a link on purpose, and private: both stay so.
        dir.write("elsewhere/list", "/g/caf\xE9\r\n/\xFF\r\n/g/a\r/g/b\r\r\n/g/c\n/g/d\r\n/g/e");
        fs::permissions(dir.path("elsewhere/list"), fs::perms(0600));
        dir.write("FoldersLoaded.txt -> elsewhere/list");
        const Names folders{"/g/caf\xE9", "/\xFF", "/g/a", "/g/b", "", "/g/c\n/g/d", "/g/e"};
        Names read{"stale"};
        QVERIFY(!readLoadedFolders(dir.path("FoldersLoaded.txt"), read));
        QCOMPARE(read, folders);
        QVERIFY(!writeLoadedFolders(dir.path("FoldersLoaded.txt"), folders));
        QCOMPARE(dir.read("FoldersLoaded.txt"),
                 "/g/caf\xE9\r\n/\xFF\r\n/g/a\r\n/g/b\r\n\r\n/g/c\n/g/d\r\n/g/e\r\n");
        QVERIFY(fs::is_symlink(dir.path("FoldersLoaded.txt")));
        QCOMPARE(fs::status(dir.path("elsewhere/list")).permissions(), fs::perms(0600));
        QCOMPARE(dir.names("elsewhere"), Names{"list"});
    }

    // From another file system (a USB stick) the bytes are copied by hand; an empty file too.
    void copies()
    {
        TestDir dir, other(otherFileSystem());
        const std::string data(300'000, 'd');
        other.write("big", data);
        dir.make({"empty", "game/"});
        QVERIFY(!installFile(other.path("big"), dir.path("game/big")));
        QVERIFY(!installFile(dir.path("empty"), dir.path("game/empty")));
        QVERIFY(dir.read("game/big") == data && dir.read("game/empty").empty());
        QCOMPARE(dir.names("game"), (Names{"big", "empty"}));
        if (sameFileSystem(dir.path(), other.path())) {
            QSKIP("the temporary folders share a file system: no copy by hand was needed");
        }
    }

    // A new temporary whose name by its identity is already taken tries the next number, and the
    // file of that name stays.
    void takenTemporaryName()
    {
        POSIX_ONLY("a taken name as errno tells it");
        TestDir dir;
        const auto nameOf = [](unsigned number) {
            return platform::temporaryName(".t-", 42, number);
        };
        dir.make({nameOf(0), nameOf(1), "new"});
        std::string name;
        QVERIFY(!platform::markByIdentity(".t-", 42, name, [&](const std::string &marked) {
            std::error_code error;
            fs::create_hard_link(dir.path("new"), dir.path(marked), error);
            return error;
        }));
        QCOMPARE(name, nameOf(2));
        QCOMPARE(dir.names(), (Names{nameOf(0), nameOf(1), nameOf(2), "new"}));
    }

    void leftovers_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("a Load's copies, at the next Load") << u".kestro-"_s;
        QTest::newRow("a save's lists, at the next save") << u".FoldersLoaded-"_s;
    }

    // What a killed Kestro left goes, and only what it can prove its own: not a user's or an
    // add-on's file named like it, not a copy of a leftover, not a temporary still written by
    // another Kestro.
    void leftovers()
    {
        QFETCH(QString, prefix);
        const std::string start = prefix.toStdString();
        TestDir dir(otherFileSystem());
        const FolderHandle folder(dir.path());
        platform::File held, killed;
        std::string heldName, killedName;
        QVERIFY(!platform::createTemporary(folder, start, held, heldName));
        QVERIFY(!platform::createTemporary(folder, start, killed, killedName));
        killed.reset(); // as a Kestro killed while it writes leaves it
        Names kept{start + "2024-05", start + "1-1", killedName + "0"};
        dir.make(kept);
        kept.push_back(heldName);
        QCOMPARE(dir.names().size(), kept.size() + 1);
        if (start == temporaryPrefix) {
            removeLeftovers(folder);
        } else {
            QVERIFY(!writeLoadedFolders(dir.path("FoldersLoaded.txt"), {}));
            kept.push_back("FoldersLoaded.txt");
        }
        std::ranges::sort(kept);
        QCOMPARE(dir.names(), kept);
#ifndef _WIN32
        // Another Kestro that sweeps all the while never takes one before it has its name.
        const pid_t sweeper = ::fork();
        while (sweeper == 0) {
            removeLeftovers(folder, start);
        }
        const auto stop = qScopeGuard([&] {
            ::kill(sweeper, SIGKILL);
            ::waitpid(sweeper, nullptr, 0);
        });
        for (int i = 0; i < 3000; ++i) {
            QVERIFY(!replaceFile(folder, "f", start, false,
                                 [](platform::File &file) { return platform::write(file, "x"); }));
        }
#endif
    }
};

QTEST_MAIN(Core)
#include "core.moc"
