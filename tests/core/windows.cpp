// SPDX-License-Identifier: GPL-3.0-or-later
// What only Kestro for Windows meets: attributes, letter case beyond ASCII, drive roots, long
// paths and odd names, links, the list file's code page, and files and folders held open.
#include "app/startup.h"
#include "core/directory.h"
#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "core/platform_win.h"
#include "core/textfile.h"
#include "windowdriver.h"

#include <windows.h>

using platform::wide;

// A full path as the system takes it whole: of any length, with names ending in a dot or a space.
static std::wstring exact(const std::string &path)
{
    return L"\\\\?\\" + QString::fromStdString(path).toStdWString();
}

static bool writeExact(const std::wstring &path, const std::string &bytes)
{
    return bool(std::ofstream(fs::path(path), std::ios::binary) << bytes);
}

// Each file of a folder as "name=bytes", sorted by bytes: as Kestro lists them, which reaches
// names and paths the standard library cannot.
static Names contents(const std::string &folder)
{
    Names found;
    listFiles(folder, "*.*", found);
    for (std::string &name : found) {
        std::string bytes;
        readFile(platform::join(folder, name), bytes, 100);
        name += "=" + bytes;
    }
    std::ranges::sort(found);
    return found;
}

static void setAttributes(const TestDir &dir, const Names &names, DWORD attributes)
{
    for (const std::string &name : names) {
        QVERIFY(::SetFileAttributesW(wide(dir.path(name)).c_str(), attributes));
    }
}

