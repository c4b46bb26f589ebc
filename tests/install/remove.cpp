// Removal: which game files a click on a loaded folder deletes, and what a failure leaves.
#include "messages.h"
#include "widgets/filelistbox.h"
#include "widgets/listbox.h"
#include "windowdriver.h"

#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

// The loaded folders, as "FoldersLoaded.txt" holds them.
static std::string lines(const TestDir &start, const Names &folders)
{
    std::string text;
    for (const std::string &folder : folders) {
        text += start.path(folder) + "\r\n";
    }
    return text;
}

// What a file list shows: regular files, or links to them, that are not hidden.
static Names listedFiles(const std::string &directory)
{
    Names names = filesIn(directory);
    std::erase_if(names, [](const std::string &name) { return name.starts_with('.'); });
    return names;
}

static std::string upper(std::string name)
{
    std::ranges::transform(name, name.begin(), [](unsigned char c) { return std::toupper(c); });
    return name;
}

// The removal the slow way: every folder file against every game file, re-read after a delete.
static void removeOneByOne(const std::string &folder, const std::string &game)
{
    for (const std::string &file : listedFiles(folder)) {
        Names gameFiles = listedFiles(game);
        for (int j = 0, n = int(gameFiles.size()); j < n; ++j) {
            const std::string entry = j < int(gameFiles.size()) ? gameFiles[std::size_t(j)] : "";
            if (!entry.empty() && upper(entry) == upper(file)) {
                fs::remove(game + "/" + entry);
                gameFiles = listedFiles(game);
                --j;
            }
        }
    }
}

