// The window as it opens and closes, and "FoldersLoaded.txt" it reads at start-up and writes
// when it closes.
#include "windowdriver.h"

#include <QScreen>

class Window : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startAndClose_data()
    {
        QTest::addColumn<QString>("list");    // what "FoldersLoaded.txt" is
        QTest::addColumn<QString>("atStart"); // the messages, with %1 for the file
        QTest::addColumn<QString>("atClose");
        const QString unread =
            u"Cannot write \"%1\": it could not be read when Kestro started, so it is kept as it is"_s;
        QTest::newRow("first run") << u"missing"_s << QString() << QString();
        QTest::newRow("read-only")
            << u"read-only"_s << QString() << u"Cannot write \"%1\": Permission denied"_s;
        QTest::newRow("a folder") << u"folder"_s << u"Cannot open \"%1\": Is a directory"_s
                                  << unread;
        QTest::newRow("a FIFO, and so is the picture")
            << u"fifo"_s << u"Cannot open \"%1\": it is not a file"_s << unread;
        // Reading what this link leads to fails even for root.
        QTest::newRow("an I/O error")
            << u"link"_s << u"Cannot read \"%1\": Input/output error"_s << unread;
    }

    // The window opens centred and fixed in size with the instructions, quietly without a
    // program picture it can show. A list file it cannot read or replace is reported, and the
    // window opens and closes all the same, the file as it was.
    void startAndClose()
    {
        QFETCH(QString, list);
        QFETCH(QString, atStart);
        QFETCH(QString, atClose);
        TestDir start;
        start.write("Kestro", "not a picture");
        const std::string path = start.path("FoldersLoaded.txt");
        const QString file = start.qpath("FoldersLoaded.txt");
        if (list == u"fifo") {
            fs::remove(start.path("Kestro"));
            QVERIFY(!::mkfifo(path.c_str(), 0644) && !::mkfifo(start.path("Kestro").c_str(), 0644));
        } else if (list != u"missing") {
            list == u"link"
                ? fs::create_symlink("/proc/self/mem", path)
                : start.write(list == u"folder" ? "FoldersLoaded.txt/" : "FoldersLoaded.txt",
                              "/g/a\r\n");
        }
        ::chmod(path.c_str(), list == u"read-only" ? 0444 : 0755);
        Messages messages;
        QVERIFY(QDir::setCurrent(start.qpath()));
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Centred on the screen; a frame, where there is one, comes around it.
        const QRect screen = window.screen()->geometry();
        const QSize room = screen.size() - window.size();
        QCOMPARE(window.pos(), screen.topLeft() + QPoint(room.width() / 2, room.height() / 2));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(messages.take(), QString(atStart).replace(u"%1"_s, file));
        QCOMPARE(window.Label1->caption(),
                 u"First locate your main EAW directory. When you have found it the program will "
                 u"check that it contains the 'eaw.ini' file.\r\nIf it does, then the other items "
                 u"on this form will be displayed.\r\nThen you will be able to copy selected "
                 u"folder contents to the EAW directory by clicking the 'Load' button."_s);
        QVERIFY(!window.Image1->hasPicture());
        QVERIFY(!window.Command1->isEnabled() && window.Frame2->isHidden());
        QVERIFY(list == u"fifo" || listed(*window.File1).back() == "Kestro");

        QVERIFY(window.close());
        QCOMPARE(messages.take(), QString(atClose).replace(u"%1"_s, file));
        QVERIFY(fs::exists(path) && fs::is_fifo(path) == (list == u"fifo"));
        QCOMPARE(fs::is_fifo(path) ? "" : start.read("FoldersLoaded.txt"),
                 list == u"read-only" ? "/g/a\r\n" : "");
    }

    // A start directory that cannot be listed still gives its loaded folders.
    void unlistableStartDirectory()
    {
        TestDir root;
        root.write("start/FoldersLoaded.txt", "/g/a\r\n/g/b\r\n");
        fs::permissions(root.path(), fs::perms(0711));
        fs::permissions(root.path("start"), fs::perms(0311));
        // The child says 1 when the window reported the folder and listed both.
        QCOMPARE(inChild([&] {
                     // Root lists any folder: become a user whom the permissions stop.
                     (void)(::geteuid() == 0 && ::setuid(65534) == 0);
                     QDir::setCurrent(root.qpath("start"));
                     Messages messages;
                     Form1 window;
                     return int(!messages.take().isEmpty() && window.List1->count() == 2);
                 }),
                 1);
        fs::permissions(root.path("start"), fs::perms(0755));
    }
};

QTEST_MAIN(Window)
#include "window.moc"
