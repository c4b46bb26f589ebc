// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/dirlist.h"
#include "widgets/listview.h"

#include <vector>

// The directory list the user sees: the path from the root down to the directory, then its
// subdirectories. A click selects a directory, a double click or Enter opens it.
class DirListBox final : public ListView, public DirList
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DirListBox)

public:
    // Shows the process's current directory.
    explicit DirListBox(QWidget *parent = nullptr);

    const std::string &path() const override { return path_; }
    Outcome setPath(const std::string &directory) override;
    int count() const override { return int(subdirectories_.size()); }
    std::string entry(int index) const override;
    int selectedIndex() const override;

Q_SIGNALS:
    // The user chose an entry with the mouse or the arrow keys.
    void clicked();
    // A directory the user opened could not be read.
    void openFailed(const Failure &failure);

private:
    void open(int row);

    std::string path_;
    std::vector<std::string> ancestors_; // from the root down to path_ itself
    std::vector<std::string> subdirectories_;
};
