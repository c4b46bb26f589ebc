// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/directory.h"

#include "core/platform.h"
#include "core/wildcard.h"

#include <QCoreApplication>

#include <algorithm>
#include <numeric>

Outcome forEachEntry(const std::string &directory,
                     const std::function<void(std::string_view name, EntryKind kind)> &visit,
                     platform::Hidden hidden)
{
    const QString action = QCoreApplication::translate("Kestro", "open");
    // A path read from the list file may hold a NUL, which would cut it short to another folder.
    if (directory.find('\0') != std::string::npos) {
        return failure(action, directory, std::make_error_code(std::errc::invalid_argument));
    }
    if (const std::error_code error = platform::forEachEntry(directory, visit, hidden)) {
        return failure(action, directory, error);
    }
    return {};
}

static Outcome listKind(const std::string &directory, EntryKind wanted, std::string_view pattern,
                        platform::Hidden hidden, std::vector<std::string> &names)
{
    const bool everything = pattern == "*.*" || pattern == "*";
    std::vector<std::string> found;
    const Outcome failed = ::forEachEntry(
        directory,
        [&](std::string_view name, EntryKind kind) {
            if (kind == wanted && (everything || matchesPattern(pattern, name))) {
                found.emplace_back(name);
            }
        },
        hidden);
    if (failed) {
        return failed;
    }
    sortNames(found);
    names = std::move(found);
    return {};
}

Outcome listFiles(const std::string &directory, std::string_view pattern,
                  std::vector<std::string> &names)
{
    return listKind(directory, EntryKind::File, pattern, platform::Hidden::Skip, names);
}

Outcome listSubdirectories(const std::string &directory, std::vector<std::string> &names)
{
    // A game may well live in a hidden folder: "~/.local/share/Steam", "%LOCALAPPDATA%".
    return listKind(directory, EntryKind::Directory, "*", platform::Hidden::Include, names);
}

void sortNames(std::vector<std::string> &names)
{
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string &name : names) {
        keys.push_back(platform::upper(name));
    }
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(names[i]));
    }
    names = std::move(sorted);
}
