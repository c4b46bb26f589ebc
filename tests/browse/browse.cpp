// Clicks in the directory list: finding the game directory, the Load button, the preview.
#include "browse/preview.h"
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

// The files of an add-on folder by name; a name that ends in "/" is a directory.
using Files = QMap<QString, QByteArray>;
static const QString instructions = u"(instructions)"_s;

// A one-pixel GIF, a format Qt reads but does not write.
static QByteArray gifBytes()
{
    return QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");
}

class Browse : public QObject
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

    void preview_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("failed"); // the file a message names, and its reason
        QTest::addColumn<QString>("reason");
        const auto row = [](const char *name, const Files &files, QSize picture,
                            const QString &caption, const QString &failed = {},
                            const QString &reason = {}) {
            QTest::newRow(name) << files << picture << caption << failed << reason;
        };
        const QByteArray png = pictureBytes(), mem = "/proc/self/mem";
        const QString none = instructions;
        row("neither", {}, programPicture, none);
        row("only mypic", {{u"mypic"_s, png}}, folderPicture, none);
        row("only contents.txt", {{u"contents.txt"_s, "one\r\ntwo\rthree\nfour"}}, programPicture,
            u"one\r\ntwo\r\nthree\nfour\r\n"_s);
        row("both", {{u"mypic"_s, png}, {u"contents.txt"_s, "last\r\n"}}, folderPicture,
            u"last\r\n"_s);
        row("empty contents.txt", {{u"contents.txt"_s, ""}}, programPicture, QString());
        row("other letter case", {{u"MyPic"_s, png}, {u"Contents.TXT"_s, "hello"}}, folderPicture,
            u"hello\r\n"_s);
        row("directories of those names", {{u"mypic/"_s, {}}, {u"contents.txt/"_s, {}}},
            programPicture, none);
        row("BMP", {{u"mypic"_s, pictureBytes(folderPicture, "BMP")}}, folderPicture, none);
        row("JPEG", {{u"mypic"_s, pictureBytes(folderPicture, "JPEG")}}, folderPicture, none);
        row("GIF", {{u"mypic"_s, gifBytes()}}, QSize(1, 1), none);
        row("markup", {{u"contents.txt"_s, "<b>bold</b> <img src=x>"}}, programPicture,
            u"<b>bold</b> <img src=x>\r\n"_s);
        row("invalid UTF-8", {{u"contents.txt"_s, "caf\xe9 \xff!"}}, programPicture,
            u"caf\uFFFD \uFFFD!\r\n"_s);
        row("30 MB read up to its limit", {{u"contents.txt"_s, QByteArray(30 << 20, 'x')}},
            programPicture, QString(qsizetype(descriptionLimit), u'x') + u"\r\n"_s);
        row("mypic not a picture", {{u"mypic"_s, "text"}, {u"contents.txt"_s, "unread"}},
            programPicture, none, u"mypic"_s);
        row("contents.txt unreadable", {{u"mypic"_s, png}, {u"contents.txt@"_s, mem}},
            folderPicture, none, u"contents.txt"_s, u"Input/output error"_s);
    }

    // A failure names the file and the reason and stops the preview at that step.
    void preview()
    {
        QFETCH(Files, files);
        QFETCH(QSize, picture);
        QFETCH(QString, caption);
        QFETCH(QString, failed);
        QFETCH(QString, reason);
        TestDir start;
        Messages messages;
        auto window = openDiscovered(start);
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            std::string name = "addons/two/" + file.key().toStdString();
            if (name.ends_with('/')) {
                start.mkdir(name);
            } else if (name.ends_with('@')) { // a link whose target not even root can read
                name.pop_back();
                std::filesystem::create_symlink(file->toStdString(), start.path(name));
            } else {
                start.write(name, file->toStdString());
            }
        }
        open(*window, start.path("addons"));
        click(*window, start.path("addons/two"));
        QCOMPARE(shownPicture(*window), picture);
        QCOMPARE(window->Label1->caption(),
                 caption == instructions ? window->form.Eawtext : caption);
        QCOMPARE(window->Label1->textFormat(), Qt::PlainText);
        QCOMPARE(window->File1->path(), start.path("addons/two"));
        if (!failed.isEmpty()) {
            const QString message = messages.only();
            const QString path = QString::fromStdString(start.path("addons/two/"));
            QVERIFY2(message.startsWith(u"Cannot "_s), qPrintable(message));
            QVERIFY2(message.contains(u"\"%1%2\": "_s.arg(path, failed)), qPrintable(message));
            QVERIFY2(message.endsWith(reason), qPrintable(message));
        }
    }
};

QTEST_MAIN(Browse)
#include "browse.moc"
