// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives the real window over a temporary start directory with real mouse events.
#include "app/form1.h"
#include "messages.h"
#include "testdir.h"
#include "widgets/dirlistbox.h"
#include "widgets/entrymodel.h"
#include "widgets/filelistbox.h"
#include "widgets/listbox.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"

#include <QBuffer>
#include <QGroupBox>
#include <QImage>
#include <QPushButton>

#include <memory>

// The program picture every start directory holds is this size; a folder's own is another.
inline constexpr QSize programPicture{3, 3};
inline constexpr QSize folderPicture{7, 5};

// The bytes of a PNG picture.
inline std::string pictureBytes(QSize size = folderPicture)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// The program picture "Kestro", an empty "FoldersLoaded.txt", and `more` as TestDir::make makes
// them.
inline void makeStart(const TestDir &start, const Names &more = {})
{
    start.write("Kestro", pictureBytes(programPicture));
    start.write("FoldersLoaded.txt");
    start.make(more);
}

// The loaded folders, as "FoldersLoaded.txt" holds them.
inline std::string lines(const TestDir &start, const Names &folders)
{
    std::string text;
    for (const std::string &folder : folders) {
        text += start.path(folder) + "\r\n";
    }
    return text;
}

// A click on a row of a list, scrolled into view, or a double click (a click, then another).
inline void clickRow(ListView *list, int row, Qt::MouseButton button = Qt::LeftButton,
                     bool twice = false)
{
    list->scrollTo(list->model()->index(row, 0));
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), button, {}, at);
    if (twice) {
        QTest::mouseDClick(list->viewport(), button, {}, at);
    }
}

// A click or a double click on the directory list's entry for a full path, and whether Load is
// on after it.
inline bool click(Form1 &window, const std::string &path, Qt::MouseButton button = Qt::LeftButton,
                  bool twice = false)
{
    const int ancestors = window.Dir1->model()->rowCount() - window.Dir1->count();
    for (int index = -ancestors; index < window.Dir1->count(); ++index) {
        if (window.Dir1->entry(index) == path) {
            clickRow(window.Dir1, index + ancestors, button, twice);
            return window.Command1->isEnabled();
        }
    }
    QTest::qFail(("no entry for " + path).c_str(), __FILE__, __LINE__);
    return false;
}

inline bool open(Form1 &window, const std::string &path)
{
    return click(window, path, Qt::LeftButton, true);
}

inline void clickLoad(Form1 &window)
{
    QVERIFY(window.Command1->isEnabled());
    QTest::mouseClick(window.Command1, Qt::LeftButton);
}

// Starts Kestro in `start`, shows it, and clicks the game directory `game` when given.
inline std::unique_ptr<Form1> openWindow(const TestDir &start, const std::string &game = {})
{
    QDir::setCurrent(start.qpath());
    auto window = std::make_unique<Form1>();
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get())) {
        QTest::qFail("the window never became active", __FILE__, __LINE__);
    }
    if (!game.empty()) {
        click(*window, start.path(game));
    }
    return window;
}

// The entries of a file or directory list, in their order.
template <typename List> Names listed(const List &list)
{
    Names names;
    for (int i = 0; i < list.count(); ++i) {
        names.push_back(list.entry(i));
    }
    return names;
}
