// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/directoryfiles.h"

#include "core/directory.h"

#include "core/platform.h"

DirectoryFiles::DirectoryFiles()
{
    (void)platform::currentDirectory(path_);
    (void)listFiles(path_, pattern_, names_);
}

Outcome DirectoryFiles::setPath(const std::string &directory)
{
    if (Outcome failed = listFiles(directory, pattern_, names_)) {
        return failed;
    }
    path_ = directory;
    return {};
}

Outcome DirectoryFiles::setPattern(const std::string &pattern)
{
    pattern_ = pattern;
    return refresh();
}

Outcome DirectoryFiles::refresh()
{
    Outcome failed = listFiles(path_, pattern_, names_);
    if (failed) {
        names_.clear();
    }
    return failed;
}

std::string DirectoryFiles::entry(int index) const
{
    if (index < 0 || std::size_t(index) >= names_.size()) {
        return {};
    }
    return names_[std::size_t(index)];
}
