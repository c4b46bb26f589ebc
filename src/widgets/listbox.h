// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/listview.h"
#include "widgets/stringlist.h"

#include <vector>

// The list box the user sees; a click or an arrow key chooses an item.
class ListBox final : public ListView, public StringList
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListBox)

public:
    explicit ListBox(QWidget *parent = nullptr);

    void addItem(const std::string &item) override;
    void removeItem(int index) override;
    int count() const override { return int(items_.size()); }
    std::string item(int index) const override;
    int selectedIndex() const override { return selectedRow(); }

Q_SIGNALS:
    // The user chose an item with the mouse or the arrow keys.
    void clicked();

private:
    std::vector<std::string> items_;
};