class Remove : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void removesByName()
    {
        Messages messages;
        TestDir start;
        for (const char *name : {"eaw.ini", "README.TXT", "shared.txt", "old.txt", "b.txt"}) {
            start.write(std::string("EAW/") + name, "game");
        }
        start.write("outside.txt", "outside");
        fs::create_symlink(start.path("outside.txt"), start.path("EAW/link.txt"));
        for (const char *name :
             {"a/readme.txt", "a/shared.txt", "a/link.txt", "b/shared.txt", "b/b.txt"}) {
            start.write(name, "add-on");
        }
        start.mkdir("e");
        start.write("FoldersLoaded.txt", lines(start, {"a", "e", "b"}));
        auto window = openWindow(start, "EAW");

        // Other letter case goes too; the link goes, not its target; old.txt is not a's.
        clickRow(window->List1, 0);
        QCOMPARE(start.names("EAW"), (Names{"b.txt", "eaw.ini", "old.txt"}));
        QCOMPARE(start.read("outside.txt"), "outside");
        QCOMPARE(loaded(*window), (Names{start.path("e"), start.path("b")}));
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"e", "b"}));
        QCOMPARE(window->File1->path(), start.path("EAW"));

        // Nothing is chosen after a removal: Down chooses the empty folder, which stays.
        QTest::keyClick(window->List1, Qt::Key_Down);
        QCOMPARE(loaded(*window), (Names{start.path("e"), start.path("b")}));
        QTest::keyClick(window->List1, Qt::Key_Down);
        QCOMPARE(start.names("EAW"), (Names{"eaw.ini", "old.txt"}));
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"e"}));

        // Removed while the directory list stands in "e" and File1 on the start directory: Load
        // is enabled and copies the start directory's files.
        start.write("e/old.txt");
        open(*window, start.path("e"));
        click(*window, start.path());
        clickRow(window->List1, 0);
        QCOMPARE(start.names("EAW"), Names{"eaw.ini"});
        QCOMPARE(start.read("FoldersLoaded.txt"), "");
        QCOMPARE(window->File1->path(), start.path());
        clickLoad(*window);
        QCOMPARE(start.names("EAW"), (Names{"FoldersLoaded.txt", "eaw.ini", "outside.txt"}));
        QCOMPARE(loaded(*window), Names{start.path()});
    }

    // The focus arriving by Tab removes nothing; the first arrow key then chooses row 0.
    void tabRemovesNothing()
    {
        Messages messages;
        TestDir start;
        for (const char *name : {"EAW/eaw.ini", "EAW/x", "EAW/y", "a/x", "b/y"}) {
            start.write(name);
        }
        start.write("FoldersLoaded.txt", lines(start, {"a", "b"}));
        auto window = openWindow(start, "EAW");
        window->File1->setFocus();
        QTest::keyClick(window->File1, Qt::Key_Tab);
        QTRY_VERIFY(window->List1->hasFocus());
        QCOMPARE(start.names("EAW"), (Names{"eaw.ini", "x", "y"}));
        QTest::keyClick(window->List1, Qt::Key_Down);
        QCOMPARE(start.names("EAW"), (Names{"eaw.ini", "y"}));
        QCOMPARE(loaded(*window), Names{start.path("b")});
    }

    void failedRemoval_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("expected");
        QTest::newRow("read-only") << u"read-only"_s << u"delete \"%1/EAW/y\": Permission denied"_s;
        QTest::newRow("immutable")
            << u"immutable"_s << u"delete \"%1/EAW/y\": Operation not permitted"_s;
        QTest::newRow("folder gone") << u"gone"_s << u"open \"%1/a\": No such file or directory"_s;
    }

    // Earlier deletes stay, the entry and File1 stay, and a click after the cause is gone works.
    void failedRemoval()
    {
        QFETCH(QString, fault);
        QFETCH(QString, expected);
        Messages messages;
        TestDir start;
        for (const char *name :
             {"EAW/eaw.ini", "EAW/x", "EAW/y", "EAW/z", "a/x", "a/y", "a/z", "c/c1", "c/c2"}) {
            start.write(name);
        }
        start.write("FoldersLoaded.txt", lines(start, {"a"}));
        if (fault == u"read-only") {
            QCOMPARE(::chmod(start.path("EAW/y").c_str(), 0444), 0);
        }
        const auto thaw = qScopeGuard([&] { setImmutable(start.path("EAW/y"), false); });
        if (fault == u"immutable" && !setImmutable(start.path("EAW/y"), true)) {
            QSKIP("this file system cannot make a file immutable");
        }
        if (fault == u"gone") {
            fs::remove_all(start.path("a"));
        }
        auto window = openWindow(start, "EAW");
        click(*window, start.path("c"));

        clickRow(window->List1, 0);
        QCOMPARE(messages.only(),
                 u"Cannot "_s + expected.arg(QString::fromStdString(start.path())));
        QCOMPARE(start.names("EAW"), fault == u"gone" ? (Names{"eaw.ini", "x", "y", "z"})
                                                      : (Names{"eaw.ini", "y", "z"}));
        QCOMPARE(loaded(*window), Names{start.path("a")});
        QCOMPARE(start.read("FoldersLoaded.txt"), lines(start, {"a"}));
        QCOMPARE(window->File1->path(), start.path("c"));
        QCOMPARE(window->File1->model()->rowCount(), 2);

        setImmutable(start.path("EAW/y"), false);
        fault == u"gone" ? start.write("a/y") : (void)::chmod(start.path("EAW/y").c_str(), 0644);
        messages.clear();
        clickRow(window->List1, 0);
        QCOMPARE(start.names("EAW"),
                 fault == u"gone" ? (Names{"eaw.ini", "x", "z"}) : Names{"eaw.ini"});
        QCOMPARE(start.read("FoldersLoaded.txt"), "");
    }

    void sameAsOneByOne_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (const unsigned seed : {1u, 2u, 3u, 4u}) {
            QTest::addRow("seed %u", seed) << seed;
        }
    }

    // The fast removal deletes what the nested loop would, on names that differ in case only.
    void sameAsOneByOne()
    {
        QFETCH(unsigned, seed);
        std::mt19937 random(seed);
        const auto randomName = [&random] {
            static const std::string letters = "abAB.";
            static const char *const endings[] = {"", ".txt", ".TXT", ".Txt", ".dat"};
            std::string name;
            for (std::size_t n = 1 + random() % 3; n > 0; --n) {
                name += letters[random() % letters.size()];
            }
            name += endings[random() % std::size(endings)];
            return name == "." || name == ".." ? name + "b" : name;
        };
        Messages messages;
        TestDir start, twin;
        start.write("EAW/eaw.ini");
        twin.write("EAW/eaw.ini");
        start.mkdir("a");
        for (int i = 0; i < 300; ++i) { // mostly files; some folders, links and broken links
            const std::string name = "EAW/" + randomName();
            const unsigned kind = random() % 20;
            for (const TestDir *dir : {&start, &twin}) {
                if (dir->exists(name)) {
                    continue;
                }
                if (kind == 0) {
                    dir->mkdir(name);
                } else if (kind <= 2) {
                    fs::create_symlink(kind == 1 ? "eaw.ini" : "missing", dir->path(name));
                } else {
                    dir->write(name);
                }
            }
        }
        for (int i = 0; i < 60; ++i) {
            const std::string name = "a/" + randomName();
            if (!start.exists(name)) {
                random() % 20 == 0 ? start.mkdir(name) : start.write(name);
            }
        }
        start.write("FoldersLoaded.txt", lines(start, {"a"}));
        auto window = openWindow(start, "EAW");

        clickRow(window->List1, 0);
        removeOneByOne(start.path("a"), twin.path("EAW"));
        QCOMPARE(start.names("EAW"), twin.names("EAW"));
        QCOMPARE_LT(twin.names("EAW").size(), 250u);
        QCOMPARE_GT(twin.names("EAW").size(), 50u);
    }
};

QTEST_MAIN(Remove)
#include "remove.moc"
