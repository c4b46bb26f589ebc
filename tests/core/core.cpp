// SPDX-License-Identifier: GPL-3.0-or-later
// "FoldersLoaded.txt" and copying, on real files.
#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "testdir.h"

#include <QTest>

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
    // A copy never lands in a hidden file of its own name that was there; a Load clears away
    // those that no running Kestro holds.
    void copies()
    {
        TestDir dir, other(otherFileSystem());
        const std::string data(300'000, 'd'), stale(900'000, 's');
        other.write("big", data);
        dir.make({"empty", "game/keep", "game/.kestro-1", "game/.kestro-1-1"});
        QVERIFY(!installFile(other.path("big"), dir.path("game/big")));
        QVERIFY(!installFile(dir.path("empty"), dir.path("game/empty")));
        for (int i = 1; i <= 50; ++i) {
            const std::string name = "game/.kestro-" +
                                     std::to_string(QCoreApplication::applicationPid()) + "-" +
                                     std::to_string(i);
            dir.write(name, stale);
            holdLikeKestro(dir.path(name));
        }
        QVERIFY(!installFile(other.path("big"), dir.path("game/again")));
        QVERIFY(dir.read("game/big") == data && dir.read("game/again") == data);
        QCOMPARE(dir.read("game/empty"), "");
        removeLeftovers(FolderHandle(dir.path("game")));
        // The 50 held, "keep", the three copies and ".kestro-1", which is no name of Kestro's.
        QCOMPARE(dir.names("game").size(), 50u + 5u);
        if (sameFileSystem(dir.path(), other.path())) {
            QSKIP("the temporary folders share a file system: no copy by hand was needed");
        }
    }
};

QTEST_MAIN(Core)
#include "core.moc"
