// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/directoryfiles.h"
#include "widgets/listview.h"

// The file list the user sees: the files of one directory that match a pattern.
class FileListBox final : public ListView, public FileList
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListBox)

public:
    // Lists every file of the process's current directory.
    explicit FileListBox(QWidget *parent = nullptr);

    const std::string &path() const override { return files_.path(); }
    Outcome setPath(const std::string &directory) override;
    Outcome setPattern(const std::string &pattern) override;
    Outcome refresh() override;
    int count() const override { return files_.count(); }
    std::string entry(int index) const override { return files_.entry(index); }

private:
    Outcome showNames(Outcome outcome);

    DirectoryFiles files_;
};
