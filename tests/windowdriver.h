#pragma once
// Drives the real window over a temporary start directory with real mouse events.
#include "app/form1.h"
#include "testdir.h"

#include <QByteArray>
#include <QSize>

#include <memory>
#include <string>
#include <vector>

class FileList;
class ListView;
using Names = std::vector<std::string>;

// The program picture every start directory holds is this size; a folder's own is another.
inline constexpr QSize programPicture{3, 3};
inline constexpr QSize folderPicture{7, 5};

// The bytes of a picture in a format Qt writes ("PNG", "BMP", "JPEG"…).
QByteArray pictureBytes(QSize size = folderPicture, const char *format = "PNG");
// The program picture "Kestro" and an empty "FoldersLoaded.txt".
void makeStart(const TestDir &start);
// Starts Kestro in `start`, shows it, and clicks the game directory `game` when given.
std::unique_ptr<Form1> openWindow(const TestDir &start, const std::string &game = {});

// A click on a row of a list.
void clickRow(ListView *list, int row, Qt::MouseButton button = Qt::LeftButton);
// A click or double click on the directory list's entry for a full path.
void click(Form1 &window, const std::string &path, Qt::MouseButton button = Qt::LeftButton);
void open(Form1 &window, const std::string &path);
void clickLoad(Form1 &window);

QSize shownPicture(const Form1 &window);
Names loaded(const Form1 &window);
// The names a file list shows, and the regular files a directory holds, both sorted.
Names listed(const FileList &list);
Names filesIn(const std::string &directory);
// Whether a copy left its temporary file in a directory.
bool leftTemporary(const std::string &directory);
