// SPDX-License-Identifier: GPL-3.0-or-later
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

// Reads at most `limit` bytes from the start of a file. Only a regular file is read, and
// without waiting: a FIFO in its place fails at once.
Outcome readFile(const std::string &path, std::string &bytes, std::size_t limit);
