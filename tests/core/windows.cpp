// SPDX-License-Identifier: GPL-3.0-or-later
// What only Kestro for Windows meets: file attributes, letter case beyond ASCII, drive roots,
// the ANSI code page of "FoldersLoaded.txt", and game files that other programs hold open.
#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "core/textfile.h"
#include "widgets/dirlistbox.h"
#include "widgets/form.h"
#include "windowdriver.h"

#include <QScopeGuard>

#include <windows.h>

static std::wstring wide(const std::string &path)
{
    return QString::fromStdString(path).toStdWString();
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
    // Hidden and system files are never listed, copied, replaced or deleted. A Load that would
    // replace a hidden, system or read-only game file, or copy a name Windows cannot open, or a
    // removal that would delete a read-only file, is refused before any file changes; "é.txt"
    // is the game's "É.TXT".
    void attributesAndCase()
    {
        Messages messages;
        TestDir start;
        makeStart(start);
        start.make({"EAW/eaw.ini", "a/ok.txt", "a/h.txt", "a/s.txt", "c/ok.txt", "c/h.txt",
                    "d/ok.txt", "d/s.txt", "e/a.txt"});
        start.write("a/ro.txt", "new");
        start.write("b/é.txt", "new");
        start.write("EAW/ok.txt", "old");
        start.write("EAW/ro.txt", "old");
        start.write("EAW/É.TXT", "old");
        start.write("EAW/h.txt", "hidden");
        start.write("EAW/s.txt", "system");
        setAttributes(start, {"a/h.txt", "EAW/h.txt"}, FILE_ATTRIBUTE_HIDDEN);
        setAttributes(start, {"a/s.txt", "EAW/s.txt"}, FILE_ATTRIBUTE_SYSTEM);
        setAttributes(start, {"EAW/ro.txt"}, FILE_ATTRIBUTE_READONLY);
        auto window = openWindow(start, "EAW");

        click(*window, start.path("b"));
        clickLoad(*window);
        QCOMPARE(start.read("EAW/É.TXT"), "new");
        const Names game = start.contents("EAW");
        click(*window, start.path("a"));
        QCOMPARE(listed(*window->File1), (Names{"ok.txt", "ro.txt"}));
        clickLoad(*window);
        QCOMPARE(messages.take(),
                 u"Cannot copy to \"%1\": Permission denied\n\nNothing was copied."_s.arg(
                     start.qpath("EAW/ro.txt")));
        for (const std::string folder : {"c", "d"}) {
            const std::string file = folder == "c" ? "EAW/h.txt" : "EAW/s.txt";
            click(*window, start.path(folder));
            clickLoad(*window);
            QCOMPARE(messages.take(),
                     u"Cannot copy to \"%1\": it is a hidden or system file, "
                     u"which Kestro leaves alone\n\nNothing was copied."_s.arg(start.qpath(file)));
        }
        QCOMPARE(start.contents("EAW"), game);

        window->List1->addItem(start.path("a"));
        clickRow(window->List1, 1);
        QCOMPARE(messages.take(),
                 u"Cannot delete \"%1\": Permission denied\n\nNothing was deleted."_s.arg(
                     start.qpath("EAW/ro.txt")));
        QCOMPARE(start.contents("EAW"), game);
        clickRow(window->List1, 0);
        QCOMPARE(start.names("EAW"), (Names{"eaw.ini", "h.txt", "ok.txt", "ro.txt", "s.txt"}));
        setAttributes(start, {"EAW/ro.txt"}, FILE_ATTRIBUTE_NORMAL);

        // Windows would open "readme.txt." as "readme.txt", another file.
        const std::wstring dotted = L"\\\\?\\" + wide(start.path("e/readme.txt."));
        ::CloseHandle(
            ::CreateFileW(dotted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        const auto removed = qScopeGuard([&] { ::DeleteFileW(dotted.c_str()); });
        click(*window, start.path("e"));
        if (listed(*window->File1) != Names{"a.txt", "readme.txt."}) {
            QSKIP("this system does not list a name that ends in a dot");
        }
        clickLoad(*window);
        QCOMPARE(messages.take(),
                 u"Cannot copy \"%1\": its name ends in a dot or a space, which Windows takes "
                 u"for another name\n\nNothing was copied."_s.arg(start.qpath("e/readme.txt.")));
        QVERIFY(!fs::exists(fsPath(start.path("EAW/a.txt"))));
    }

    // At a drive's root a file's path has a doubled separator, and works; a folder's does not.
    void driveRoot()
    {
        const std::string root = "C:\\";
        const std::string name = "kestro-" + std::to_string(::GetCurrentProcessId()) + ".txt";
        const std::string doubled = platform::join(root, name);
        QCOMPARE(doubled, "C:\\\\" + name);
        TestDir dir;
        dir.write("copy.txt", "old");
        if (Outcome failed = installFile(dir.path("copy.txt"), doubled)) {
            QSKIP(qPrintable(u"no drive root to write in: "_s + failed->message()));
        }
        std::string bytes;
        QVERIFY(!readFile(doubled, bytes, 100));
        QCOMPARE(bytes, "old");
        QVERIFY(!platform::remove(platform::Folder(root), name));
        QVERIFY(readFile(doubled, bytes, 100).has_value());

        DirListBox list;
        QVERIFY(!list.setPath(root));
        QCOMPARE(list.entry(-1), root);
        QVERIFY(list.count() > 0);
        QCOMPARE(list.entry(0).substr(0, 3), root);
        QVERIFY(list.entry(0)[3] != '\\');
    }

    // A list written in the system's code page, accented names included, is read as those names
    // and written back byte for byte; Load refuses a folder the code page cannot spell.
    void codePage()
    {
        Messages messages;
        TestDir start;
        makeStart(start);
        start.make({"EAW/eaw.ini", "\u65e5\u672c/a.txt"});
        const std::string accented = "C:\\Caf\xe9\\Cr\xe8me";
        start.write("FoldersLoaded.txt", accented + "\r\n");
        std::vector<std::string> folders;
        QVERIFY(!readLoadedFolders(start.path("FoldersLoaded.txt"), folders));
        QCOMPARE(folders, Names{QString::fromLocal8Bit(accented).toStdString()});
        QVERIFY(!writeLoadedFolders(start.path("FoldersLoaded.txt"), folders));
        QCOMPARE(start.read("FoldersLoaded.txt"), accented + "\r\n");

        if (::GetACP() == CP_UTF8) {
            QSKIP("this system's code page spells every name");
        }
        auto window = openWindow(start, "EAW");
        click(*window, start.path("\u65e5\u672c"));
        clickLoad(*window);
        QVERIFY(messages.take().contains(u"cannot keep"_s));
        QCOMPARE(start.names("EAW"), Names{"eaw.ini"});
    }

    // A game file another program holds open is reported and stays whole; nothing is left over.
    void heldOpen()
    {
        Messages messages;
        TestDir start;
        makeStart(start);
        start.make({"EAW/eaw.ini"});
        start.write("a/a.txt", "new");
        start.write("EAW/a.txt", "old");
        auto window = openWindow(start, "EAW");
        const HANDLE held = ::CreateFileW(wide(start.path("EAW/a.txt")).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
        click(*window, start.path("a"));
        clickLoad(*window);
        ::CloseHandle(held);
        QVERIFY(
            messages.take().startsWith(u"Cannot copy to \"%1\": "_s.arg(start.qpath("EAW/a.txt"))));
        QCOMPARE(start.read("EAW/a.txt"), "old");
        QCOMPARE(start.names("EAW"), (Names{"a.txt", "eaw.ini"}));
    }
};

QTEST_MAIN(Windows)
#include "windows.moc"
