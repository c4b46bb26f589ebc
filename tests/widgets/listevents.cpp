// Only the user's clicks and keys report a choice in a list; what the program does never does.
#include "testdir.h"
#include "widgets/dirlistbox.h"
#include "widgets/entrymodel.h"
#include "widgets/listbox.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// A button, a directory list on a folder holding a, b and c, and a list box of three items.
struct Lists
{
    TestDir dir;
    QWidget window;
    QPushButton *button = new QPushButton(u"before"_s, &window);
    DirListBox *dirs = new DirListBox(&window);
    ListBox *items = new ListBox(&window);
    bool directories;
    ListView *view;

    explicit Lists(bool directories) : directories(directories)
    {
        view = directories ? static_cast<ListView *>(dirs) : items;
        for (const char *name : {"a", "b", "c"}) {
            dir.mkdir(name);
            items->addItem(name);
        }
        (void)dirs->setPath(dir.path());
        auto *layout = new QVBoxLayout(&window);
        for (QWidget *widget : {static_cast<QWidget *>(button), static_cast<QWidget *>(dirs),
                                static_cast<QWidget *>(items)}) {
            layout->addWidget(widget);
        }
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    int selected() const { return directories ? dirs->selectedIndex() : items->selectedIndex(); }
    QSignalSpy clicks() const
    {
        return directories ? QSignalSpy(dirs, &DirListBox::clicked)
                           : QSignalSpy(items, &ListBox::clicked);
    }
    // Where entry `entry` shows: a directory list shows the path above its subdirectories.
    QPoint pointAt(int entry) const
    {
        const int first = directories ? dirs->entries()->rowCount() - dirs->count() : 0;
        return view->visualRect(view->model()->index(first + entry, 0)).center();
    }
    void click(int entry, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(view->viewport(), button, keys, pointAt(entry));
    }
};

class ListEvents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bothLists_data()
    {
        QTest::addColumn<bool>("directories");
        QTest::newRow("directory list") << true;
        QTest::newRow("list box") << false;
    }

    void click_data() { bothLists_data(); }
    void click()
    {
        QFETCH(bool, directories);
        Lists lists(directories);
        QSignalSpy clicks = lists.clicks();
        QStringList order;
        connect(lists.view, &ListView::mousePressed, this, [&] { order << u"press"_s; });
        connect(lists.view, &ListView::rowChosen, this, [&] { order << u"click"_s; });
        QSignalSpy presses(lists.view, &ListView::mousePressed);

        lists.click(1, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(lists.selected(), 1);
        QCOMPARE(order, (QStringList{u"press"_s, u"click"_s}));
        QCOMPARE(presses[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(presses[0][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
        QCOMPARE(presses[0][2].toPoint(), lists.pointAt(1));
        QCOMPARE(lists.dirs->path(), lists.dir.path());
        lists.click(1); // the chosen entry again
        QCOMPARE(clicks.count(), 2);

        // Another button only reports the press.
        lists.click(2, Qt::RightButton);
        QCOMPARE(presses.count(), 3);
        QCOMPARE(presses[2][0].value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(lists.selected(), 1);

        // Arrow keys choose too, unless they move nothing (entry 2 is the last).
        QTest::keyClick(lists.view, Qt::Key_Down);
        QTest::keyClick(lists.view, Qt::Key_Down);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(lists.selected(), 2);
        QTest::keyClick(lists.view, Qt::Key_Up);
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(lists.selected(), 1);
    }

    // A double click is a click and then an open: the open itself reports nothing.
    void doubleClickOpens()
    {
        Lists lists(true);
        QSignalSpy clicks = lists.clicks();
        QTest::mouseClick(lists.view->viewport(), Qt::LeftButton, {}, lists.pointAt(1));
        QTest::mouseDClick(lists.view->viewport(), Qt::LeftButton, {}, lists.pointAt(1));
        QCOMPARE(lists.dirs->path(), lists.dir.path("b"));
        QCOMPARE(lists.dirs->selectedIndex(), -1);
        QCOMPARE(clicks.count(), 1);

        // Up chooses the parent; Enter opens it.
        lists.view->setFocus();
        QTest::keyClick(lists.view, Qt::Key_Up);
        QCOMPARE(lists.dirs->selectedIndex(), -2);
        QTest::keyClick(lists.view, Qt::Key_Return);
        QCOMPARE(lists.dirs->path(), lists.dir.path());
        QCOMPARE(clicks.count(), 2);
    }

    // Arriving by Tab is not a choice; the first arrow key after it chooses the first entry.
    void tabFocus_data() { bothLists_data(); }
    void tabFocus()
    {
        QFETCH(bool, directories);
        Lists lists(directories);
        QSignalSpy clicks = lists.clicks();
        lists.button->setFocus();
        for (int i = 0; i < 3 && QApplication::focusWidget() != lists.view; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), lists.view);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(lists.selected(), -1);
        QTest::keyClick(lists.view, Qt::Key_Down);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(lists.selected(), 0);
    }

    void programChanges()
    {
        Lists lists(true);
        QSignalSpy dirClicks(lists.dirs, &DirListBox::clicked);
        QSignalSpy itemClicks(lists.items, &ListBox::clicked);
        lists.click(1);
        QVERIFY(!lists.dirs->setPath(lists.dir.path("a")));
        QCOMPARE(lists.dirs->selectedIndex(), -1);
        QVERIFY(!lists.dirs->setPath(lists.dir.path()));
        lists.dirs->selectRow(lists.dirs->entries()->rowCount() - 1);

        const auto clickItem = [&](int row) {
            QTest::mouseClick(
                lists.items->viewport(), Qt::LeftButton, {},
                lists.items->visualRect(lists.items->model()->index(row, 0)).center());
        };
        clickItem(1);
        lists.items->addItem("d");
        lists.items->selectRow(3);
        lists.items->removeItem(3);
        QCOMPARE(lists.items->selectedIndex(), -1);
        clickItem(1);
        lists.items->removeItem(1);
        QCOMPARE(lists.items->item(1), "c");
        QCOMPARE(lists.items->selectedIndex(), -1);
        QCOMPARE(dirClicks.count(), 1);
        QCOMPARE(itemClicks.count(), 2);
    }
};

QTEST_MAIN(ListEvents)
#include "listevents.moc"
