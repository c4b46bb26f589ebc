// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/directory.h"

#include "core/platform.h"
#include "core/wildcard.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdint>

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
    // The upper-case keys side by side in one string: a directory may hold a hundred thousand
    // names, and the sort reads each key many times.
    std::string keys, key;
    std::vector<std::size_t> ends;
    ends.reserve(names.size());
    for (const std::string &name : names) {
        platform::upper(name, key);
        keys += key;
        ends.push_back(keys.size());
    }
    // Each key's first eight bytes as one number, which orders most keys without a look at
    // the rest.
    struct Entry
    {
        std::uint64_t head;
        std::string_view key;
        std::size_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (std::size_t i = 0, start = 0; i < names.size(); start = ends[i++]) {
        const std::string_view key = std::string_view(keys).substr(start, ends[i] - start);
        std::uint64_t head = 0;
        for (std::size_t byte = 0; byte < 8; ++byte) {
            head = head << 8 | (byte < key.size() ? static_cast<unsigned char>(key[byte]) : 0);
        }
        entries.push_back({head, key, i});
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (a.head != b.head) {
            return a.head < b.head;
        }
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : names[a.index] < names[b.index];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const Entry &entry : entries) {
        sorted.push_back(std::move(names[entry.index]));
    }
    names = std::move(sorted);
}
