// SPDX-License-Identifier: GPL-3.0-or-later
// Odd trees run through discovery, Load, removal and the save at close, and faults in the middle of
// them: each ends right, or with a message naming the path and the reason, and nothing is lost.
#include "windowdriver.h"

#include <QScopeGuard>

namespace {

struct Tree
{
    const char *name;
    std::string game;  // the game directory, in the start directory
    std::string addon; // the add-on folder, in the start directory
    Names files;
    Names links = {}; // made before the game and the add-on are filled
    // What the list file holds at start-up, and what reading it gives.
    std::string list = {};
    Names listed = {};
};

// Folders of 250 bytes, deep enough to bring a file's path near the system's limit of 4096.
const std::string deep = "deep" + ("/" + QByteArray(250, 'd')).repeated(15).toStdString();

// Opens each folder on the way down from the directory list's place, and clicks the last.
void browseTo(Form1 &window, const std::string &path)
{
    const std::string from = window.Dir1->entry(-1);
    for (const fs::path &part : fs::path(path.substr(from.size() + 1))) {
        const std::string folder = platform::join(window.Dir1->entry(-1), pathString(part));
        folder == path ? click(window, folder) : open(window, folder);
    }
}

const std::string manyLines = QByteArray("/games/folder\r\n").repeated(100'000).toStdString();

const std::vector<Tree> trees = {
    {"odd names", "EAW", "odd 'q' \"dq\" [b] *s ?q -d", {"-rf", "a b", "*", "?", "[x]", "'\""}},
    {"not UTF-8", "EAW", "caf\xe9", {"\xff\xfe.txt", "na\xefve"}},
    {"255-byte name", "EAW", "long", {std::string(255, 'n')}},
    {"near the path limit", "EAW", deep, {"f"}},
    {"game reached through a link", "Games/EAW", "addon", {"a"}, {"real/", "Games -> real"}},
    {"game is a link", "EAW", "addon", {"a"}, {"real/", "EAW -> real"}},
    {"add-on is a link", "EAW", "Linked", {"a"}, {"real/", "Linked -> real"}},
    {"file links out of the add-on", "EAW", "addon", {"a"}, {"addon/link -> ../outside"}},
    {"list of 100,000 lines", "EAW", "addon", {"a"}, {}, manyLines},
    {"list with a 1 MB line", "EAW", "addon", {"a"}, {}, std::string(1 << 20, 'x') + "\r\n"},
    // Cut at the NUL, the line would name the add-on, whose files are in the game by then.
    {"list with NUL bytes", "EAW", "addon", {"a"}, {}, "<addon>\0b\r\n"s, {"<addon>\0b"s}},
    {"list ends without a line end", "EAW", "addon", {"a"}, {}, "/g/a", {"/g/a"}},
};

// Files and their sizes in KiB, on a disk of 1 MiB in pieces of 4 KiB.
using Sizes = std::vector<std::pair<std::string, int>>;

struct Room
{
    const char *name;
    Sizes game, addon;
    const char *free = nullptr, *needed = nullptr; // as a refused Load says; none if it fits
};

const std::vector<Room> rooms = {
    {"fits", {}, {{"a1", 300}, {"b2", 300}, {"zz", 300}}},
    {"too large", {}, {{"a1", 400}, {"b2", 400}, {"zz", 400}}, "1.0 MB", "1.2 MB"},
    {"new copy beside the old file", {{"zz", 600}}, {{"zz", 600}}, "424 kB", "600 kB"},
    {"each replaced file frees room for the next", {{"a1", 500}}, {{"a1", 400}, {"b2", 500}}},
    {"what the copies before added", {{"a1", 100}}, {{"a1", 400}, {"b2", 650}}, "924 kB", "952 kB"},
};

// A fault just before an act, and the message it brings: "Cannot <verb> "<start>/<path>":
// <reason>", then what was done.
struct Fault
{
    const char *name; // "<act>, <fault>": a "click" on "a" in the directory list, a "Load" or
                      // the "removal" of the loaded "a"
    const char *verb, *path, *reason;
    int changed = 0; // how many of the game's a, b, c were copied or deleted before the act stopped
};

constexpr const char *gone = "No such file or directory", *denied = "Permission denied";
const std::vector<Fault> failures = {
    {"click, add-on deleted", "open", "a", gone},
    // Seen before the first file is copied or deleted.
    {"Load, add-on deleted", "copy", "a/a", gone},
    {"Load, add-on's file deleted", "copy", "a/b", gone},
    {"Load, read-only", "copy to", "EAW/b", denied},
    {"Load, folder in the way", "copy to", "EAW/b", "Is a directory"},
    {"Load, FIFO in the way", "copy to", "EAW/b", "it is not a file"},
    {"removal, read-only", "delete", "EAW/b", denied},
    // Seen only when it happens.
    {"Load, immutable", "copy to", "EAW/b", "Operation not permitted", 1},
    {"Load, file too large", "copy to", "EAW/b", "File too large", 1},
    {"removal, immutable", "delete", "EAW/b", "Operation not permitted", 1},
};

} // namespace

class Hostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tree_data() { addRows(trees); }

