// SPDX-License-Identifier: GPL-3.0-or-later
// Load and removal: what they copy into the game directory and delete from it, and what they
// record.
#include "core/filecopy.h"
#include "install/load.h"
#include "windowdriver.h"

class Install : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every file the file list shows is copied over the game's file of that name in any letter
    // case, with its time, always writable; the folder is recorded, again on a second Load. A
    // game file that anybody may write to is replaced, a link too. Letter case is one character
    // to one character ("é" is "É", "ß" is not "SS"), the first spelling a folder or the game
    // has wins, and a zero-byte file is copied. Load refuses a folder the list file cannot
    // keep, or none, before copying anything. A removal that cannot give File1 its folder back
    // turns Load off.
    void load()
    {
        POSIX_ONLY("two names that differ only in letter case, links, modes, line breaks in names");
        Messages messages;
        TestDir start;
        start.make({"a/readme.txt=add-on readme", "a/A.TXT=upper", "a/Eaw.ini=add-on ini",
                    "outside.dat=outside", "EAW/STRASSE.TXT=game", "EAW/É.TXT=game"});
        start.make({"EAW/eaw.ini", "EAW/EAW.INI", "EAW/x.txt", "a/x.txt", "a/ro.dat", "a/link.dat",
                    "a/.hidden", "a/sub/inner.txt", "a/a.txt", "a/straße.txt", "a/é.txt", "empty/",
                    "EAW/link.dat -> ../outside.dat", "line\nbreak/x", "carriage\rreturn/x",
                    "sub/gone/x", "sub/other/x"});
        start.make({"a/fifo.txt|", "a/dev.txt -> /dev/null", "a/broken.txt -> nowhere"});
        const auto time = fs::last_write_time(start.path("a/x.txt")) - 1000h - 123ns;
        fs::last_write_time(start.path("a/x.txt"), time);
        fs::permissions(start.path("a/ro.dat"), fs::perms(0444));
        fs::permissions(start.path("EAW/x.txt"), fs::perms(0464)); // not read-only: one may write
        auto window = openWindow(start, "EAW");
        // What a Load killed half-way left goes at the next Load; a file named like it stays.
        platform::File killed;
        std::string leftover;
        QVERIFY(!platform::createTemporary(platform::Folder(start.path("EAW")), temporaryPrefix,
                                           killed, leftover));
        killed.reset();
        // The game's README.TXT comes after the game was found: Load reads the game afresh.
        start.make({"EAW/.kestro-2024-05", "EAW/README.TXT"});

        click(*window, start.path("a"));
        // Files only, by name in any letter case, then by bytes; no hidden file, no folder, and
        // nothing a copy could not read like a file: a FIFO, a device, a broken link.
        QCOMPARE(listed(*window->File1),
                 (Names{"A.TXT", "a.txt", "Eaw.ini", "link.dat", "readme.txt", "ro.dat",
                        "straße.txt", "x.txt", "é.txt"}));
        clickLoad(*window);
        // README.TXT keeps the game's spelling, and of two spellings the game list's first is
        // written; no hidden file, nothing from the subfolder.
        const Names loaded{".kestro-2024-05", "A.TXT",   "EAW.INI",  "README.TXT",
                           "STRASSE.TXT",     "eaw.ini", "link.dat", "ro.dat",
                           "straße.txt",      "x.txt",   "É.TXT"};
        QCOMPARE(start.names("EAW"), loaded);
        QCOMPARE(start.read("EAW/README.TXT"), "add-on readme");
        QCOMPARE(start.read("EAW/EAW.INI") + '|' + start.read("EAW/eaw.ini"), "add-on ini|");
        QCOMPARE(start.read("EAW/STRASSE.TXT") + start.read("EAW/A.TXT") + start.read("EAW/É.TXT"),
                 "game");
        QVERIFY(fs::last_write_time(start.path("EAW/x.txt")) == time);
        // The link is replaced by an empty copy, not written through.
        QCOMPARE(start.read("outside.dat") + start.read("EAW/link.dat"), "outside");
        QCOMPARE(fs::status(start.path("EAW/ro.dat")).permissions(), fs::perms(0644));

        window->Command1->setFocus();
        QTest::keyClick(window->Command1, Qt::Key_Return);
        // The progress moves on as each file takes its place, up to all nine.
        std::vector<std::size_t> told{0};
        QVERIFY(!Command1_Click(window->form, [&](std::size_t done, std::size_t) {
            done == told.back() ? void() : told.push_back(done);
        }));
        QCOMPARE(told, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        click(*window, start.path("empty"));
        clickLoad(*window);
        for (const std::string folder : {"line\nbreak", "carriage\rreturn"}) {
            click(*window, start.path(folder));
            clickLoad(*window);
            QCOMPARE(messages.take(),
                     u"Cannot load \"%1\": its name holds a line break, which "
                     u"\"FoldersLoaded.txt\" cannot keep"_s.arg(start.qpath(folder)));
        }
        window->Dir1->selectRow(-1);
        clickLoad(*window);
        QCOMPARE(messages.take(),
                 u"Cannot load \"%1\": no folder is chosen in the folder list"_s.arg(
                     start.qpath("carriage\rreturn")));
        QCOMPARE(start.names("EAW"), loaded);
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"a", "a", "a", "empty"}));

        // A folder that vanished leaves Load off, after a removal that cannot show it again and
        // after a click on it in a directory list below the start directory.
        open(*window, start.path("sub"));
        click(*window, start.path("sub/gone"));
        fs::remove_all(start.path("sub/gone"));
        const QString gone =
            u"Cannot open \"%1\": No such file or directory\n\n"_s.arg(start.qpath("sub/gone")) +
            loadIsOff();
        clickRow(window->List1, 0);
        QCOMPARE(messages.take(), gone);
        QVERIFY(!window->Command1->isEnabled());
        QVERIFY(click(*window, start.path("sub/other")));
        QVERIFY(!click(*window, start.path("sub/gone")));
        QCOMPARE(messages.take(), gone);
        QCOMPARE(start.names("EAW"), (Names{".kestro-2024-05", "STRASSE.TXT"}));
    }

    // A click on a loaded folder deletes the game files named like its files in any letter
    // case, and links rather than what they lead to. The focus arriving by Tab deletes nothing;
    // nothing is chosen after a removal, and a folder without files stays listed.
    void removal()
    {
        POSIX_ONLY("two names that differ only in letter case in one folder, and links");
        Messages messages;
        TestDir start;
        start.make({"EAW/eaw.ini", "EAW/README.TXT", "EAW/Readme.txt", "EAW/shared.txt",
                    "EAW/b.txt", "EAW/old.txt", "EAW/.h", "EAW/folder.txt/", "a/readme.txt",
                    "a/shared.txt", "a/link.txt", "a/FOLDER.TXT", "a/gone.txt", "a/.h",
                    "b/shared.txt", "b/b.txt", "e/", "EAW/link.txt -> ../outside.txt",
                    "EAW/gone.txt -> nowhere"});
        start.make({"outside.txt=outside", "FoldersLoaded.txt=" + lines(start, {"a", "e", "b"})});
        auto window = openWindow(start, "EAW");

        // Back on the start directory by a right click, with "b" still in File1.
        click(*window, start.path("b"));
        click(*window, start.path("b"), Qt::RightButton);
        window->File1->setFocus();
        QTest::keyClick(window->File1, Qt::Key_Tab);
        QTRY_VERIFY(window->List1->hasFocus());
        QCOMPARE(start.names("EAW").size(), 10u);
        // Down chooses "a": both spellings of its readme go, and the link rather than what it
        // leads to. Its hidden file is not listed, and a folder or a broken link is no file.
        QTest::keyClick(window->List1, Qt::Key_Down);
        QCOMPARE(start.names("EAW"),
                 (Names{".h", "b.txt", "eaw.ini", "folder.txt", "gone.txt", "old.txt"}));
        QVERIFY(!window->Command1->isEnabled());
        QCOMPARE(start.read("outside.txt"), "outside");
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"e", "b"}));

        // Nothing is chosen after a removal: Down chooses "e", which holds no file and stays.
        QTest::keyClick(window->List1, Qt::Key_Down);
        QTest::keyClick(window->List1, Qt::Key_Down);
        QCOMPARE(start.names("EAW"), (Names{".h", "eaw.ini", "folder.txt", "gone.txt", "old.txt"}));
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"e"}));

        // Removed while the directory list stands in "e" and File1 on the start directory: Load
        // is on, and copies the start directory's files.
        start.write("e/old.txt");
        open(*window, start.path("e"));
        click(*window, start.path());
        clickRow(window->List1, 0);
        QCOMPARE(start.read("FoldersLoaded.txt"), "");
        clickLoad(*window);
        QVERIFY(fs::exists(start.path("EAW/outside.txt")) &&
                !fs::exists(start.path("EAW/old.txt")));
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {""}));

        // A game directory that went away is told, and the folder stays listed.
        fs::rename(fsPath(start.path("EAW")), fsPath(start.path("away")));
        clickRow(window->List1, 0);
        QVERIFY(messages.take().startsWith(u"Cannot open \""_s + start.qpath("EAW") + u"\": "_s));
        QCOMPARE(window->List1->count(), 1);
    }

    // The game directory, and the start directory, under any name (a link, a linked parent, a
    // bind mount) are no add-ons: a click leaves Load off, and so does a removal. Load pressed
    // on the game all the same refuses it, and a list entry naming the game deletes nothing.
    void gameItself()
    {
        Messages messages;
        TestDir start;
        start.make({"games/EAW/eaw.ini", "games/EAW/a.txt", "a/a.txt", "bound/"});
        start.make(onPosix ? Names{"EAW -> games/EAW", "Here -> ."} : Names{});
        start.write("FoldersLoaded.txt", lines(start, {"a", "a", "games/EAW"}));
        const std::string here = onPosix ? "Here" : "", via = onPosix ? "Here/" : "";
        Names others;
#ifndef _WIN32
        const std::string bound = start.path("bound");
        const bool mounted =
            ::mount(start.path("games/EAW").c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) == 0;
        const auto unmount = qScopeGuard([&] { ::umount2(bound.c_str(), MNT_DETACH); });
        others = {"EAW", mounted ? "bound" : "EAW", "Here"};
#endif
        auto window = openWindow(start);
        open(*window, start.path("games"));
        click(*window, start.path("games/EAW"));
        for (const std::string &other : others) {
            QVERIFY2(!click(*window, start.path(other)), other.c_str());
        }
        open(*window, start.path(here));
        clickRow(window->List1, 0);
        QVERIFY(!window->Command1->isEnabled());
        QCOMPARE(start.names("games/EAW"), Names{"eaw.ini"});
        open(*window, start.path(via + "games"));
        QVERIFY(!click(*window, start.path(via + "games/EAW")));
        clickRow(window->List1, 0);
        QVERIFY(!window->Command1->isEnabled());
        window->Command1->setEnabled(true);
        clickLoad(*window);
        QCOMPARE(messages.take(), u"Cannot load \"%1\": it is the game directory itself"_s.arg(
                                      start.qpath(via + "games/EAW")));
        clickRow(window->List1, 0);
        QCOMPARE(messages.take(), u"Cannot remove \"%1\": it is the game directory itself\n\n"
                                  u"Nothing was deleted."_s.arg(start.qpath("games/EAW")));
        QCOMPARE(start.names("games/EAW"), Names{"eaw.ini"});
        QCOMPARE(window->List1->count(), 1);
    }
};

QTEST_MAIN(Install)
#include "install.moc"
