// Odd trees run through discovery, Load, a restart and removal: each ends right, or with a
// message naming the path and the reason, and nothing is lost.
#include "widgets/form.h"
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
        const std::string folder = window.Dir1->entry(-1) + "/" + part.native();
        folder == path ? click(window, folder) : open(window, folder);
    }
}

const std::vector<Tree> trees = {
    {"odd names", "EAW", "odd 'q' \"dq\" [b] *s ?q -d", {"-rf", "a b", "*", "?", "[x]", "'\""}},
    {"not UTF-8", "EAW", "caf\xe9", {"\xff\xfe.txt", "na\xefve"}},
    {"255-byte name", "EAW", "long", {std::string(255, 'n')}},
    {"near the path limit", "EAW", deepFolder(), {"f"}},
    {"game reached through a link", "Games/EAW", "addon", {"a"}, {"real/", "Games -> real"}},
    {"game is a link", "EAW", "addon", {"a"}, {"real/", "EAW -> real"}},
    {"add-on is a link", "EAW", "Linked", {"a"}, {"real/", "Linked -> real"}},
    {"file links out of the add-on", "EAW", "addon", {"a"}, {"addon/link -> ../outside"}},
    {"list of 100,000 lines",
     "EAW",
     "addon",
     {"a"},
     {},
     QByteArray("/games/folder\r\n").repeated(100'000).toStdString()},
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
        QTest::addColumn<QString>("startName");
        for (int row = 0; row < int(trees.size()); ++row) {
            QTest::newRow(trees[std::size_t(row)].name) << row << u"kestro"_s;
        }
        QTest::newRow("start directory not in ASCII") << 0 << u"Spiele Größe ß"_s;
    }

    void tree()
    {
        QFETCH(int, row);
        QFETCH(QString, startName);
        const Tree &tree = trees[std::size_t(row)];
        const TestDir start(QDir::tempPath() + u'/' + startName);
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
        {
            auto window = openWindow(start);
            browseTo(*window, game);
            QCOMPARE(window->List1->count(), listed);
            browseTo(*window, addon);
            clickLoad(*window);
            QCOMPARE(messages.take(), QString());
        }
        for (const std::string &file : before) {
            QCOMPARE(start.read(tree.game + "/" + file), start.read(tree.addon + "/" + file));
        }
        QCOMPARE(start.read("FoldersLoaded.txt"),
                 tree.list + (ended ? "" : "\r\n") + addon + "\r\n");
        auto window = openWindow(start);
        browseTo(*window, game);
        QCOMPARE(window->List1->item(window->List1->count() - 1), addon);
        if (!tree.listed.empty()) {
            QCOMPARE(window->List1->item(0), tree.listed[0]);
            clickRow(window->List1, 0);
            QVERIFY(messages.take().contains(u"Cannot open"_s));
        }
        clickRow(window->List1, window->List1->count() - 1);
        QCOMPARE(messages.take(), QString());
        QCOMPARE(start.names(tree.game), (Names{"eaw.ini", "keep"}));
        QCOMPARE(start.names(tree.addon), before);
        QCOMPARE(window->List1->count(), listed);
        QCOMPARE(start.read("outside"), "outside");
    }

    // The add-on folder is deleted, or replaced by a file, after the list showed it: reported,
    // nothing copied or recorded, and File1 stays. Enter cannot open the folder either.
    void folderChanges_data()
    {
        QTest::addColumn<bool>("clickedFirst");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QString>("message");
        QTest::newRow("deleted before the click")
            << false << false
            << u"Cannot open \"%1\": No such file or directory\n\n"_s + loadIsOff();
        QTest::newRow("replaced before the click")
            << false << true << u"Cannot open \"%1\": Not a directory\n\n"_s + loadIsOff();
        QTest::newRow("deleted before Load")
            << true << false << u"Cannot copy \"%1/a\": No such file or directory"_s;
        QTest::newRow("replaced before Load")
            << true << true << u"Cannot copy \"%1/a\": Not a directory"_s;
    }

    void folderChanges()
    {
        QFETCH(bool, clickedFirst);
        QFETCH(bool, replaced);
        QFETCH(QString, message);
        TestDir start;
        makeStart(start);
        start.make({"EAW/eaw.ini", "addon/a"});
        Messages messages;
        auto window = openWindow(start, "EAW");
        if (clickedFirst) {
            click(*window, start.path("addon"));
        }
        fs::remove_all(start.path("addon"));
        if (replaced) {
            start.write("addon", "now a file");
        }
        clickedFirst ? clickLoad(*window) : click(*window, start.path("addon"));
        QCOMPARE(messages.take(), message.arg(start.qpath("addon")));
        QCOMPARE(window->File1->path(), start.path(clickedFirst ? "addon" : "EAW"));
        if (!clickedFirst) {
            QVERIFY(!window->Command1->isEnabled());
            QTest::keyClick(window->Dir1, Qt::Key_Return);
            QVERIFY(messages.take().startsWith(u"Cannot open \""_s + start.qpath("addon")));
            QCOMPARE(window->Dir1->path(), start.path());
        }
        QCOMPARE(start.names("EAW"), Names{"eaw.ini"});
        QCOMPARE(window->List1->count(), 0);
    }
};

QTEST_MAIN(Hostile)
#include "hostile.moc"