    // In a start directory whose name is not ASCII.
    void tree()
    {
        const Tree &tree = rowOf(trees);
        // All but the list-file trees need links, names Windows forbids, or longer paths.
        if (tree.list.empty()) {
            POSIX_ONLY("links, and names and paths Windows does not allow");
        }
        const TestDir start(QDir::tempPath() + u"/Spiele Größe ß"_s);
        const std::string addon = start.path(tree.addon), game = start.path(tree.game);
        // "<addon>" in a list line stands for the add-on's path.
        const auto spelt = [&](std::string line, const std::string &path) {
            const std::size_t at = line.find("<addon>");
            return at == line.npos ? line : line.replace(at, 7, path);
        };
        const std::string list = spelt(tree.list, *platform::listLine(addon));
        makeStart(start, {"FoldersLoaded.txt=" + list, "outside=outside"});
        start.make(tree.links);
        start.make({tree.game + "/eaw.ini", tree.game + "/keep"});
        for (const std::string &file : tree.files) {
            start.write(tree.addon + "/" + file, "add-on's " + file);
        }
        const Names before = start.names(tree.addon);
        const bool ended = list.empty() || list.ends_with('\n');
        const int listed = int(std::ranges::count(list, '\n') + !ended);

        Messages messages;
        auto window = openWindow(start);
        browseTo(*window, game);
        QCOMPARE(window->List1->count(), listed);
        browseTo(*window, addon);
        clickLoad(*window);
        QCOMPARE(messages.take(), QString());
        for (const std::string &file : before) {
            QCOMPARE(start.read(tree.game + "/" + file), start.read(tree.addon + "/" + file));
        }
        QCOMPARE(window->List1->item(listed), addon);
        if (!tree.listed.empty()) {
            QCOMPARE(window->List1->item(0), spelt(tree.listed[0], addon));
            clickRow(window->List1, 0);
            QVERIFY(messages.take().contains(u"Cannot open"_s));
        }
        clickRow(window->List1, listed); // quietly: a message left untaken fails the test
        QCOMPARE(start.names(tree.game), (Names{"eaw.ini", "keep"}));
        QCOMPARE(start.names(tree.addon), before);
        click(*window, addon); // and Load again, to see the folder's name in the list file
        clickLoad(*window);
        window->close();
        QCOMPARE(start.read("FoldersLoaded.txt"),
                 list + (ended ? "" : "\r\n") + *platform::listLine(addon) + "\r\n");
        QCOMPARE(start.read("outside"), "outside");
    }

    void failure_data() { addRows(failures); }

