// SPDX-License-Identifier: GPL-3.0-or-later
// What only Kestro for Windows meets: file attributes, letter case beyond ASCII, drive roots,
// the ANSI code page of "FoldersLoaded.txt", and game files that other programs hold open.
#include "app/startup.h"
#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "core/textfile.h"
#include "widgets/dirlistbox.h"
#include "widgets/form.h"
#include "windowdriver.h"

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
    // Hidden and system files are never listed, copied or deleted; hidden and system folders
    // are listed. A read-only game file is neither replaced by Load nor deleted by a removal;
    // "é.txt" is the game's "É.TXT".
    void attributesAndCase()
    {
        Messages messages;
        TestDir start;
        makeStart(start);
        start.make({"EAW/eaw.ini", "a/ok.txt", "a/h.txt", "a/s.txt", "h/", "s/"});
        start.write("a/ro.txt", "new");
        start.write("b/é.txt", "new");
        start.write("EAW/ro.txt", "old");
        start.write("EAW/É.TXT", "old");
        start.write("EAW/h.txt", "hidden");
        start.write("EAW/s.txt", "system");
        setAttributes(start, {"a/h.txt", "EAW/h.txt", "h"}, FILE_ATTRIBUTE_HIDDEN);
        setAttributes(start, {"a/s.txt", "EAW/s.txt", "s"}, FILE_ATTRIBUTE_SYSTEM);
        setAttributes(start, {"EAW/ro.txt"}, FILE_ATTRIBUTE_READONLY);
        auto window = openWindow(start, "EAW");
        const DWORD lock = ::GetFileAttributesW(wide(start.path(startLockName)).c_str());
        QVERIFY(lock != INVALID_FILE_ATTRIBUTES && (lock & FILE_ATTRIBUTE_HIDDEN));
        QCOMPARE(listed(*window->Dir1), (Names{start.path("a"), start.path("b"), start.path("EAW"),
                                               start.path("h"), start.path("s")}));

        click(*window, start.path("b"));
        clickLoad(*window);
        QCOMPARE(start.read("EAW/É.TXT"), "new");
        click(*window, start.path("a"));
        QCOMPARE(listed(*window->File1), (Names{"ok.txt", "ro.txt"}));
        clickLoad(*window);
        QCOMPARE(messages.take(),
                 u"Cannot copy to \"%1\": Permission denied"_s.arg(start.qpath("EAW/ro.txt")));
        QCOMPARE(start.read("EAW/ro.txt"), "old");
        QCOMPARE(start.names("EAW"),
                 (Names{"eaw.ini", "h.txt", "ok.txt", "ro.txt", "s.txt", "É.TXT"}));

        window->List1->addItem(start.path("a"));
        clickRow(window->List1, 1);
        QCOMPARE(messages.take(),
                 u"Cannot delete \"%1\": Permission denied"_s.arg(start.qpath("EAW/ro.txt")));
        clickRow(window->List1, 0);
        QCOMPARE(start.read("EAW/h.txt") + start.read("EAW/s.txt") + start.read("EAW/ro.txt"),
                 "hiddensystemold");
        QCOMPARE(start.names("EAW"), (Names{"eaw.ini", "h.txt", "ro.txt", "s.txt"}));
        setAttributes(start, {"EAW/ro.txt"}, FILE_ATTRIBUTE_NORMAL);
    }

    // At a drive's root a file's path has a doubled separator, and works; a folder's does not.
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
        if (::DefineDosDeviceW(0, L"Q:", wide(dir.path()).c_str())) {
            QVERIFY(platform::sameFile(dir.path(), "Q:\\"));
            ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
        }
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
