// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/filelist.h"

#include <vector>

// A file list that is never shown: it probes directories for the handlers.
class DirectoryFiles final : public FileList
{
public:
    // Lists every file of the process's current directory.
    DirectoryFiles();

    const std::string &path() const override { return path_; }
    Outcome setPath(const std::string &directory) override;
    Outcome setPattern(const std::string &pattern) override;
    Outcome refresh() override;
    int count() const override { return int(names_.size()); }
    std::string entry(int index) const override;

    const std::vector<std::string> &names() const { return names_; }

private:
    std::string path_;
    std::string pattern_ = "*.*";
    std::vector<std::string> names_;
};