    // Reported, and nothing is lost: what was done before stays, no temporary file is left, and
    // the list and File1 stay as they were. Enter cannot open a folder that is gone either.
    void failure()
    {
        const Fault &row = rowOf(failures);
        const QString act = QString::fromUtf8(row.name).section(u", "_s, 0, 0),
                      fault = QString::fromUtf8(row.name).section(u", "_s, 1);
        if (fault == u"immutable" || fault == u"FIFO in the way" || fault == u"file too large") {
            POSIX_ONLY("immutable files, FIFOs and limits on a file's size");
        }
        Messages messages;
        TestDir start;
        start.make({"EAW/eaw.ini", "c/c1", "a/a=new", "a/b=new", "a/c=new", "EAW/a=old",
                    "EAW/b=old", "EAW/c=old", "FoldersLoaded.txt=" + lines(start, {"a"})});
        const std::string b = start.path("EAW/b");
        // c as well as b: the first refusal in the files' order is the one told.
        for (const std::string &file : {b, start.path("EAW/c")}) {
            fs::permissions(fsPath(file), fs::perms(fault == u"read-only" ? 0444 : 0644));
        }
#ifndef _WIN32
        const auto thaw = qScopeGuard([&] {
            setImmutable(b, false);
            limitFileSize();
        });
        if (fault == u"immutable" && !setImmutable(b, true)) {
            QSKIP("this file system cannot make a file immutable");
        }
#endif
        // Load copies "a"; a removal borrows File1, which shows "c", and must give it back.
        auto window = openWindow(start, "EAW");
        const std::string shown = act == u"Load" ? "a" : act == u"removal" ? "c" : "EAW";
        click(*window, start.path(shown));
        if (fault.startsWith(u"add-on ")) {
            fs::rename(fsPath(start.path("a")), fsPath(start.path("away")));
        }
        if (fault == u"add-on's file deleted") {
            fs::remove(fsPath(start.path("a/b")));
        }
        if (fault.endsWith(u"in the way")) {
            fs::remove(fsPath(b));
            start.write(fault.startsWith(u"folder") ? "EAW/b/" : "EAW/b|");
        }
#ifndef _WIN32
        if (fault == u"file too large") {
            start.write("a/b", std::string(100'000, 'n'));
            limitFileSize(10'000);
        }
#endif
        const Names before = start.contents("EAW");
        act == u"click"  ? void(click(*window, start.path("a")))
        : act == u"Load" ? clickLoad(*window)
                         : clickRow(window->List1, 0);
        // Windows words the system's reasons its own way: there, the message up to the reason,
        // and what it adds after the reason, unless the reason is Kestro's own.
        const QString said = messages.take();
        const QString done[][2] = {
            {u"\n\nNothing was copied."_s,
             u"\n\n1 of the folder's 3 files was already copied into the game directory, but the "
             u"folder is not listed. Once the cause is fixed, load the folder again: that copies "
             u"the rest and adds the folder to the list, so that a click can remove it."_s},
            {u"\n\nNothing was deleted."_s,
             u"\n\n1 of the folder's 3 files in the game directory was already deleted; the "
             u"folder stays listed. Once the cause is fixed, click the folder again to delete the "
             u"rest."_s}};
        QString expected =
            u"Cannot %1 \"%2/%3\": %4"_s.arg(QString::fromUtf8(row.verb), start.qpath(),
                                             QString::fromUtf8(row.path),
                                             QString::fromUtf8(row.reason)) +
            (act == u"click" ? u"\n\n"_s + loadIsOff() : done[act == u"removal"][row.changed]);
        expected.replace(u'/', QLatin1Char(platform::separator));
        const qsizetype reason = expected.indexOf(u"\": "_s) + 3,
                        note = expected.indexOf(u"\n\n"_s);
        const bool own = onPosix || expected.contains(u"Permission denied"_s);
        expected.replace(u"Permission denied"_s, accessDenied());
        QCOMPARE(own ? said : said.left(reason) + said.mid(said.indexOf(u"\n\n"_s)),
                 own ? expected : expected.left(reason) + expected.mid(note));
        // The game's a, b, c: only the first `changed`, "a" or none, was copied over or deleted.
        Names after = before;
        if (row.changed) {
            QCOMPARE(after.front(), "a=old");
            act == u"Load" ? void(after.front() = "a=new") : void(after.erase(after.begin()));
        }
        QCOMPARE(start.contents("EAW"), after);
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"a"}));
        QCOMPARE(window->File1->path(), start.path(shown));
        if (act == u"click") {
            QVERIFY(!window->Command1->isEnabled());
            QTest::keyClick(window->Dir1, Qt::Key_Return);
            QVERIFY(messages.take().startsWith(u"Cannot open \""_s + start.qpath("a")));
            QCOMPARE(window->Dir1->path(), start.path());
        }
    }

