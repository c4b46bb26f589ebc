// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks in the directory list: finding the game directory, the Load button, the preview.
#include "browse/preview.h"
#include "windowdriver.h"

// The game directory `game` marked by `marker`, and the add-on folders "addons/one",
// "addons/two" and "plain"; all but "addons/two" have a picture and a text "about <folder>",
// and so has the start directory. A hidden folder ".h" and a link "Link" to "plain" are there too.
static void makeTree(const TestDir &start, const std::string &game = "eaw",
                     const std::string &marker = "eaw.ini")
{
    makeStart(start);
    for (const std::string folder : {"", "addons/one", "plain", game.c_str()}) {
        // "/mypic" is in the start directory.
        start.make({folder + "/mypic=" + pictureBytes(), folder + "/contents.txt=about " + folder});
    }
    start.make({game + "/" + marker, "addons/one/1", "addons/two/2", "plain/3", "games/", ".h/"});
    start.make(onPosix ? Names{"Link -> plain"} : Names{});
}

// The caption of a folder's preview, or of the instructions for none.
static QString caption(const Form1 &window, const char *folder = nullptr)
{
    return folder ? u"about %1\r\n"_s.arg(QString::fromUtf8(folder)) : window.form.Eawtext;
}

class Browse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void discovery_data()
    {
        QTest::addColumn<Names>("place"); // the game directory, and the name of its marker
        QTest::newRow("below the start directory") << Names{"games/eaw", "eaw.ini"};
        QTest::newRow("start directory itself") << Names{"", "Eaw.Ini"};
    }

    // The first click on the folder that holds the marker makes it the game directory. Load is
    // off there and in the start directory; only an add-on folder is previewed. Outside the
    // start directory a press below the rows leaves Load alone; in it, a press turns Load off
    // until a click decides again. The right button takes the list home and turns Load off,
    // leaving File1 and the preview; when it cannot read File1's folder again, it says so.
    void discovery()
    {
        QFETCH(Names, place);
        const std::string &game = place[0];
        TestDir start;
        makeTree(start, game, place[1]);
        Messages messages;
        auto window = openWindow(start);
        const Form &form = window->form;

        // Subfolders by name in any letter case, links and hidden ones too.
        Names folders{start.path(".h"), start.path("addons"), start.path("games"),
                      start.path("plain")};
        if (onPosix) {
            folders.insert(folders.begin() + 3, start.path("Link"));
        }
        QCOMPARE(listed(*window->Dir1), folders);
        // A click on a directory without the marker shows the instructions, and finds nothing.
        window->Label1->setCaption(u"stale"_s);
        window->Image1->clearPicture();
        click(*window, start.path("addons"));
        QCOMPARE(window->Label1->caption(), caption(*window));
        QCOMPARE(window->Image1->pixmap().size(), programPicture);
        QVERIFY(!form.EAWfound && !window->Frame2->isVisible() && !window->Command1->isEnabled());

        if (!game.empty()) {
            open(*window, start.path(game.substr(0, game.find('/'))));
        }
        QVERIFY(!click(*window, start.path(game)) && form.EAWfound && window->Frame2->isVisible());
        QCOMPARE(form.EAWdir, start.path(game));
        QCOMPARE(window->Dir1->path(), start.path());
        QCOMPARE(listed(*window->File1), listed(window->EAWFile));
        QCOMPARE(window->Label1->caption(), caption(*window));

        QVERIFY(click(*window, start.path("plain")));
        QCOMPARE(window->Label1->caption(), caption(*window, "plain"));
        QVERIFY(!click(*window, start.path()));
        QCOMPARE(window->Label1->caption(), caption(*window, game.empty() ? nullptr : ""));

        click(*window, start.path("addons"));
        QTest::keyClick(window->Dir1, Qt::Key_Return); // opens it
        click(*window, start.path("addons/one"));
        const QPoint below(4, window->Dir1->viewport()->height() - 4);
        QTest::mouseClick(window->Dir1->viewport(), Qt::LeftButton, {}, below);
        QVERIFY(window->Command1->isEnabled());
        QVERIFY(!click(*window, start.path("addons/one"), Qt::RightButton));
        QCOMPARE(window->Dir1->path(), start.path());
        QCOMPARE(window->File1->path(), start.path("addons/one"));
        QCOMPARE(window->Label1->caption(), caption(*window, "addons/one"));
        QVERIFY(click(*window, start.path("plain")));
        QTest::mouseClick(window->Dir1->viewport(), Qt::LeftButton, {}, below);
        QVERIFY(!window->Command1->isEnabled());
        fs::remove_all(start.path("plain"));
        click(*window, start.path("addons"), Qt::RightButton);
        QVERIFY(messages.take().contains(start.qpath("plain")));
        QCOMPARE(window->Dir1->path(), start.path());
    }

    // The root of the tree (on Windows the drive) opens, and from there a game on another
    // branch is found; a folder's path has one separator after the root.
    void fromTheRoot()
    {
        TestDir start, elsewhere;
        makeStart(start);
        elsewhere.write("EAW/eaw.ini");
        const std::string game = elsewhere.path("EAW");
        Messages messages;
        auto window = openWindow(start);
        fs::path walked = fsPath(game).root_path();
        const std::string root = pathString(walked);
        open(*window, root);
        for (const std::string &entry : listed(*window->Dir1)) {
            QVERIFY2(entry.starts_with(root) && entry[root.size()] != platform::separator,
                     entry.c_str());
        }
        for (const fs::path &part : fsPath(game).relative_path().parent_path()) {
            open(*window, pathString(walked /= part));
        }
        click(*window, game);
        QCOMPARE(window->form.EAWdir, game);
        QCOMPARE(window->Dir1->path(), start.path());
    }

    void preview_data()
    {
        QTest::addColumn<Names>("files"); // as TestDir::make makes them
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("caption"); // null for the instructions
        QTest::addColumn<QString>("failed");  // the end of a message, from the file's name on
        const std::string png = pictureBytes();
        const auto row = [](const char *name, const Names &files, QSize picture,
                            const QString &caption = {}, const QString &failed = {}) {
            QTest::newRow(name) << files << picture << caption << failed;
        };
        row("text only", {"contents.txt=a\r\nb\rc\nd"}, programPicture, u"a\r\nb\r\nc\nd\r\n"_s);
        row("both", {"mypic=" + png, "contents.txt=last\r\n"}, folderPicture, u"last\r\n"_s);
        row("empty contents.txt", {"contents.txt="}, programPicture, u""_s);
        row("case ignored", {"MyPic=" + png, "Contents.TXT=hi"}, folderPicture, u"hi\r\n"_s);
        row("FIFOs of those names", {"mypic|", "contents.txt|"}, programPicture);
        row("huge, read small", {"mypic=" + pictureBytes({3000, 2000})}, QSize(303, 251));
        // Text in the system's 8-bit code page: UTF-8 here, an ANSI code page on Windows.
        row("markup, 8-bit", {"contents.txt=<b>caf\xe9</b> <img src=x>"}, programPicture,
            u"<b>"_s + QString::fromLocal8Bit("caf\xe9") + u"</b> <img src=x>\r\n"_s);
        row("read up to its limit", {"contents.txt=" + std::string(descriptionLimit + 99, 'x')},
            programPicture, QString(qsizetype(descriptionLimit), u'x') + u"\r\n"_s);
        row("mypic not a picture", {"mypic=text", "contents.txt=unread"}, programPicture, {},
            u"mypic\": "_s);
        // Reading what this link leads to fails even for root.
        row("contents.txt unreadable", {"mypic=" + png, "contents.txt -> /proc/self/mem"},
            folderPicture, {}, u"contents.txt\": Input/output error"_s);
    }

    // A failure names the file and the reason, and stops the preview at that step. Any picture
    // fills the picture area exactly, whatever its format and name say.
    void preview()
    {
        QFETCH(Names, files);
        QFETCH(QSize, picture);
        QFETCH(QString, caption);
        QFETCH(QString, failed);
        TestDir start;
        makeTree(start);
        Messages messages;
        auto window = openWindow(start, "eaw");
        for (const std::string &file : files) {
            if (isFifoOrLink(file)) {
                POSIX_ONLY("FIFOs and links");
            }
            start.make({"addons/two/" + file});
        }
        open(*window, start.path("addons"));
        click(*window, start.path("addons/two"));
        QCOMPARE(window->Image1->pixmap().size(), picture);
        QCOMPARE(window->Image1->grab().toImage().pixelColor(302, 250), // the far corner
                 window->Image1->pixmap().toImage().pixelColor(0, 0));
        QCOMPARE(window->Label1->caption(), caption.isNull() ? window->form.Eawtext : caption);
        QCOMPARE(window->Label1->textFormat(), Qt::PlainText); // never markup from the file
        const QString message = messages.take();
        QVERIFY2(failed.isEmpty() ? message.isEmpty()
                                  : message.startsWith(u"Cannot "_s) &&
                                        message.contains(start.qpath("addons/two/") + failed),
                 qPrintable(message));
    }
};

QTEST_MAIN(Browse)
#include "browse.moc"
