// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/listbox.h"

#include "core/platform.h"
#include "widgets/entrymodel.h"

ListBox::ListBox(QWidget *parent) : ListView(parent)
{
    connect(this, &ListView::rowChosen, this, &ListBox::clicked);
}

void ListBox::addItem(const std::string &item)
{
    items_.push_back(item);
    entries()->appendRow({item, {}, 0});
}

void ListBox::removeItem(int index)
{
    if (index < 0 || std::size_t(index) >= items_.size()) {
        return;
    }
    // The row that would take the removed row's place was not chosen by the user.
    selectRow(-1);
    items_.erase(items_.begin() + index);
    entries()->removeRow(index);
}

std::string ListBox::item(int index) const
{
    if (index < 0 || std::size_t(index) >= items_.size()) {
        return {};
    }
    return items_[std::size_t(index)];
}