    // Many files are deleted side by side: still the first that cannot go is the one told,
    // every file before it is gone, and the count told is the count gone.
    void failureAmongMany()
    {
        POSIX_ONLY("immutable files");
        TestDir start;
        Names files = {"EAW/eaw.ini", "FoldersLoaded.txt=" + lines(start, {"a"})};
        for (int i = 0; i < 400; ++i) {
            const std::string name = "f" + std::to_string(1000 + i);
            files.insert(files.end(), {"a/" + name, "EAW/" + name});
        }
        start.make(files);
        const std::string stuck = start.path("EAW/f1150");
#ifndef _WIN32
        const auto thaw = qScopeGuard([&] { setImmutable(stuck, false); });
        if (!setImmutable(stuck, true)) {
            QSKIP("this file system cannot make a file immutable");
        }
#endif
        Messages messages;
        auto window = openWindow(start, "EAW");
        clickRow(window->List1, 0);
        const QString said = messages.take();
        QVERIFY2(said.startsWith(u"Cannot delete \""_s + QString::fromStdString(stuck)),
                 qPrintable(said));
        const Names left = start.names("EAW");
        QCOMPARE(left[1], "f1150");
        QVERIFY(left.size() > 200); // the deletes stopped there, but for a few under way
        QVERIFY(said.contains(u"\n\n%1 of the folder's 400 files"_s.arg(401 - left.size())));
    }

    void room_data()
    {
        addRows(rooms);
    }

    // A Load that would fill the game's disk is refused before it copies anything. Each copy
    // is written whole beside the file it replaces, which only then frees its room.
    void room()
    {
        const Room &room = rowOf(rooms);
        POSIX_ONLY("a small disk mounted for the test");
        Messages messages;
        TestDir start;
        makeStart(start, {"EAW/"});
#ifndef _WIN32
        if (::mount("kestro", start.path("EAW").c_str(), "tmpfs", 0, "size=1048576") != 0) {
            QSKIP("this system does not let the test mount a small disk");
        }
        const auto unmounted =
            qScopeGuard([&] { ::umount2(start.path("EAW").c_str(), MNT_DETACH); });
#endif
        start.write("EAW/eaw.ini");
        for (const auto &[name, kib] : room.game) {
            start.write("EAW/" + name, std::string(std::size_t(kib) << 10, 'o'));
        }
        for (const auto &[name, kib] : room.addon) {
            start.write("a/" + name, std::string(std::size_t(kib) << 10, 'n'));
        }
        const Names before = start.contents("EAW");
        auto window = openWindow(start, "EAW");
        click(*window, start.path("a"));
        clickLoad(*window);
        if (!room.free) {
            QCOMPARE(window->List1->item(0), start.path("a"));
            for (const auto &file : room.addon) {
                QCOMPARE(start.read("EAW/" + file.first), start.read("a/" + file.first));
            }
        } else {
            QCOMPARE(messages.take(), u"Cannot copy to \"%1\": its disk has %2 free, and the "
                                      u"folder's files need %3\n\nNothing was copied."_s.arg(
                                          start.qpath("EAW"), QString::fromUtf8(room.free),
                                          QString::fromUtf8(room.needed)));
            QCOMPARE(start.contents("EAW"), before);
            QCOMPARE(window->List1->count(), 0);
        }
    }
};

QTEST_MAIN(Hostile)
#include "hostile.moc"
