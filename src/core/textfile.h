#pragma once

#include "core/failure.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The lines of a text file: a line ends at a carriage return or a carriage return and line
// feed, neither of which belongs to it; a line feed on its own stays inside the line; a
// last line without its end counts whole.
std::vector<std::string> splitLines(std::string_view bytes);

// Opens a file for reading, without waiting: anything but a regular file (a directory, a
// FIFO, a device) cannot be opened.
Outcome openRegularFile(const std::string &path, int &fd);

// Reads at most `limit` bytes from the start of a file.
Outcome readFile(const std::string &path, std::string &bytes, std::size_t limit);
