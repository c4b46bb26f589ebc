// Captions read back as they were set and are never markup; a picture fills its area.
#include "testdir.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"
#include "windowdriver.h"

#include <QPixmap>
#include <QTest>

using namespace Qt::StringLiterals;

class TextPicture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void caption()
    {
        TextLabel label;
        for (const QString &caption :
             {u"one\r\ntwo\r\n"_s, u"one\rtwo\nthree"_s, u"<b>x</b> <img src=\"y\"> &amp;"_s}) {
            label.setCaption(caption);
            QCOMPARE(label.caption(), caption);
            QCOMPARE(label.textFormat(), Qt::PlainText);
        }
        QVERIFY(label.wordWrap());
        label.setCaption(u"one two"_s);
        const int oneLine = label.heightForWidth(300);
        label.setCaption(u"one\r\ntwo"_s); // CR LF starts a new line
        QCOMPARE_GT(label.heightForWidth(300), oneLine);
    }

    void fillsArea_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("tall PNG, no extension") << QSize(10, 300) << "PNG"_ba << u"Kestro"_s;
        QTest::newRow("wide BMP") << QSize(600, 20) << "BMP"_ba << u"mypic"_s;
        QTest::newRow("huge PNG called jpg") << QSize(3000, 2000) << "PNG"_ba << u"a.jpg"_s;
    }

    void fillsArea()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        QFETCH(QString, name);
        TestDir dir;
        dir.write(name.toStdString(), pictureBytes(size, format.constData()).toStdString());
        PictureArea area;
        area.resize(303, 251);
        QVERIFY(!area.showPicture(dir.path(name.toStdString())));
        const QImage shown = area.grab().toImage();
        QCOMPARE(shown.size(), QSize(303, 251));
        for (const QPoint point :
             {QPoint(0, 0), QPoint(302, 250), QPoint(0, 250), QPoint(302, 0)}) {
            QCOMPARE(shown.pixelColor(point), QColor(Qt::darkGreen));
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

    // A picture that cannot be shown is reported; an area showing none stays empty.
    void keepsPictureOnFailure()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        TestDir dir;
        dir.write("good", pictureBytes().toStdString());
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
        QCOMPARE(failed->reason.isEmpty(), false);
        QVERIFY(reason.isEmpty() || failed->reason == reason);
        QCOMPARE(area.pixmap().cacheKey(), shown);
    }
};

QTEST_MAIN(TextPicture)
#include "textpicture.moc"
