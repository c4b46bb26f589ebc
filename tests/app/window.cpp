// SPDX-License-Identifier: GPL-3.0-or-later
// The window as it opens and closes, "FoldersLoaded.txt" it reads at start-up and writes when
// it closes, and the keys and clicks its lists take.
#include "app/startup.h"
#include "windowdriver.h"

class Window : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startAndClose_data()
    {
        QTest::addColumn<std::string>("list"); // how "FoldersLoaded.txt" is made, if at all
        QTest::addColumn<QString>("atStart");  // the messages, with %1 for the file
        QTest::addColumn<QString>("atClose");
        const QString unread =
            u"Cannot write \"%1\": it could not be read when Kestro started, so it is kept as it is"_s;
        QTest::newRow("first run") << ""s << QString() << QString();
        QTest::newRow("read-only")
            << "FoldersLoaded.txt"s << QString() << u"Cannot write \"%1\": "_s + accessDenied();
        QTest::newRow("a FIFO, and so is the picture")
            << "FoldersLoaded.txt|"s << u"Cannot open \"%1\": it is not a file"_s << unread;
        // Reading what this link leads to fails even for root.
        QTest::newRow("an I/O error") << "FoldersLoaded.txt -> /proc/self/mem"s
                                      << u"Cannot read \"%1\": Input/output error"_s << unread;
    }

    // The window opens quietly without a program picture it can show. A list file it cannot
    // read or replace is reported, and the window opens and closes all the same, the file as it
    // was.
    void startAndClose()
    {
        QFETCH(std::string, list);
        QFETCH(QString, atStart);
        QFETCH(QString, atClose);
        if (isFifoOrLink(list)) {
            POSIX_ONLY("FIFOs and links");
        }
        TestDir start;
        std::error_code ec;
        const bool fifo = list.ends_with('|');
        start.write(fifo ? "Kestro|" : "Kestro", "not a picture");
        if (!list.empty()) {
            start.write(list, "/g/a\r\n");
        }
        const std::string path = start.path("FoldersLoaded.txt");
        const QString file = start.qpath("FoldersLoaded.txt");
        const bool readOnly = list == "FoldersLoaded.txt";
        fs::permissions(fsPath(path), fs::perms(readOnly ? 0444 : 0755), ec);
        Messages messages;
        auto window = openWindow(start);
        QCOMPARE(messages.take(), QString(atStart).replace(u"%1"_s, file));
        QVERIFY(!window->Image1->hasPicture());
        QVERIFY(!window->Command1->isEnabled() && window->Frame2->isHidden());
        QVERIFY(fifo || listed(*window->File1).back() == "Kestro");

        QVERIFY(window->close());
        QCOMPARE(messages.take(), QString(atClose).replace(u"%1"_s, file));
        QVERIFY(fs::exists(path) && fs::is_fifo(path) == fifo);
        QCOMPARE(fifo ? "" : start.read("FoldersLoaded.txt"), readOnly ? "/g/a\r\n" : "");
    }

    // One Kestro per start directory: a second one (started through a link) says so once and
    // ends, changing and making no file. A lock cut short by a power cut is taken over (a killed
    // Kestro's: tst_killed); it is hidden, gone at a close. Where none can be made, Kestro goes on.
    void startLock()
    {
        TestDir start;
        makeStart(start);
        start.write(startLockName); // a power cut's: it names no Kestro
        start.make(onPosix ? Names{"Here -> ."} : Names{});
        Messages messages; // children take theirs from it too
        auto window = openWindow(start);
        QCOMPARE(listed(*window->File1), (Names{"FoldersLoaded.txt", "Kestro"}));
        const Names before = start.contents(".", true);
        QDir::setCurrent(start.qpath(onPosix ? "Here" : ""));
        Form1 second; // in this process: another one's is tst_killed's
        second.close();
        QVERIFY(second.refused());
        QVERIFY(messages.take().startsWith(
            u"Cannot start in \"%1\": Kestro already runs there\n\nUse the "_s.arg(start.qpath())));
        QCOMPARE(start.contents(".", true), before);
        window.reset();
        QVERIFY(!fs::exists(fsPath(start.path(startLockName))));
        // A killed Kestro's, whose process number this one was given again.
        start.write(startLockName,
                    u"%1\n%2\n%3\n"_s.arg(QCoreApplication::applicationPid())
                        .arg(QCoreApplication::applicationName(), QSysInfo::machineHostName())
                        .toStdString());
        QVERIFY(!Form1().refused());
#ifndef _WIN32
        // No lock, for a user who may neither write nor list: the loaded folders come all the same.
        start.write("FoldersLoaded.txt", "/g/a\r\n/g/b\r\n");
        fs::permissions(start.path(), fs::perms(0311));
        QCOMPARE(inChild([&] {
                     (void)(::geteuid() == 0 && ::setuid(65534) == 0); // root would pass
                     Form1 window;
                     return int(!messages.take().isEmpty() && window.List1->count() == 2);
                 }),
                 1);
        fs::permissions(start.path(), fs::perms(0700));
#endif
    }

    // Only a left click, or an arrow key that moves, chooses a row; removing an item clears the
    // choice. Items are kept byte for byte, and shown with a replacement for what is not UTF-8.
    void choosing()
    {
        ListBox list;
        for (const char *item : {"a", "b", "c\xE9"}) {
            list.addItem(item);
        }
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QStringList events;
        connect(&list, &ListBox::clicked, this,
                [&] { events << u"choose %1"_s.arg(list.selectedIndex()); });
        // The right button, Down at the last row, the other keys that move and typing choose
        // nothing: in the loaded folders a choice uninstalls a folder. Nor can the choice be
        // cleared; a Ctrl+click is a click.
        clickRow(&list, 1);
        clickRow(&list, 0, Qt::RightButton);
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End,
                                  Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_A}) {
            QTest::keyClick(&list, key);
        }
        QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(list.selectedIndex(), 1);
        const QPoint row1 = list.visualRect(list.entries()->index(1, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, row1);
        QCOMPARE(events, (QStringList{u"choose 1"_s, u"choose 2"_s, u"choose 1"_s, u"choose 1"_s}));
        clickRow(&list, 2);
        list.removeItem(0);
        QCOMPARE(list.selectedIndex(), -1);
        QCOMPARE(list.item(1), "c\xE9");
        QCOMPARE(list.entries()->index(1).data().toString(), u"c\uFFFD"_s);
    }
};

QTEST_MAIN(Window)
#include "window.moc"
