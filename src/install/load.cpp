// SPDX-License-Identifier: GPL-3.0-or-later
#include "install/load.h"

#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "core/parallel.h"
#include "core/platform.h"
#include "widgets/dirlist.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/stringlist.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// The game's names for the add-on's files: the game's platform ignores letter case, so a file
// whose name differs only in case from a game file is written onto that game file, under the
// game's name. Only game names that an add-on file's name may stand for are kept: a game
// directory holds thousands of files, and a Load looks up a few of them.
class GameNames
{
public:
    // `keys` are the add-on's names in upper case.
    GameNames(const FileList &game, const std::vector<std::string> &keys)
        : wanted_(keys.begin(), keys.end())
    {
        std::string key;
        for (int i = 0, n = game.count(); i < n; ++i) {
            const std::string name = game.entry(i);
            platform::upper(name, key);
            if (wanted(key)) {
                add(name, key);
            }
        }
    }

    // Whether an add-on file's name may stand for the name of this upper case.
    bool wanted(const std::string &key) const { return wanted_.contains(key); }

    // Whether the game has the name of an add-on file, or one it may stand for.
    bool has(const std::string &name) const { return exact_.contains(name); }

    std::string nameFor(const std::string &name, const std::string &key) const
    {
        if (exact_.contains(name)) {
            return name;
        }
        const auto found = byUpper_.find(key);
        return found == byUpper_.end() ? name : found->second;
    }

    void add(const std::string &name, const std::string &key)
    {
        exact_.insert(name);
        byUpper_.try_emplace(key, name);
    }

private:
    std::unordered_set<std::string> wanted_;
    std::unordered_set<std::string> exact_;
    std::unordered_map<std::string, std::string> byUpper_;
};

QString copyAction()
{
    return QCoreApplication::translate("Kestro", "copy");
}

QString copyToAction()
{
    return QCoreApplication::translate("Kestro", "copy to");
}

// Two amounts of room as players read them ("1.2 MB"), with as many decimals as tell them apart.
std::pair<QString, QString> roomTexts(std::uint64_t a, std::uint64_t b)
{
    const QLocale locale;
    const auto text = [&](std::uint64_t bytes, int decimals) {
        return locale.formattedDataSize(qint64(std::min<std::uint64_t>(bytes, INT64_MAX)), decimals,
                                        QLocale::DataSizeTraditionalFormat);
    };
    for (int decimals = 0; decimals <= 3; ++decimals) {
        if (text(a, decimals) != text(b, decimals)) {
            return {text(a, decimals), text(b, decimals)};
        }
    }
    const QString bytes = QCoreApplication::translate("Kestro", "%1 bytes");
    return {bytes.arg(locale.toString(qulonglong(a))), bytes.arg(locale.toString(qulonglong(b)))};
}

// A file of the add-on, the game's name for it, and whether the game has that name yet.
struct Copy
{
    std::string name;
    std::string target;
    Target kind;
};

// How many copies may be written ahead of the one being put in place, on other processors.
constexpr std::size_t mostAhead = 16;

// Looks, before anything is copied, for every cause that would stop the copies and can be
// known beforehand: an add-on file that cannot be read, a game file that may not be replaced
// or a folder or special file in the way, and too little room on the game's disk. Gives the
// copies to make, and how many may be written ahead: each takes room of its own until it is
// in place, so none where the disk has too little room for that.
Outcome foresee(const FileList &files, const FileList &gameList, const FolderHandle &from,
                const FolderHandle &into, std::vector<Copy> &copies, std::size_t &ahead,
                const std::function<void()> &working)
{
    if (into.error()) {
        return failure(copyToAction(), into.path(), into.error());
    }
    const int count = files.count();
    // The add-on's files are looked at side by side, and told of in their order.
    std::vector<std::string> names(static_cast<std::size_t>(count));
    std::vector<std::string> keys(names.size());
    std::vector<std::uint64_t> sizes(names.size());
    std::vector<std::error_code> unreadable(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = files.entry(int(i));
    }
    forEachIndex(
        names.size(),
        [&](std::size_t i) {
            keys[i] = platform::upper(names[i]);
            unreadable[i] = platform::sourceSize(from, names[i], sizes[i]);
        },
        working);
    GameNames game(gameList, keys);
    // What the game directory holds that its list leaves out: folders, special files, hidden
    // files. Only a name in the list or among these needs a look.
    std::unordered_set<std::string> unlisted;
    std::string key;
    (void)platform::forEachEntry(
        into.path(),
        [&](std::string_view name, platform::EntryKind kind) {
            platform::upper(name, key);
            if (game.wanted(key) &&
                (kind != platform::EntryKind::File || !game.has(std::string(name)))) {
                unlisted.insert(key);
            }
        },
        platform::Hidden::Include);
    // A disk that cannot tell its room is not refused for it.
    std::uint64_t available = UINT64_MAX, block = 1;
    (void)platform::freeSpace(into, available, block);
    block = std::max<std::uint64_t>(block, 1);
    // Each copy is written whole beside the file it replaces, which only then frees its room:
    // the most room needed is at some copy, what the copies before it added plus that copy.
    std::int64_t added = 0, needed = 0, largest = 0;
    std::unordered_map<std::string, std::int64_t> copied;
    copies.clear();
    copies.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string &name = names[i];
        const std::uint64_t size = sizes[i];
        if (const std::error_code error = unreadable[i]) {
            return failure(copyAction(), platform::join(from.path(), name), error);
        }
        const std::string target = game.nameFor(name, keys[i]);
        std::uint64_t freed = 0;
        Target kind = Target::Existing;
        if (const auto earlier = copied.find(target); earlier != copied.end()) {
            freed = std::uint64_t(earlier->second);
        } else if (game.has(target) || unlisted.contains(keys[i])) {
            if (const std::error_code error =
                    platform::cannotReplaceGameFile(into, target, freed)) {
                return failure(copyToAction(), platform::join(into.path(), target), error);
            }
        } else {
            kind = Target::New;
        }
        const auto room = std::int64_t((size + block - 1) / block * block);
        needed = std::max(needed, added + room);
        largest = std::max(largest, room);
        added += room - std::int64_t(freed);
        copied[target] = room;
        game.add(target, keys[i]);
        copies.push_back({name, target, kind});
    }
    if (std::uint64_t(needed) > available) {
        const auto [need, free] = roomTexts(std::uint64_t(needed), available);
        return Failure{copyToAction(), into.path(),
                       QCoreApplication::translate(
                           "Kestro", "its disk has %1 free, and the folder's files need %2")
                           .arg(free, need)};
    }
    ahead =
        std::uint64_t(largest) <= (available - std::uint64_t(needed)) / mostAhead ? mostAhead : 0;
    return {};
}

