// Captions read back as they were set and are never markup; a picture fills its area.
#include "testdir.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTest>

using namespace Qt::StringLiterals;

static std::string encoded(const QSize &size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data().toStdString();
}

class TextPicture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void caption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("CR LF lines") << u"one\r\ntwo\r\n"_s;
        QTest::newRow("lone CR and LF") << u"one\rtwo\nthree"_s;
        QTest::newRow("markup") << u"<b>x</b> <img src=\"y\"> &amp;"_s;
    }

    void caption()
    {
        QFETCH(QString, caption);
        TextLabel label;
        label.setCaption(caption);
        QCOMPARE(label.caption(), caption);
        QCOMPARE(label.textFormat(), Qt::PlainText);
        QVERIFY(label.wordWrap());
    }

    void crLfStartsALine()
    {
        TextLabel label;
        label.setCaption(u"one two"_s);
        const int oneLine = label.heightForWidth(300);
        label.setCaption(u"one\r\ntwo"_s);
        QVERIFY(label.heightForWidth(300) > oneLine);
    }

    void fillsArea_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("tall PNG, no extension") << QSize(10, 300) << "PNG"_ba << u"Kestro"_s;
        QTest::newRow("wide BMP") << QSize(600, 20) << "BMP"_ba << u"mypic"_s;
        QTest::newRow("huge PNG called jpg") << QSize(3000, 2000) << "PNG"_ba << u"a.jpg"_s;
        QTest::newRow("one pixel") << QSize(1, 1) << "PNG"_ba << u"dot"_s;
    }

    void fillsArea()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        QFETCH(QString, name);
        TestDir dir;
        dir.write(name.toStdString(), encoded(size, format.constData()));
        PictureArea area;
        area.resize(303, 251);
        const Outcome failed = area.showPicture(dir.path(name.toStdString()));
        QVERIFY2(!failed, failed ? qPrintable(failed->message()) : "");
        QCOMPARE(area.size(), QSize(303, 251));
        const QImage shown = area.grab().toImage();
        QCOMPARE(shown.size(), QSize(303, 251));
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(302, 0), QPoint(0, 250), QPoint(302, 250), QPoint(151, 125)}) {
            QCOMPARE(shown.pixelColor(corner), QColor(Qt::red));
        }
    }

    void keepsPictureOnFailure_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << u"gone"_s << u"No such file or directory"_s;
        QTest::newRow("not a picture") << u"text"_s << QString();
        QTest::newRow("empty file") << u"empty"_s << QString();
        QTest::newRow("a folder") << u"folder"_s << QString();
    }

    void keepsPictureOnFailure()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        TestDir dir;
        dir.write("good", encoded({4, 4}, "PNG"));
        dir.write("text", "<html>not a picture</html>");
        dir.write("empty");
        dir.mkdir("folder");
        const std::string path = dir.path(name.toStdString());

        PictureArea blank;
        QVERIFY(blank.showPicture(path));
        QVERIFY(!blank.hasPicture());

        PictureArea area;
        QVERIFY(!area.showPicture(dir.path("good")));
        const qint64 shown = area.pixmap().cacheKey();
        const Outcome failed = area.showPicture(path);
        QVERIFY(failed);
        QCOMPARE(failed->path, path);
        if (!reason.isEmpty()) {
            QCOMPARE(failed->reason, reason);
        }
        QVERIFY(!failed->reason.isEmpty());
        QCOMPARE(area.pixmap().cacheKey(), shown);
    }
};

QTEST_MAIN(TextPicture)
#include "textpicture.moc"
