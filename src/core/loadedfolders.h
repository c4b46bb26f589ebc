// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "FoldersLoaded.txt": the loaded folders, one full path a line, each line ended by a
// carriage return and line feed. The paths are kept byte for byte: the system's own bytes on
// POSIX, the ANSI code page on Windows.

// Why a folder's path cannot be kept as a line of the file, or nothing when it can.
std::optional<QString> cannotKeep(std::string_view folder);

// A missing file is a first run: no folders, and no failure.
Outcome readLoadedFolders(const std::string &path, std::vector<std::string> &folders);

// The folders the file's bytes hold, and the bytes that hold a list of folders.
std::vector<std::string> parseLoadedFolders(std::string_view bytes);
std::string formatLoadedFolders(const std::vector<std::string> &folders);

// Replaces the file whole or not at all, even when the machine stops half-way. A link is kept,
// and the file it leads to is replaced.
Outcome writeLoadedFolders(std::string path, const std::vector<std::string> &folders);