// Said when a Load stops: how many of the folder's files are in the game, and what to do.
QString copiedSoFar(int copied, int count)
{
    if (copied == 0) {
        return QCoreApplication::translate("Kestro", "Nothing was copied.");
    }
    const QString advice = QCoreApplication::translate(
        "Kestro", "Once the cause is fixed, load the folder again: that copies the rest and "
                  "adds the folder to the list, so that a click can remove it.");
    const QString done =
        copied == 1
            ? QCoreApplication::translate("Kestro",
                                          "1 of the folder's %1 files was already copied into "
                                          "the game directory, but the folder is not listed.")
                  .arg(count)
            : QCoreApplication::translate("Kestro",
                                          "%1 of the folder's %2 files were already copied into "
                                          "the game directory, but the folder is not listed.")
                  .arg(copied)
                  .arg(count);
    return done + u' ' + advice;
}

} // namespace

// Why the folder chosen in the directory list cannot be loaded, before anything is copied.
static Outcome refusal(const Form &form, const std::string &folder)
{
    const QString action = QCoreApplication::translate("Kestro", "load");
    if (folder.empty()) {
        return Failure{
            action, form.File1.path(),
            QCoreApplication::translate("Kestro", "no folder is chosen in the folder list")};
    }
    if (const auto reason = cannotKeep(folder)) {
        return Failure{action, folder, *reason};
    }
    // Recorded, the game directory would be an add-on whose removal deletes every game file.
    if (platform::sameFile(form.File1.path(), form.EAWdir) ||
        platform::sameFile(folder, form.EAWdir)) {
        return Failure{action, folder, gameItself()};
    }
    return {};
}

Outcome Command1_Click(Form &form, const Progress &progress)
{
    const std::string folder = form.Dir1.entry(form.Dir1.selectedIndex());
    if (Outcome refused = refusal(form, folder)) {
        return refused;
    }
    // The hidden game list is read here, before its names are used, and not again after the
    // copies: every handler that uses its names reads it first.
    if (Outcome failed = form.EAWFile.refresh()) {
        return failed;
    }
    const FolderHandle from(form.File1.path());
    const FolderHandle into(form.EAWFile.path());
    removeLeftovers(into);
    const int count = form.File1.count();
    std::vector<Copy> copies;
    std::size_t ahead = 0;
    if (Outcome refused = foresee(form.File1, form.EAWFile, from, into, copies, ahead,
                                  [&] { progress(0, std::size_t(count)); })) {
        refused->note = copiedSoFar(0, count);
        return refused;
    }
    // The copies are written ahead on other processors, and put in place here one after
    // another in the folder's order: the first failure stops them, and no copy after it takes
    // its place. What was written ahead and not put in place goes.
    struct Made
    {
        Outcome failed;
        PreparedCopy copy;
    };
    Ahead<Made> made(
        copies.size(), ahead, [&](std::size_t i, const std::function<void()> &working) {
            const Copy &copy = copies[i];
            Made result;
            result.failed =
                prepareCopy(from, copy.name, into, copy.target, copy.kind, result.copy, working);
            return result;
        });
    for (int i = 0; i < count; ++i) {
        const Copy &copy = copies[std::size_t(i)];
        const auto working = [&] { progress(std::size_t(i), std::size_t(count)); };
        Made next = made.take(std::size_t(i), working);
        Outcome failed = next.failed
                             ? std::move(next.failed)
                             : placeCopy(from, copy.name, into, copy.target, next.copy, working);
        if (failed) {
            failed->note = copiedSoFar(i, count);
            return failed;
        }
        progress(std::size_t(i + 1), std::size_t(count));
    }
    form.List1.addItem(folder);
    return {};
}
