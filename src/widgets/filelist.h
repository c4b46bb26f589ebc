// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

#include <string>

// A list of the files in one directory that match a wildcard pattern, as the handlers see
// it. A failed change leaves the list as it was.
class FileList
{
public:
    virtual ~FileList() = default;

    virtual const std::string &path() const = 0;
    [[nodiscard]] virtual Outcome setPath(const std::string &directory) = 0;
    [[nodiscard]] virtual Outcome setPattern(const std::string &pattern) = 0;
    // Reads the directory again. When it can no longer be read, the list empties.
    [[nodiscard]] virtual Outcome refresh() = 0;
    virtual int count() const = 0;
    // A file name without its directory; an empty name past the end of the list.
    virtual std::string entry(int index) const = 0;
};
