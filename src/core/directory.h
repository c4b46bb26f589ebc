#pragma once

#include "core/failure.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What a directory entry is to the lists, links followed.
enum class EntryKind {
    File,      // a regular file
    Directory, // a directory
    Other      // a broken link, FIFO, socket or device: never listed
};

// Calls `visit` with each entry of a directory that is not hidden, in the directory's own
// order. Names are byte-exact.
Outcome forEachEntry(const std::string &directory,
                     const std::function<void(std::string_view name, EntryKind kind)> &visit);

// The files of a directory that match a wildcard pattern, sorted by name without regard
// to letter case. Leaves `names` alone when the directory cannot be read.
Outcome listFiles(const std::string &directory, std::string_view pattern,
                  std::vector<std::string> &names);

// The subdirectories of a directory, sorted the same way.
Outcome listSubdirectories(const std::string &directory, std::vector<std::string> &names);

// Sorts names the way lists show them: by upper-case name, then by the exact bytes.
void sortNames(std::vector<std::string> &names);
