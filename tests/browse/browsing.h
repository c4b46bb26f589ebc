#pragma once

// Helpers to drive the window over a temporary start directory.

#include "app/form1.h"
#include "testdir.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelist.h"
#include "widgets/picturearea.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The program picture every start directory holds is this size; a folder's own is another.
inline constexpr QSize programPicture{3, 3};
inline constexpr QSize folderPicture{7, 5};

// The bytes of a picture file in a format Qt can write ("PNG", "BMP", "JPEG"…).
inline QByteArray pictureBytes(QSize size = folderPicture, const char *format = "PNG")
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

// A one-pixel GIF, a format Qt reads but does not write.
inline QByteArray gifBytes()
{
    static const unsigned char gif[] = {
        'G',  'I',  'F',  '8',  '9',  'a',  0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xff, 0xff,
        0xff, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};
    return QByteArray(reinterpret_cast<const char *>(gif), sizeof gif);
}

// The start directory of a first run: the program picture "Kestro", an empty
// "FoldersLoaded.txt".
inline void makeStart(const TestDir &start)
{
    start.write("Kestro", pictureBytes(programPicture).toStdString());
    start.write("FoldersLoaded.txt");
}

// Starts Kestro in a start directory and shows its window.
inline std::unique_ptr<Form1> openWindow(const TestDir &start)
{
    QDir::setCurrent(QString::fromStdString(start.path()));
    auto window = std::make_unique<Form1>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) {
        QTest::qFail("the window was never shown", __FILE__, __LINE__);
    }
    return window;
}

// Where the directory list shows the entry for a full path.
inline QPoint entryAt(DirListBox &list, const std::string &path)
{
    const int ancestors = list.model()->rowCount() - list.count();
    for (int index = -ancestors; index < list.count(); ++index) {
        if (list.entry(index) == path) {
            const QModelIndex row = list.model()->index(index + ancestors, 0);
            list.scrollTo(row);
            return list.visualRect(row).center();
        }
    }
    QTest::qFail(qPrintable(QStringLiteral("no entry for ") + QString::fromStdString(path)),
                 __FILE__, __LINE__);
    return {};
}

// Clicks the directory list's entry for a full path: a left click selects it.
inline void click(Form1 &window, const std::string &path, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(window.Dir1->viewport(), button, {}, entryAt(*window.Dir1, path));
}

// Double-clicks the entry for a full path, which opens that directory in the list.
inline void open(Form1 &window, const std::string &path)
{
    QTest::mouseDClick(window.Dir1->viewport(), Qt::LeftButton, {}, entryAt(*window.Dir1, path));
}

// The size of the picture shown; an empty size when there is none.
inline QSize shownPicture(const Form1 &window)
{
    return window.Image1->pixmap().size();
}

// The names a file list shows, sorted.
inline std::vector<std::string> listed(const FileList &list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.count(); ++i) {
        names.push_back(list.entry(i));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The regular files a directory holds, sorted.
inline std::vector<std::string> filesIn(const std::string &directory)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(directory)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().native());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}
