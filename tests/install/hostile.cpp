// SPDX-License-Identifier: GPL-3.0-or-later
// Odd trees run through discovery, Load, removal and the save at close, and faults in the middle of
// them: each ends right, or with a message naming the path and the reason, and nothing is lost.
#include "windowdriver.h"

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
std::string deepFolder()
{
    std::string path = "deep";
    for (char c = 'a'; c < 'a' + 15; ++c) {
        path += "/" + std::string(250, c);
    }
    return path;
}

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
    {"near the path limit", "EAW", deepFolder(), {"f"}},
    {"game reached through a link", "Games/EAW", "addon", {"a"}, {"real/", "Games -> real"}},
    {"game is a link", "EAW", "addon", {"a"}, {"real/", "EAW -> real"}},
    {"add-on is a link", "EAW", "Linked", {"a"}, {"real/", "Linked -> real"}},
    {"file links out of the add-on", "EAW", "addon", {"a"}, {"addon/link -> ../outside"}},
    {"list of 100,000 lines", "EAW", "addon", {"a"}, {}, manyLines},
    {"list with a 1 MB line", "EAW", "addon", {"a"}, {}, std::string(1 << 20, 'x') + "\r\n"},
    {"list with NUL bytes", "EAW", "addon", {"a"}, {}, "/g/a\0b\r\n"s, {"/g/a\0b"s}},
    {"list ends without a line end", "EAW", "addon", {"a"}, {}, "/g/a", {"/g/a"}},
};

} // namespace

class Hostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tree_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(trees.size()); ++row) {
            QTest::newRow(trees[std::size_t(row)].name) << row;
        }
    }

    // In a start directory whose name is not ASCII.
    void tree()
    {
        QFETCH(int, row);
        const Tree &tree = trees[std::size_t(row)];
        // All but the list-file trees need links, names Windows forbids, or longer paths.
        if (tree.list.empty()) {
            POSIX_ONLY("links, and names and paths Windows does not allow");
        }
        const TestDir start(QDir::tempPath() + u"/Spiele Größe ß"_s);
        makeStart(start);
        start.write("FoldersLoaded.txt", tree.list);
        start.write("outside", "outside");
        start.make(tree.links);
        start.make({tree.game + "/eaw.ini", tree.game + "/keep"});
        for (const std::string &file : tree.files) {
            start.write(tree.addon + "/" + file, "add-on's " + file);
        }
        const std::string addon = start.path(tree.addon), game = start.path(tree.game);
        const Names before = start.names(tree.addon);
        const bool ended = tree.list.empty() || tree.list.ends_with('\n');
        const int listed = int(std::ranges::count(tree.list, '\n') + !ended);

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
            QCOMPARE(window->List1->item(0), tree.listed[0]);
            clickRow(window->List1, 0);
            QVERIFY(messages.take().contains(u"Cannot open"_s));
        }
        clickRow(window->List1, listed);
        QCOMPARE(messages.take(), QString());
        QCOMPARE(start.names(tree.game), (Names{"eaw.ini", "keep"}));
        QCOMPARE(start.names(tree.addon), before);
        click(*window, addon); // and Load again, to see the folder's name in the list file
        clickLoad(*window);
        window->close();
        QCOMPARE(start.read("FoldersLoaded.txt"),
                 tree.list + (ended ? "" : "\r\n") + *platform::listLine(addon) + "\r\n");
        QCOMPARE(start.read("outside"), "outside");
    }

    void failure_data()
    {
        QTest::addColumn<QString>("act");     // "click" on "a" in the directory list, "Load" or
                                              // "removal" of the loaded "a"
        QTest::addColumn<QString>("fault");   // what happens just before
        QTest::addColumn<QString>("message"); // with %1 for the start directory
        const auto row = [](const char *act, const char *fault, const QString &message) {
            QTest::addRow("%s, %s", act, fault)
                << QString::fromUtf8(act) << QString::fromUtf8(fault) << message;
        };
        const QString off = u"\n\n"_s + loadIsOff();
        row("click", "add-on deleted", u"Cannot open \"%1/a\": No such file or directory"_s + off);
        row("click", "add-on replaced", u"Cannot open \"%1/a\": Not a directory"_s + off);
        row("Load", "add-on deleted", u"Cannot copy \"%1/a/a\": No such file or directory"_s);
        row("Load", "add-on replaced", u"Cannot copy \"%1/a/a\": Not a directory"_s);
        row("Load", "read-only", u"Cannot copy to \"%1/EAW/b\": Permission denied"_s);
        row("Load", "immutable", u"Cannot copy to \"%1/EAW/b\": Operation not permitted"_s);
        row("removal", "read-only", u"Cannot delete \"%1/EAW/b\": Permission denied"_s);
        row("removal", "immutable", u"Cannot delete \"%1/EAW/b\": Operation not permitted"_s);
    }

    // Reported, and nothing is lost: what was done before stays, no temporary file is left, and
    // the list and File1 stay as they were. Enter cannot open a folder that is gone either.
    void failure()
    {
        QFETCH(QString, act);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        if (fault == u"immutable") {
            POSIX_ONLY("immutable files");
        }
        Messages messages;
        TestDir start;
        start.make({"EAW/eaw.ini", "c/c1"});
        for (const std::string name : {"a", "b", "c"}) {
            start.write("a/" + name, "new");
            start.write("EAW/" + name, "old");
        }
        start.write("FoldersLoaded.txt", lines(start, {"a"}));
        const std::string b = start.path("EAW/b");
        fs::permissions(fsPath(b), fs::perms(fault == u"read-only" ? 0444 : 0644));
#ifndef _WIN32
        const auto thaw = qScopeGuard([&] { setImmutable(b, false); });
        if (fault == u"immutable" && !setImmutable(b, true)) {
            QSKIP("this file system cannot make a file immutable");
        }
#endif
        // Load copies "a"; a removal borrows File1, which shows "c", and must give it back.
        auto window = openWindow(start, "EAW");
        const std::string shown = act == u"Load" ? "a" : act == u"removal" ? "c" : "EAW";
        click(*window, start.path(shown));
        fs::rename(fsPath(start.path("a")),
                   fsPath(start.path(fault.startsWith(u"add-on") ? "away" : "a")));
        if (fault.endsWith(u"replaced")) {
            start.write("a", "now a file");
        }
        act == u"click"  ? click(*window, start.path("a"))
        : act == u"Load" ? clickLoad(*window)
                         : clickRow(window->List1, 0);
        // Windows words the system's reasons its own way: there, the message up to the reason,
        // unless the reason is Kestro's own.
        const QString said = messages.take();
        QString expected = message.arg(start.qpath());
        if (!onPosix) {
            expected.replace(u'/', u'\\').replace(u"Permission denied"_s, accessDenied());
            if (!expected.endsWith(accessDenied())) {
                expected.truncate(expected.indexOf(u"\": "_s) + 3);
            }
        }
        QCOMPARE(onPosix ? said : said.left(expected.size()), expected);
        // The game's a, b and c: a Load copied "a" before it stopped at "b"; a removal deleted "a".
        const bool before = !fault.startsWith(u"add-on");
        QCOMPARE(start.read("EAW/a") + "|" + start.read("EAW/b") + "|" + start.read("EAW/c"),
                 before ? (act == u"Load" ? "new|old|old" : "|old|old") : "old|old|old");
        QVERIFY(std::ranges::none_of(start.names("EAW"),
                                     [](const std::string &name) { return name[0] == '.'; }));
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"a"}));
        QCOMPARE(window->File1->path(), start.path(shown));
        if (act == u"click") {
            QVERIFY(!window->Command1->isEnabled());
            QTest::keyClick(window->Dir1, Qt::Key_Return);
            QVERIFY(messages.take().startsWith(u"Cannot open \""_s + start.qpath("a")));
            QCOMPARE(window->Dir1->path(), start.path());
        }
    }
};

QTEST_MAIN(Hostile)
#include "hostile.moc"
