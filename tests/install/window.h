#pragma once

#include "app/form1.h"
#include "testdir.h"

#include <memory>
#include <string>
#include <vector>

class ListView;

// The window started in `start`, shown, with the game directory "EAW" found by a click.
std::unique_ptr<Form1> openWindow(const TestDir &start);

// A mouse click on a row of a list.
void clickRow(ListView *list, int row);
// A click on a subdirectory of the directory list.
void choose(Form1 &window, const std::string &folder);
// A click on the Load button.
void clickLoad(Form1 &window);

// The entries of the loaded folders list.
std::vector<std::string> loaded(const Form1 &window);
// The bytes of a small picture, for "mypic".
std::string picture();
// Whether a failed copy left its temporary file in the game directory.
bool leftTemporary(const TestDir &start);
