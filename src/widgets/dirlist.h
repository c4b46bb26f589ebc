// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

#include <string>

// A directory list as the handlers see it: one directory, its subdirectories as entries
// 0 to count - 1, and its ancestors as negative entries (-1 the directory itself, -2 its
// parent, and so on up to the root). Every entry is a full path.
class DirList
{
public:
    virtual ~DirList() = default;

    virtual const std::string &path() const = 0;
    // Shows another directory and selects entry -1. A failed change leaves the list as it was.
    [[nodiscard]] virtual Outcome setPath(const std::string &directory) = 0;
    virtual int count() const = 0;
    // An empty path for an index outside the list.
    virtual std::string entry(int index) const = 0;
    // The entry the user chose last.
    virtual int selectedIndex() const = 0;
};
