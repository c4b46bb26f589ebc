// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

#include <cstddef>

struct Form;

// How much of a folder's description is read: far more than the text area can show.
inline constexpr std::size_t descriptionLimit = 64 * 1024;

// Shows the folder in the file list by its own picture, "mypic", and its own description,
// "contents.txt", where it has them.
Outcome previewFolder(Form &form);
