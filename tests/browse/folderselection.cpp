// Clicks in the directory list: finding the game directory, the Load button, the preview.
#include "messages.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"
#include "windowdriver.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include <filesystem>

using namespace Qt::StringLiterals;

// The game directory `game` (marked by `marker`), add-on folders "addons/one", "addons/two" and
// "plain"; all but "addons/two" have a picture and a text "about <folder>".
static void makeTree(const TestDir &start, const std::string &game = "games/eaw",
                     const std::string &marker = "eaw.ini")
{
    makeStart(start);
    const std::string at = game.empty() ? "" : game + "/";
    start.write(at + marker);
    start.write(at + "shared.dat", "game");
    for (const char *folder : {"addons/one", "addons/two", "plain"}) {
        start.write(folder + std::string("/file.dat"), folder);
    }
    for (const std::string &folder :
         {game, std::string(), std::string("addons/one"), std::string("plain")}) {
        const std::string prefix = folder.empty() ? folder : folder + "/";
        start.write(prefix + "mypic", pictureBytes().toStdString());
        start.write(prefix + "contents.txt", "about " + folder);
    }
}

static bool previewed(const Form1 &window, const std::string &folder)
{
    return window.Label1->caption() == QString::fromStdString("about " + folder + "\r\n") &&
           shownPicture(window) == folderPicture;
}

static bool showsInstructions(const Form1 &window)
{
    return window.Label1->caption() == window.form.Eawtext &&
           shownPicture(window) == programPicture;
}

static std::unique_ptr<Form1> openDiscovered(const TestDir &start)
{
    makeTree(start);
    auto window = openWindow(start);
    open(*window, start.path("games"));
    click(*window, start.path("games/eaw"));
    if (!window->form.EAWfound) {
        QTest::qFail("the game directory was not found", __FILE__, __LINE__);
    }
    return window;
}

