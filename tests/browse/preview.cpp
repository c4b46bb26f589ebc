// The preview of an add-on folder: its own picture and description, or the program's.
#include "browse/preview.h"
#include "messages.h"
#include "widgets/filelistbox.h"
#include "widgets/textlabel.h"
#include "windowdriver.h"

#include <QTest>

#include <filesystem>

using namespace Qt::StringLiterals;

// The files of an add-on folder by name; a name that ends in "/" is a directory.
using Files = QMap<QString, QByteArray>;
static const QString instructions = u"(instructions)"_s;

// A one-pixel GIF, a format Qt reads but does not write.
static QByteArray gifBytes()
{
    return QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");
}

static std::unique_ptr<Form1> openDiscovered(const TestDir &start)
{
    makeStart(start);
    start.write("game/eaw.ini");
    start.write("addon/addon.dat", "addon");
    return openWindow(start, "game");
}

class Preview : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void preview_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("caption");
        const QByteArray png = pictureBytes();
        QTest::newRow("neither") << Files{} << programPicture << instructions;
        QTest::newRow("only mypic") << Files{{u"mypic"_s, png}} << folderPicture << instructions;
        QTest::newRow("only contents.txt") << Files{{u"contents.txt"_s, "one\r\ntwo\rthree\nfour"}}
                                           << programPicture << u"one\r\ntwo\r\nthree\nfour\r\n"_s;
        QTest::newRow("both") << Files{{u"mypic"_s, png}, {u"contents.txt"_s, "last\r\n"}}
                              << folderPicture << u"last\r\n"_s;
        QTest::newRow("empty contents.txt")
            << Files{{u"contents.txt"_s, ""}} << programPicture << QString();
        QTest::newRow("other letter case") << Files{{u"MyPic"_s, png}, {u"Contents.TXT"_s, "hello"}}
                                           << folderPicture << u"hello\r\n"_s;
        QTest::newRow("directories of those names")
            << Files{{u"mypic/"_s, {}}, {u"contents.txt/"_s, {}}} << programPicture << instructions;
        QTest::newRow("BMP") << Files{{u"mypic"_s, pictureBytes(folderPicture, "BMP")}}
                             << folderPicture << instructions;
        QTest::newRow("JPEG") << Files{{u"mypic"_s, pictureBytes(folderPicture, "JPEG")}}
                              << folderPicture << instructions;
        QTest::newRow("GIF") << Files{{u"mypic"_s, gifBytes()}} << QSize(1, 1) << instructions;
        QTest::newRow("markup") << Files{{u"contents.txt"_s, "<b>bold</b> <img src=x>"}}
                                << programPicture << u"<b>bold</b> <img src=x>\r\n"_s;
        QTest::newRow("invalid UTF-8") << Files{{u"contents.txt"_s, "caf\xe9 \xff!"}}
                                       << programPicture << u"caf\uFFFD \uFFFD!\r\n"_s;
        QTest::newRow("30 MB read up to its limit")
            << Files{{u"contents.txt"_s, QByteArray(30 << 20, 'x')}} << programPicture
            << QString(qsizetype(descriptionLimit), u'x') + u"\r\n"_s;
    }

    void preview()
    {
        QFETCH(Files, files);
        QFETCH(QSize, picture);
        QFETCH(QString, caption);
        TestDir start;
        Messages messages;
        auto window = openDiscovered(start);
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            const std::string name = "addon/" + file.key().toStdString();
            name.ends_with('/') ? start.mkdir(name) : start.write(name, file->toStdString());
        }
        click(*window, start.path("addon"));
        QCOMPARE(messages.texts(), QStringList());
        QCOMPARE(shownPicture(*window), picture);
        QCOMPARE(window->Label1->caption(),
                 caption == instructions ? window->form.Eawtext : caption);
        QCOMPARE(window->Label1->textFormat(), Qt::PlainText);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("failed");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("mypic not a picture") << u"addon/mypic"_s << QString() << programPicture;
        QTest::newRow("contents.txt unreadable")
            << u"addon/contents.txt"_s << u"Input/output error"_s << folderPicture;
    }

    // A preview that fails reports the file and the reason and stops at that step.
    void failures()
    {
        QFETCH(QString, failed);
        QFETCH(QString, reason);
        QFETCH(QSize, picture);
        TestDir start;
        Messages messages;
        auto window = openDiscovered(start);
        if (failed.endsWith(u"mypic")) {
            start.write("addon/mypic", "not a picture");
            start.write("addon/contents.txt", "never shown");
        } else {
            start.write("addon/mypic", pictureBytes().toStdString());
            // Reading this link's target fails even for root.
            std::filesystem::create_symlink("/proc/self/mem", start.path("addon/contents.txt"));
        }

        click(*window, start.path("addon"));
        const QString message = messages.only();
        const QString path = QString::fromStdString(start.path(failed.toStdString()));
        QVERIFY2(message.startsWith(u"Cannot "_s), qPrintable(message));
        QVERIFY2(message.contains(u"\"%1\": "_s.arg(path)), qPrintable(message));
        QVERIFY2(message.endsWith(reason), qPrintable(message));
        QCOMPARE(shownPicture(*window), picture);
        QCOMPARE(window->Label1->caption(), window->form.Eawtext);
        QCOMPARE(window->File1->path(), start.path("addon"));
    }
};

QTEST_MAIN(Preview)
#include "preview.moc"
