#include "windowdriver.h"

#include "widgets/dirlistbox.h"
#include "widgets/listbox.h"
#include "widgets/picturearea.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <filesystem>

QByteArray pictureBytes(QSize size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) {
        QTest::qFail(format, __FILE__, __LINE__);
    }
    return bytes;
}

void makeStart(const TestDir &start)
{
    start.write("Kestro", pictureBytes(programPicture).toStdString());
    start.write("FoldersLoaded.txt");
}

std::unique_ptr<Form1> openWindow(const TestDir &start, const std::string &game)
{
    QDir::setCurrent(QString::fromStdString(start.path()));
    auto window = std::make_unique<Form1>();
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get())) {
        QTest::qFail("the window never became active", __FILE__, __LINE__);
    }
    if (!game.empty()) {
        click(*window, start.path(game));
        if (window->form.EAWdir != start.path(game)) {
            QTest::qFail("the game directory was not found", __FILE__, __LINE__);
        }
    }
    return window;
}

// Where a row of a list shows, scrolled into view.
static QPoint pointOf(ListView *list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    if (!index.isValid()) {
        QTest::qFail("no such row", __FILE__, __LINE__);
    }
    list->scrollTo(index);
    return list->visualRect(index).center();
}

// The row of the directory list that shows a full path.
static int rowOf(DirListBox &list, const std::string &path)
{
    const int ancestors = list.model()->rowCount() - list.count();
    for (int index = -ancestors; index < list.count(); ++index) {
        if (list.entry(index) == path) {
            return index + ancestors;
        }
    }
    QTest::qFail(("no entry for " + path).c_str(), __FILE__, __LINE__);
    return -1;
}

void clickRow(ListView *list, int row, Qt::MouseButton button)
{
    QTest::mouseClick(list->viewport(), button, {}, pointOf(list, row));
}

void click(Form1 &window, const std::string &path, Qt::MouseButton button)
{
    clickRow(window.Dir1, rowOf(*window.Dir1, path), button);
}

void open(Form1 &window, const std::string &path)
{
    const QPoint point = pointOf(window.Dir1, rowOf(*window.Dir1, path));
    QTest::mouseDClick(window.Dir1->viewport(), Qt::LeftButton, {}, point);
}

void clickLoad(Form1 &window)
{
    QVERIFY(window.Command1->isEnabled());
    QTest::mouseClick(window.Command1, Qt::LeftButton);
}

QSize shownPicture(const Form1 &window)
{
    return window.Image1->pixmap().size();
}

Names loaded(const Form1 &window)
{
    Names items;
    for (int i = 0; i < window.List1->count(); ++i) {
        items.push_back(window.List1->item(i));
    }
    return items;
}

Names listed(const FileList &list)
{
    Names names;
    for (int i = 0; i < list.count(); ++i) {
        names.push_back(list.entry(i));
    }
    std::sort(names.begin(), names.end());
    return names;
}

Names filesIn(const std::string &directory)
{
    Names names;
    for (const auto &entry : std::filesystem::directory_iterator(directory)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().native());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool leftTemporary(const std::string &directory)
{
    return std::ranges::any_of(
        filesIn(directory), [](const std::string &name) { return name.starts_with(".kestro-"); });
}