class FolderSelection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void discovery_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("marker");
        QTest::newRow("below the start directory") << u"games/eaw"_s << u"eaw.ini"_s;
        QTest::newRow("marker in capitals") << u"games/eaw"_s << u"EAW.INI"_s;
        QTest::newRow("start directory itself") << QString() << u"Eaw.Ini"_s;
    }

    void discovery()
    {
        QFETCH(QString, game);
        QFETCH(QString, marker);
        TestDir start;
        makeTree(start, game.toStdString(), marker.toStdString());
        Messages messages;
        auto window = openWindow(start);
        const Form &form = window->form;

        // A directory without the marker changes the picture, text and File1 only.
        window->Label1->setCaption(u"stale"_s);
        window->Image1->clearPicture();
        click(*window, start.path("addons"));
        QVERIFY(showsInstructions(*window));
        QCOMPARE(window->File1->path(), start.path("addons"));
        QVERIFY(!form.EAWfound);
        QCOMPARE(form.EAWdir, form.MyDir);
        QVERIFY(!window->Frame2->isVisible());
        QVERIFY(!window->Command1->isEnabled());

        if (!game.isEmpty()) {
            open(*window, start.path("games"));
        }
        click(*window, start.path(game.toStdString()));
        QVERIFY(form.EAWfound);
        QCOMPARE(form.EAWdir, start.path(game.toStdString()));
        QCOMPARE(window->EAWFile.path(), form.EAWdir);
        QCOMPARE(window->Dir1->path(), start.path());
        QVERIFY(window->Frame2->isVisible());
        QCOMPARE(listed(*window->File1), filesIn(form.EAWdir));
        QVERIFY(!window->Command1->isEnabled());
        QVERIFY(showsInstructions(*window)); // the game directory is never previewed
        QCOMPARE(messages.texts(), QStringList());
    }

    void loadButton_data()
    {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("preview");
        QTest::newRow("start directory") << QString() << false << true;
        QTest::newRow("game directory") << u"games/eaw"_s << false << false;
        QTest::newRow("other directory") << u"addons/one"_s << true << true;
    }

    void loadButton()
    {
        QFETCH(QString, clicked);
        QFETCH(bool, enabled);
        QFETCH(bool, preview);
        const std::string folder = clicked.toStdString();
        TestDir start;
        Messages messages;
        auto window = openDiscovered(start);
        click(*window, start.path("plain"));
        QVERIFY(window->Command1->isEnabled());
        if (!folder.empty()) {
            open(*window, start.path(folder.substr(0, folder.find('/'))));
        }
        click(*window, start.path(folder));
        QCOMPARE(listed(*window->File1), filesIn(start.path(folder)));
        QCOMPARE(window->Command1->isEnabled(), enabled);
        QCOMPARE(previewed(*window, folder), preview);
        QCOMPARE(showsInstructions(*window), !preview);
        QCOMPARE(messages.texts(), QStringList());
    }

    void mousePressesAndKeys()
    {
        TestDir start;
        Messages messages;
        auto window = openDiscovered(start);
        QList<bool> loadAtPress;
        connect(window->Dir1, &ListView::mousePressed, this,
                [&] { loadAtPress.append(window->Command1->isEnabled()); });

        // Outside the start directory a press leaves Load alone.
        open(*window, start.path("addons"));
        click(*window, start.path("addons/one"));
        const QPoint below(4, window->Dir1->viewport()->height() - 4);
        QVERIFY(!window->Dir1->indexAt(below).isValid());
        QTest::mouseClick(window->Dir1->viewport(), Qt::LeftButton, {}, below);
        QVERIFY(window->Command1->isEnabled());

        // The right button takes the list home and disables Load; File1 and the preview stay.
        click(*window, start.path("addons/one"), Qt::RightButton);
        QCOMPARE(window->Dir1->path(), start.path());
        QVERIFY(!window->Command1->isEnabled());
        QCOMPARE(window->File1->path(), start.path("addons/one"));
        QVERIFY(previewed(*window, "addons/one"));

        // In the start directory a left press disables Load before the click decides again.
        click(*window, start.path("plain"));
        loadAtPress.clear();
        click(*window, start.path("plain"));
        QCOMPARE(loadAtPress, QList<bool>{false});
        QVERIFY(window->Command1->isEnabled());
        QTest::mouseClick(window->Dir1->viewport(), Qt::LeftButton, {}, below);
        QVERIFY(!window->Command1->isEnabled());

        // Arrow keys click too: Up from "plain" chooses "games", then "addons", then home.
        QTest::keyClick(window->Dir1, Qt::Key_Up);
        QCOMPARE(window->File1->path(), start.path("games"));
        QVERIFY(window->Command1->isEnabled());
        QTest::keyClick(window->Dir1, Qt::Key_Up);
        QTest::keyClick(window->Dir1, Qt::Key_Up);
        QCOMPARE(window->File1->path(), start.path());
        QVERIFY(!window->Command1->isEnabled());
        QVERIFY(previewed(*window, ""));
        QCOMPARE(messages.texts(), QStringList());
    }

    // A folder deleted after it was listed: reported, and Load cannot record it.
    void folderGone()
    {
        TestDir start;
        Messages messages;
        auto window = openDiscovered(start);
        open(*window, start.path("addons"));
        click(*window, start.path("addons/one"));
        std::filesystem::remove_all(start.path("addons/two"));
        click(*window, start.path("addons/two"));
        QCOMPARE(messages.only(), u"Cannot open \"%1\": No such file or directory"_s.arg(
                                      QString::fromStdString(start.path("addons/two"))));
        QCOMPARE(window->File1->path(), start.path("addons/one"));
        QCOMPARE(listed(*window->File1), filesIn(start.path("addons/one")));
        QVERIFY(showsInstructions(*window));
        QVERIFY(!window->Command1->isEnabled());

        // The right button cannot read File1's folder again: it reports that and goes home.
        click(*window, start.path("addons/one"));
        std::filesystem::remove_all(start.path("addons/one"));
        messages.clear();
        click(*window, start.path("addons/one"), Qt::RightButton);
        QVERIFY(messages.only().contains(QString::fromStdString(start.path("addons/one"))));
        QCOMPARE(window->Dir1->path(), start.path());
        QVERIFY(!window->Command1->isEnabled());
    }
};

QTEST_MAIN(FolderSelection)
#include "folderselection.moc"
