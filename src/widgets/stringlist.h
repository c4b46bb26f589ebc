// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// A list box of texts kept byte-exact, in the order they were added.
class StringList
{
public:
    virtual ~StringList() = default;

    virtual void addItem(const std::string &item) = 0;
    virtual void removeItem(int index) = 0;
    virtual int count() const = 0;
    // An empty text for an index outside the list.
    virtual std::string item(int index) const = 0;
    // The item the user chose last, or -1.
    virtual int selectedIndex() const = 0;
};
