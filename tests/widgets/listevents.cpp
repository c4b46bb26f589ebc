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

#include <memory>

using namespace Qt::StringLiterals;

enum Kind { Directories, Items };

// A button, a directory list on a folder holding a, b and c, and a list box of three items.
struct Lists
{
    TestDir dir;
    QWidget window;
    QPushButton *button = new QPushButton(u"before"_s, &window);
    DirListBox *dirs = new DirListBox(&window);
    ListBox *items = new ListBox(&window);

    Lists()
    {
        for (const char *name : {"a", "b", "c"}) {
            dir.mkdir(name);
        }
        (void)dirs->setPath(dir.path());
        for (const char *item : {"one", "two", "three"}) {
            items->addItem(item);
        }
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(button);
        layout->addWidget(dirs);
        layout->addWidget(items);
        window.show();
        QApplication::setActiveWindow(&window);
    }

    ListView *view(int kind) const
    {
        return kind == Directories ? static_cast<ListView *>(dirs) : items;
    }
    // The row that shows entry 0: a directory list shows the path above its subdirectories.
    int firstRow(int kind) const
    {
        return kind == Directories ? dirs->entries()->rowCount() - dirs->count() : 0;
    }
    int selected(int kind) const
    {
        return kind == Directories ? dirs->selectedIndex() : items->selectedIndex();
    }
    std::unique_ptr<QSignalSpy> clicks(int kind) const
    {
        return kind == Directories ? std::make_unique<QSignalSpy>(dirs, &DirListBox::clicked)
                                   : std::make_unique<QSignalSpy>(items, &ListBox::clicked);
    }
    QPoint pointAt(int kind, int entry) const
    {
        ListView *list = view(kind);
        return list->visualRect(list->model()->index(firstRow(kind) + entry, 0)).center();
    }
    void click(int kind, int entry, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::mouseClick(view(kind)->viewport(), button, modifiers, pointAt(kind, entry));
    }
};

class ListEvents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bothLists_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("directory list") << int(Directories);
        QTest::newRow("list box") << int(Items);
    }

    void click_data() { bothLists_data(); }
    void click()
    {
        QFETCH(int, kind);
        Lists lists;
        QVERIFY(QTest::qWaitForWindowExposed(&lists.window));
        const auto clicks = lists.clicks(kind);
        QStringList order;
        connect(lists.view(kind), &ListView::mousePressed, this, [&] { order << u"press"_s; });
        connect(lists.view(kind), &ListView::rowChosen, this, [&] { order << u"click"_s; });
        QSignalSpy presses(lists.view(kind), &ListView::mousePressed);

        lists.click(kind, 1, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(clicks->count(), 1);
        QCOMPARE(lists.selected(kind), 1);
        QCOMPARE(order, (QStringList{u"press"_s, u"click"_s}));
        QCOMPARE(presses.count(), 1);
        QCOMPARE(presses[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(presses[0][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
        QCOMPARE(presses[0][2].toPoint(), lists.pointAt(kind, 1));
        QCOMPARE(lists.dirs->path(), lists.dir.path());

        // The user can choose the chosen entry again.
        lists.click(kind, 1);
        QCOMPARE(clicks->count(), 2);
        QCOMPARE(lists.selected(kind), 1);

        // Another button only reports the press.
        lists.click(kind, 2, Qt::RightButton);
        QCOMPARE(presses.count(), 3);
        QCOMPARE(presses[2][0].value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(clicks->count(), 2);
        QCOMPARE(lists.selected(kind), 1);

        // Arrow keys choose too, unless they move nothing (entry 2 is the last).
        QTest::keyClick(lists.view(kind), Qt::Key_Down);
        QTest::keyClick(lists.view(kind), Qt::Key_Down);
        QCOMPARE(clicks->count(), 3);
        QCOMPARE(lists.selected(kind), 2);
        QTest::keyClick(lists.view(kind), Qt::Key_Up);
        QCOMPARE(clicks->count(), 4);
        QCOMPARE(lists.selected(kind), 1);
    }

    // A double click is a click and then an open: the open itself reports nothing.
    void doubleClickOpens()
    {
        Lists lists;
        QVERIFY(QTest::qWaitForWindowExposed(&lists.window));
        const auto clicks = lists.clicks(Directories);
        ListView *view = lists.view(Directories);
        const QPoint b = lists.pointAt(Directories, 1);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, b);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, b);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, b);
        QCOMPARE(lists.dirs->path(), lists.dir.path("b"));
        QCOMPARE(lists.dirs->selectedIndex(), -1);
        QCOMPARE(clicks->count(), 1);

        // Up chooses the parent; Enter opens it.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Up);
        QCOMPARE(clicks->count(), 2);
        QCOMPARE(lists.dirs->selectedIndex(), -2);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(lists.dirs->path(), lists.dir.path());
        QCOMPARE(lists.dirs->selectedIndex(), -1);
        QCOMPARE(clicks->count(), 2);
    }

    // Arriving by Tab is not a choice; the first arrow key after it chooses the first entry.
    void tabFocus_data() { bothLists_data(); }
    void tabFocus()
    {
        QFETCH(int, kind);
        Lists lists;
        QVERIFY(QTest::qWaitForWindowActive(&lists.window));
        const auto clicks = lists.clicks(kind);
        const int before = lists.selected(kind);
        QCOMPARE(before, -1);
        lists.button->setFocus();
        for (int i = 0; i < 3 && QApplication::focusWidget() != lists.view(kind); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), lists.view(kind));
        QCOMPARE(clicks->count(), 0);
        QCOMPARE(lists.selected(kind), before);
        QTest::keyClick(lists.view(kind), Qt::Key_Down);
        QCOMPARE(clicks->count(), 1);
        QCOMPARE(lists.selected(kind), 0);
    }

    void programChanges()
    {
        Lists lists;
        QVERIFY(QTest::qWaitForWindowExposed(&lists.window));
        const auto dirClicks = lists.clicks(Directories);
        const auto itemClicks = lists.clicks(Items);

        lists.click(Directories, 1);
        QVERIFY(!lists.dirs->setPath(lists.dir.path("a")));
        QCOMPARE(lists.dirs->selectedIndex(), -1);
        QVERIFY(!lists.dirs->setPath(lists.dir.path()));
        lists.dirs->selectRow(lists.firstRow(Directories) + 2);

        lists.click(Items, 1);
        lists.items->addItem("four");
        lists.items->selectRow(3);
        lists.items->removeItem(3);
        QCOMPARE(lists.items->selectedIndex(), -1);
        lists.click(Items, 1);
        lists.items->removeItem(1);
        QCOMPARE(lists.items->count(), 2);
        QCOMPARE(lists.items->item(1), "three");
        QCOMPARE(lists.items->selectedIndex(), -1);

        QCOMPARE(dirClicks->count(), 1);
        QCOMPARE(itemClicks->count(), 2);
    }
};

QTEST_MAIN(ListEvents)
#include "listevents.moc"
