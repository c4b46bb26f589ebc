// The list controls, with real events. (The directory list is driven in tst_browse.)
#include "windowdriver.h"

class ListControls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        // nothing: in the loaded folders a choice uninstalls a folder.
        clickRow(&list, 1);
        clickRow(&list, 0, Qt::RightButton);
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Home, Qt::Key_End,
                                  Qt::Key_PageUp, Qt::Key_A, Qt::Key_Up}) {
            QTest::keyClick(&list, key);
        }
        // Nor can the choice be cleared.
        QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
        const QPoint row1 = list.visualRect(list.entries()->index(1, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, row1);
        QCOMPARE(list.selectedIndex(), 1);
        QCOMPARE(events, (QStringList{u"choose 1"_s, u"choose 2"_s, u"choose 1"_s, u"choose 1"_s}));
        clickRow(&list, 2);
        list.removeItem(0);
        QCOMPARE(list.selectedIndex(), -1);
        QCOMPARE(list.item(1), "c\xE9");
        QCOMPARE(list.entries()->index(1).data().toString(), u"c\uFFFD"_s);
    }
};

QTEST_MAIN(ListControls)
#include "lists.moc"
