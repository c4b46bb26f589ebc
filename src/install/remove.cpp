// SPDX-License-Identifier: GPL-3.0-or-later
#include "install/remove.h"

#include "core/directory.h"
#include "core/platform.h"
#include "widgets/dirlist.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/stringlist.h"

#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A game file to delete, and the folder file its name matches.
struct Match
{
    int folderIndex;
    std::string name;
};

// The game files whose names match, in any letter case, a file of the folder; in the order
// of comparing each folder file in turn with every game file in the game list's order.
Outcome findMatches(const FileList &folder, const std::string &game, std::vector<Match> &matches)
{
    std::unordered_map<std::string, int> folderByUpper;
    for (int i = 0, n = folder.count(); i < n; ++i) {
        folderByUpper.try_emplace(platform::upper(folder.entry(i)), i);
    }
    const Outcome failed = forEachEntry(game, [&](std::string_view name, EntryKind kind) {
        if (kind != EntryKind::File) {
            return;
        }
        if (const auto found = folderByUpper.find(platform::upper(name));
            found != folderByUpper.end()) {
            matches.push_back({found->second, std::string(name)});
        }
    });
    // Names that differ only in letter case: the game's list sorts them by their bytes.
    std::sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) {
        return a.folderIndex != b.folderIndex ? a.folderIndex < b.folderIndex : a.name < b.name;
    });
    return failed;
}

// A read-only game file stays. Files are looked at and deleted by their names in the game
// directory, as the system's own tools do.
Outcome deleteGameFile(const platform::Folder &game, const std::string &name)
{
    std::error_code error = platform::cannotReplace(game, name);
    if (!error) {
        error = platform::remove(game, name);
    }
    if (error) {
        return failure(QCoreApplication::translate("Kestro", "delete"),
                       platform::join(game.path(), name), error);
    }
    return {};
}

// Deletes the game files named, in any letter case, like the folder's files: the same files,
// in the same order, as comparing every folder file with every game file, for the cost of
// one pass over the game directory and one delete per match.
Outcome deleteMatches(const FileList &folder, const std::string &game, const Progress &progress)
{
    std::vector<Match> matches;
    if (Outcome failed = findMatches(folder, game, matches)) {
        return failed;
    }
    const platform::Folder gameFolder(game);
    if (gameFolder.error()) {
        return failure(QCoreApplication::translate("Kestro", "open"), game, gameFolder.error());
    }
    Outcome failed;
    for (std::size_t i = 0; i < matches.size() && !failed; ++i) {
        failed = deleteGameFile(gameFolder, matches[i].name);
        progress(i + 1, matches.size());
    }
    return failed;
}

} // namespace

Outcome List1_Click(Form &form, const Progress &progress)
{
    form.tempname = form.File1.path();
    if (Outcome failed = form.File1.setPath(form.List1.item(form.List1.selectedIndex()))) {
        return failed;
    }
    if (form.File1.count() == 0) {
        return {};
    }
    // The game directory is read here, once; the hidden game list is read again by the next
    // Load, before it uses its names.
    Outcome failed = deleteMatches(form.File1, form.EAWFile.path(), progress);
    if (!failed) {
        form.List1.removeItem(form.List1.selectedIndex());
        form.Command1.setEnabled(true);
        if (platform::sameFile(form.Dir1.path(), form.MyDir)) {
            form.Command1.setEnabled(false);
        }
    }
    Outcome restored = form.File1.setPath(form.tempname);
    if (restored) {
        // The file list still shows the folder just removed, which Load must not reinstall
        // under the directory list's name.
        form.Command1.setEnabled(false);
        (failed ? failed : restored)->note = loadIsOff();
    }
    return failed ? failed : restored;
}