class Windows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Hidden and system files are never listed, copied, replaced or deleted; hidden and system
    // folders are listed. A Load that would replace a hidden, system or read-only game file, or a
    // removal that would delete a read-only file, is refused before any file changes; "é.txt" is
    // the game's "É.TXT". A game file another program holds open is reported and stays whole.
    void attributesAndCase()
    {
        Messages messages;
        TestDir start;
        makeStart(start, {"EAW/eaw.ini", "a/ok.txt", "a/h.txt", "a/s.txt", "c/ok.txt", "c/h.txt",
                          "d/ok.txt", "d/s.txt", "h/", "s/", "a/ro.txt=new", "b/é.txt=new",
                          "EAW/ok.txt=old", "EAW/ro.txt=old", "EAW/É.TXT=old", "EAW/h.txt=hidden",
                          "EAW/s.txt=system", "e/held.txt=new", "EAW/held.txt=old"});
        setAttributes(start, {"a/h.txt", "EAW/h.txt", "h"}, FILE_ATTRIBUTE_HIDDEN);
        setAttributes(start, {"a/s.txt", "EAW/s.txt", "s"}, FILE_ATTRIBUTE_SYSTEM);
        setAttributes(start, {"EAW/ro.txt"}, FILE_ATTRIBUTE_READONLY);
        auto window = openWindow(start, "EAW");
        const DWORD lock = ::GetFileAttributesW(wide(start.path(startLockName)).c_str());
        QVERIFY(lock != INVALID_FILE_ATTRIBUTES && (lock & FILE_ATTRIBUTE_HIDDEN));
        QCOMPARE(listed(*window->Dir1),
                 (Names{start.path("a"), start.path("b"), start.path("c"), start.path("d"),
                        start.path("e"), start.path("EAW"), start.path("h"), start.path("s")}));

        click(*window, start.path("b"));
        clickLoad(*window);
        QCOMPARE(start.read("EAW/É.TXT"), "new");
        const Names game = start.contents("EAW");
        click(*window, start.path("a"));
        QCOMPARE(listed(*window->File1), (Names{"ok.txt", "ro.txt"}));
        clickLoad(*window);
        QCOMPARE(messages.take(), u"Cannot copy to \"%1\": %2\n\nNothing was copied."_s.arg(
                                      start.qpath("EAW/ro.txt"), accessDenied()));
        for (const std::string folder : {"c", "d"}) {
            const std::string file = folder == "c" ? "EAW/h.txt" : "EAW/s.txt";
            click(*window, start.path(folder));
            clickLoad(*window);
            QCOMPARE(messages.take(),
                     u"Cannot copy to \"%1\": it is a hidden or system file, "
                     u"which Kestro leaves alone\n\nNothing was copied."_s.arg(start.qpath(file)));
        }
        const HANDLE held = ::CreateFileW(wide(start.path("EAW/held.txt")).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
        click(*window, start.path("e"));
        clickLoad(*window);
        ::CloseHandle(held);
        QVERIFY(messages.take().startsWith(
            u"Cannot copy to \"%1\": "_s.arg(start.qpath("EAW/held.txt"))));
        QCOMPARE(start.contents("EAW"), game);

        window->List1->addItem(start.path("a"));
        clickRow(window->List1, 1);
        QCOMPARE(messages.take(), u"Cannot delete \"%1\": %2\n\nNothing was deleted."_s.arg(
                                      start.qpath("EAW/ro.txt"), accessDenied()));
        QCOMPARE(start.contents("EAW"), game);
        clickRow(window->List1, 0);
        QCOMPARE(start.names("EAW"),
                 (Names{"eaw.ini", "h.txt", "held.txt", "ok.txt", "ro.txt", "s.txt"}));
        setAttributes(start, {"EAW/ro.txt"}, FILE_ATTRIBUTE_NORMAL);
    }

    // At a drive's root a file's path has a doubled separator, and works.
    // A drive or letter case of its own is another spelling of a folder.
    void driveRoot()
    {
        const std::string root = "C:\\";
        const std::string name = "kestro-" + std::to_string(::GetCurrentProcessId()) + ".txt";
        const std::string doubled = platform::join(root, name);
        QCOMPARE(doubled, "C:\\\\" + name);
        TestDir dir;
        dir.write("copy.txt", "old");
        QVERIFY(platform::sameFile(dir.path(), dir.qpath().toLower().toStdString()));
        QVERIFY(!platform::sameFile(dir.path(), dir.path("copy.txt")));
        if (Outcome failed = installFile(dir.path("copy.txt"), doubled)) {
            QSKIP(qPrintable(u"no drive root to write in: "_s + failed->message()));
        }
        std::string bytes;
        QVERIFY(!readFile(doubled, bytes, 100));
        QCOMPARE(bytes, "old");
        QVERIFY(!platform::remove(platform::Folder(root), name));
        QVERIFY(readFile(doubled, bytes, 100).has_value());
    }

    // A list written in the system's code page, accented or Japanese names included, is read as
    // those names and written back byte for byte, with the bytes that spell nothing in it; Load
    // refuses a folder the code page cannot spell. Run in code pages 1252 and 932 (Japanese).
    void codePage()
    {
        Messages messages;
        TestDir start;
        makeStart(start, {"EAW/eaw.ini", "\ud55c/a.txt"});
        const std::string accented = "C:\\Caf\xe9\\Cr\xe8me";
        const std::string japanese = "C:\\\x93\xfa\x96\x7b\\\x95\x5c"; // "C:\日本\表" in 932
        const std::string list = accented + "\r\n" + japanese + "\r\nC:\\\x81 \xff\r\n";
        start.write("FoldersLoaded.txt", list);
        std::vector<std::string> folders;
        QVERIFY(!readLoadedFolders(start.path("FoldersLoaded.txt"), folders));
        QCOMPARE(folders[0], QString::fromLocal8Bit(accented).toStdString());
        // "C:\日本\表" in Japanese, code page 932, only.
        QCOMPARE(folders[1] == "C:\\\u65e5\u672c\\\u8868",
                 qEnvironmentVariable("LANG").startsWith(u"ja"_s));
        QVERIFY(!writeLoadedFolders(start.path("FoldersLoaded.txt"), folders));
        QCOMPARE(start.read("FoldersLoaded.txt"), list);

        if (::GetACP() == CP_UTF8) {
            QSKIP("this system's code page spells every name");
        }
        auto window = openWindow(start, "EAW");
        click(*window, start.path("\ud55c"));
        clickLoad(*window);
        QVERIFY(messages.take().contains(u"cannot keep"_s));
        QCOMPARE(start.names("EAW"), Names{"eaw.ini"});
    }

    // A game folder 300 characters deep, and names the system would change unless given them as
    // they are: "readme.txt." is loaded and removed beside the game's "readme.txt", and a name that
    // is not valid UTF-16 (NTFS allows it, Wine does not) beside "a\uFFFD". The list names the
    // add-on as a user may write it, with "\/./", which Kestro tidies before the system takes it.
    void longPathsAndOddNames()
    {
        Messages messages;
        TestDir start;
        makeStart(start);
        start.write("FoldersLoaded.txt", start.path() + "\\/./a\r\n");
        const std::string deep = "EAW/" + std::string(130, 'g'),
                          game = deep + "/" + std::string(130, 'h');
        for (const std::string &folder : {"EAW"s, deep, game, "a"s}) {
            QVERIFY(::CreateDirectoryW(exact(start.path(folder)).c_str(), nullptr));
        }
        // Brought back within the reach of the test's own tools, which clear the folder.
        const auto clearable = qScopeGuard([&] {
            for (const std::string &odd :
                 {"a/readme.txt."s, "a/b "s, game + "/readme.txt.", game + "/b "}) {
                ::DeleteFileW(exact(start.path(odd)).c_str());
            }
            ::MoveFileW(exact(start.path(deep)).c_str(), exact(start.path("EAW/g")).c_str());
        });
        for (const std::string name : {"readme.txt", "b", "a\uFFFD", "eaw.ini"}) {
            QVERIFY(writeExact(exact(start.path(game + "/" + name)), "game's"));
        }
        for (const std::string name : {"readme.txt.", "b ", "c"}) {
            QVERIFY(writeExact(exact(start.path("a/" + name)), "add-on's"));
        }
        const bool lone = writeExact(exact(start.path("a")) + L"\\a\xD800", "add-on's");
        auto window = openWindow(start);
        open(*window, start.path("EAW"));
        open(*window, start.path(deep));
        click(*window, start.path(game)); // and back to the start directory
        click(*window, start.path("a"));
        clickLoad(*window); // quietly: a message left untaken fails the test
        const Names kept{"a\uFFFD=game's", "b=game's", "eaw.ini=game's", "readme.txt=game's"};
        Names loaded{"b =add-on's", "c=add-on's", "readme.txt.=add-on's", "a\xED\xA0\x80=add-on's"};
        loaded.resize(lone ? 4 : 3); // the last one only where the system could make it
        loaded.insert(loaded.end(), kept.begin(), kept.end());
        std::ranges::sort(loaded);
        QCOMPARE(contents(start.path(game)), loaded);
        clickRow(window->List1, 0);
        QCOMPARE(contents(start.path(game)), kept);
    }

    // Nobody renames or deletes a folder while Kestro works in it (its files are worked on as ever,
    // as every Load shows); every operation in what is no folder fails as the folder did.
    // A link counts as what it leads to, and one that leads nowhere is no entry. The list kept
    // elsewhere through a link is saved there, and the link stays.
    void heldFolderAndLinks()
    {
        TestDir dir;
        dir.make({"a/file", "elsewhere/list", "game/b"});
        const std::wstring game = wide(dir.path("game")), moved = wide(dir.path("moved"));
        {
            const platform::Folder held(dir.path("game")), notFolder(dir.path("game/b"));
            QVERIFY(!::MoveFileW(game.c_str(), moved.c_str()) && notFolder.error());
            platform::File file;
            std::string name;
            QCOMPARE(platform::remove(notFolder, "a"), notFolder.error());
            QCOMPARE(platform::createTemporary(notFolder, ".t-", file, name), notFolder.error());
        }
        QVERIFY(::MoveFileW(game.c_str(), moved.c_str()));
        const auto link = [&](const std::string &name, const std::string &target, DWORD flags) {
            return ::CreateSymbolicLinkW(wide(dir.path(name)).c_str(),
                                         wide(dir.path(target)).c_str(),
                                         flags | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
                   fs::is_symlink(fsPath(dir.path(name)));
        };
        if (!link("a/to file", "a/file", 0)) {
            QSKIP("no links here: Wine makes none, Windows only in developer mode or as admin");
        }
        QVERIFY(link("a/to nothing", "a/gone", 0) &&
                link("FoldersLoaded.txt", "elsewhere/list", 0));
        QVERIFY(link("a/to no folder", "gone", SYMBOLIC_LINK_FLAG_DIRECTORY) &&
                link("a/to folder", "elsewhere", SYMBOLIC_LINK_FLAG_DIRECTORY));
        Names names;
        QVERIFY(!listFiles(dir.path("a"), "*.*", names));
        QCOMPARE(names, (Names{"file", "to file"}));
        QVERIFY(!listSubdirectories(dir.path("a"), names));
        QCOMPARE(names, Names{"to folder"});
        QVERIFY(!writeLoadedFolders(dir.path("FoldersLoaded.txt"), {"C:\\g"}));
        QCOMPARE(dir.read("elsewhere/list"), "C:\\g\r\n");
        QVERIFY(fs::is_symlink(fsPath(dir.path("FoldersLoaded.txt"))));
    }
};

QTEST_MAIN(Windows)
#include "windows.moc"
