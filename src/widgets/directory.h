#pragma once

#include "widgets/failure.h"

#include <string>
#include <string_view>
#include <vector>

// The files of a directory that match a wildcard pattern, sorted by name without regard
// to letter case. Names are byte-exact. Leaves `names` alone when the directory cannot
// be read.
Outcome listFiles(const std::string &directory, std::string_view pattern,
                  std::vector<std::string> &names);

// The subdirectories of a directory, sorted the same way.
Outcome listSubdirectories(const std::string &directory, std::vector<std::string> &names);

// Sorts names the way lists show them: by upper-case name, then by the exact bytes.
void sortNames(std::vector<std::string> &names);
