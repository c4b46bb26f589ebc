// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"
#include "core/platform.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

using platform::EntryKind;

// Calls `visit` with each entry of a directory, in the directory's own order, hidden ones only
// when asked. Names are byte-exact.
Outcome forEachEntry(const std::string &directory,
                     const std::function<void(std::string_view name, EntryKind kind)> &visit,
                     platform::Hidden hidden = platform::Hidden::Skip);

// The files of a directory that match a wildcard pattern, sorted by name without regard
// to letter case. Leaves `names` alone when the directory cannot be read.
Outcome listFiles(const std::string &directory, std::string_view pattern,
                  std::vector<std::string> &names);

// Every subdirectory of a directory, hidden ones included, sorted the same way.
Outcome listSubdirectories(const std::string &directory, std::vector<std::string> &names);

// Sorts names the way lists show them: by upper-case name, then by the exact bytes.
void sortNames(std::vector<std::string> &names);
