// SPDX-License-Identifier: GPL-3.0-or-later
// "FoldersLoaded.txt" and copying, on real files.
#include "core/directory.h"
#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "core/temporary.h"
#include "core/textfile.h"
#include "core/wildcard.h"
#include "testdir.h"

#include <csignal>

Q_DECLARE_METATYPE(Target)

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
#ifndef _WIN32
        // One that others may read stays so, and the first one gets a new file's mode.
        const mode_t umask = ::umask(0);
        ::umask(umask);
        dir.write("shared");
        fs::permissions(dir.path("shared"), fs::perms(0644));
        for (const auto &[name, mode] : {std::pair("shared", 0644u), {"first", 0666u & ~umask}}) {
            QVERIFY(!writeLoadedFolders(dir.path(name), folders));
            QCOMPARE(fs::status(dir.path(name)).permissions(), fs::perms(mode));
        }
#endif
    }

    // A file is read up to its limit exactly, across the reader's buffer of 64 KiB.
    void readLimit()
    {
        TestDir dir;
        std::string text(200'000, 'x');
        std::ranges::generate(text, [i = 0]() mutable { return char(++i % 251); });
        dir.write("text", text);
        for (const std::size_t limit : {0, 1, 65'535, 65'537, 199'999, 200'000, 300'000}) {
            std::string bytes = "stale";
            QVERIFY(!readFile(dir.path("text"), bytes, limit));
            QCOMPARE(bytes, text.substr(0, limit));
        }
    }

    // "?" takes one character, however many bytes spell it; ".*" takes a name without a dot.
    void pattern()
    {
        QVERIFY(matchesPattern("a?c", "aéc") && matchesPattern("?", "\U0001F600"));
        QVERIFY(!matchesPattern("a??c", "aéc") && !matchesPattern("a?c", "ac"));
        QVERIFY(matchesPattern("*.*", "readme") && !matchesPattern("*.", "a.b"));
    }

    // Names sort by their upper case, a name before the longer ones it begins, then by bytes.
    void sortOrder()
    {
        Names names{"b", "ab", "a.txt",     "A",     "longname.dat",
                    "a", "é",  "longnamez", "A.TXT", "longname"};
        sortNames(names);
        QCOMPARE(names, (Names{"A", "a", "A.TXT", "a.txt", "ab", "b", "longname", "longname.dat",
                               "longnamez", "é"}));
    }

    void installed_data()
    {
        using namespace std::string_literals;
        QTest::addColumn<std::string>("before");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<Target>("target");
        QTest::addColumn<std::string>("after");
        QTest::newRow("a new name") << ""s << false << Target::New << "old=new"s;
        QTest::newRow("a file") << "old=game"s << false << Target::Existing << "old=new"s;
        QTest::newRow("a file come since Load looked")
            << "old=game"s << false << Target::New << "old=new"s;
        QTest::newRow("a read-only file") << "old=game"s << true << Target::Existing << "old=game"s;
        QTest::newRow("a read-only file come since")
            << "old=game"s << true << Target::New << "old=game"s;
        QTest::newRow("a folder come since") << "old/"s << false << Target::New << "old/"s;
    }

    // A copy takes a new name or replaces a file whole, and has its original's time, writable;
    // it never replaces a read-only file or a folder, though Load looked at it beforehand or
    // found nothing there, and it leaves no temporary.
    void installed()
    {
        QFETCH(std::string, before);
        QFETCH(bool, readOnly);
        QFETCH(Target, target);
        QFETCH(std::string, after);
        TestDir dir;
        dir.make({"new=new", "game/", "game/" + before});
        fs::permissions(fsPath(dir.path("new")), fs::perms(0444));
        if (readOnly) {
            fs::permissions(fsPath(dir.path("game/old")), fs::perms(0444));
        }
        const Outcome failed = installFile(FolderHandle(dir.path()), "new",
                                           FolderHandle(dir.path("game")), "old", target);
        QCOMPARE(failed.has_value(), after != "old=new");
        QCOMPARE(dir.contents("game"), Names{after});
        if (!failed) {
            const fs::path copy = fsPath(dir.path("game/old"));
            QVERIFY(fs::last_write_time(copy) == fs::last_write_time(fsPath(dir.path("new"))));
            QVERIFY((fs::status(copy).permissions() & fs::perms::owner_write) != fs::perms::none);
        }
    }

    // A new temporary whose name by its identity is already taken tries the next number, and the
    // file of that name stays.
    void takenTemporaryName()
    {
        POSIX_ONLY("a taken name as errno tells it");
        TestDir dir;
        const auto nameOf = [](unsigned n) { return platform::temporaryName(".t-", 42, n); };
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

    // What a killed Kestro left goes (on Windows it leaves nothing), and only what it can prove
    // its own: not a user's or an add-on's file named like it, not a copy of a leftover, not a
    // temporary still written by another Kestro.
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
        killed.reset(); // as a Kestro killed while it writes leaves it: on Windows, nothing
        Names kept{start + "2024-05", start + "1-1", killedName + "0"};
        dir.make(kept);
        kept.push_back(heldName);
        QCOMPARE(dir.names().size(), kept.size() + onPosix);
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
