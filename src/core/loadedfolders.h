#pragma once

#include "core/failure.h"

#include <string>
#include <vector>

// "FoldersLoaded.txt": the loaded folders, one full path a line, each line ended by a
// carriage return and line feed. The paths are kept byte for byte.

// A missing file is a first run: no folders, and no failure.
Outcome readLoadedFolders(const std::string &path, std::vector<std::string> &folders);

// Replaces the file whole or not at all, even when the machine stops half-way.
Outcome writeLoadedFolders(const std::string &path, const std::vector<std::string> &folders);
