#include "window.h"

#include "widgets/dirlistbox.h"
#include "widgets/listbox.h"
#include "widgets/platform.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTest>

std::unique_ptr<Form1> openWindow(const TestDir &start)
{
    QDir::setCurrent(QString::fromStdString(start.path()));
    auto window = std::make_unique<Form1>();
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get())) {
        QTest::qFail("the window never became active", __FILE__, __LINE__);
    }
    choose(*window, "EAW");
    if (window->form.EAWdir != start.path("EAW")) {
        QTest::qFail("the game directory was not found", __FILE__, __LINE__);
    }
    return window;
}

void clickRow(ListView *list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    QVERIFY2(index.isValid(), "no such row");
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

void choose(Form1 &window, const std::string &folder)
{
    // Subdirectories follow the path of the directory list, so search from the end.
    const QString name = platform::display(folder);
    for (int row = window.Dir1->model()->rowCount() - 1; row >= 0; --row) {
        if (window.Dir1->model()->index(row, 0).data().toString() == name) {
            clickRow(window.Dir1, row);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no folder ") + name));
}

void clickLoad(Form1 &window)
{
    QVERIFY(window.Command1->isEnabled());
    QTest::mouseClick(window.Command1, Qt::LeftButton);
}

std::vector<std::string> loaded(const Form1 &window)
{
    std::vector<std::string> items;
    for (int i = 0; i < window.List1->count(); ++i) {
        items.push_back(window.List1->item(i));
    }
    return items;
}

std::string picture()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage(2, 2, QImage::Format_RGB32).save(&buffer, "PNG");
    return bytes.toStdString();
}

bool leftTemporary(const TestDir &start)
{
    for (const std::string &name : start.names("EAW")) {
        if (name.starts_with(".kestro-")) {
            return true;
        }
    }
    return false;
}
