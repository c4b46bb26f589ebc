// SPDX-License-Identifier: GPL-3.0-or-later
#include "install/remove.h"

#include "core/directory.h"
#include "core/parallel.h"
#include "core/platform.h"
#include "widgets/dirlist.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/stringlist.h"

#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A game file to delete, and the folder file its name matches.
struct Match
{
    int folderIndex;
    std::string name;
};

// A file of the game directory, and its name in upper case.
struct GameFile
{
    std::string name;
    std::string key;
};

Outcome readGame(const std::string &game, std::vector<GameFile> &files)
{
    return forEachEntry(game, [&](std::string_view name, EntryKind kind) {
        if (kind == EntryKind::File) {
            files.push_back({std::string(name), platform::upper(name)});
        }
    });
}

// The index of each of the folder's files by its name in upper case: the first, of names that
// differ only in letter case.
using FolderNames = std::unordered_map<std::string, int>;

FolderNames folderNames(const FileList &folder)
{
    FolderNames byUpper;
    byUpper.reserve(std::size_t(folder.count()));
    for (int i = 0, n = folder.count(); i < n; ++i) {
        byUpper.try_emplace(platform::upper(folder.entry(i)), i);
    }
    return byUpper;
}

// The game files whose names match, in any letter case, a file of the folder; in the order
// of comparing each folder file in turn with every game file in the game list's order.
std::vector<Match> findMatches(const FolderNames &folder, const std::vector<GameFile> &game)
{
    std::vector<Match> matches;
    for (const GameFile &file : game) {
        if (const auto found = folder.find(file.key); found != folder.end()) {
            matches.push_back({found->second, file.name});
        }
    }
    // Names that differ only in letter case: the game's list sorts them by their bytes.
    std::sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) {
        return a.folderIndex != b.folderIndex ? a.folderIndex < b.folderIndex : a.name < b.name;
    });
    return matches;
}

QString deleteAction()
{
    return QCoreApplication::translate("Kestro", "delete");
}

// Said when a removal stops: how many of the folder's game files are gone, and what to do.
QString deletedSoFar(std::size_t deleted, std::size_t count)
{
    if (deleted == 0) {
        return QCoreApplication::translate("Kestro", "Nothing was deleted.");
    }
    const QString advice = QCoreApplication::translate(
        "Kestro", "Once the cause is fixed, click the folder again to delete the rest.");
    const QString done =
        deleted == 1
            ? QCoreApplication::translate("Kestro",
                                          "1 of the folder's %1 files in the game directory was "
                                          "already deleted; the folder stays listed.")
                  .arg(count)
            : QCoreApplication::translate("Kestro",
                                          "%1 of the folder's %2 files in the game directory "
                                          "were already deleted; the folder stays listed.")
                  .arg(deleted)
                  .arg(count);
    return done + u' ' + advice;
}

// Deletes the game files named, in any letter case, like the folder's files: the same files,
// in the same order, as comparing every folder file with every game file, for the cost of
// one pass over the game directory and one look and one delete per match. None is deleted
// while one of them may not be: a read-only one, or on Windows a hidden or system one.
// Files are looked at and deleted by their names in the game directory, as the system's own
// tools do.
Outcome deleteMatches(const FolderNames &folder, const std::string &game,
                      const std::vector<GameFile> &gameFiles, const Progress &progress)
{
    const std::vector<Match> matches = findMatches(folder, gameFiles);
    const platform::Folder gameFolder(game);
    if (gameFolder.error()) {
        return failure(QCoreApplication::translate("Kestro", "open"), game, gameFolder.error());
    }
    // Every file is looked at before any goes, the looks side by side; the first refusal in
    // the files' order is the one told.
    std::vector<std::error_code> refusals(matches.size());
    forEachIndex(
        matches.size(),
        [&](std::size_t i) {
            std::uint64_t freed = 0;
            refusals[i] = platform::cannotReplaceGameFile(gameFolder, matches[i].name, freed);
        },
        [&] { progress(0, matches.size()); });
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (refusals[i]) {
            Failure refused =
                failure(deleteAction(), platform::join(game, matches[i].name), refusals[i]);
            refused.note = deletedSoFar(0, matches.size());
            return refused;
        }
    }
    // The deletes go side by side as well, taken in the files' order: the first failure in
    // that order is the one told, and stops them, though the few already under way finish.
    std::vector<std::error_code> failures(matches.size());
    std::atomic<bool> stopped = false;
    std::atomic<std::size_t> deleted = 0;
    forEachIndex(
        matches.size(),
        [&](std::size_t i) {
            if (stopped) {
                return;
            }
            failures[i] = platform::remove(gameFolder, matches[i].name);
            if (failures[i]) {
                stopped = true;
            } else {
                ++deleted;
            }
        },
        [&] { progress(deleted, matches.size()); });
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (failures[i]) {
            Failure failed =
                failure(deleteAction(), platform::join(game, matches[i].name), failures[i]);
            failed.note = deletedSoFar(deleted, matches.size());
            return failed;
        }
    }
    return {};
}

} // namespace

Outcome List1_Click(Form &form, const Progress &progress)
{
    form.tempname = form.File1.path();
    // The game directory is read once, on another thread while the file list reads the folder:
    // both may hold many files. The hidden game list is read again by the next Load, before it
    // uses its names.
    std::vector<GameFile> gameFiles;
    Outcome gameUnread;
    const auto read = [&, game = form.EAWFile.path()] { gameUnread = readGame(game, gameFiles); };
    std::jthread reading;
    try {
        reading = std::jthread(read);
    } catch (const std::system_error &) {
        read(); // the system has no thread to give
    }
    if (Outcome failed = form.File1.setPath(form.List1.item(form.List1.selectedIndex()))) {
        return failed;
    }
    if (form.File1.count() == 0) {
        return {};
    }
    Outcome failed;
    if (platform::sameFile(form.File1.path(), form.EAWFile.path())) {
        // Every game file is named like a file of the game directory itself.
        failed =
            Failure{QCoreApplication::translate("Kestro", "remove"), form.File1.path(),
                    gameItself(), QCoreApplication::translate("Kestro", "Nothing was deleted.")};
    } else {
        const FolderNames folder = folderNames(form.File1); // while the game is read
        if (reading.joinable()) {
            reading.join();
        }
        failed = gameUnread ? std::move(gameUnread)
                            : deleteMatches(folder, form.EAWFile.path(), gameFiles, progress);
    }
    if (!failed) {
        form.List1.removeItem(form.List1.selectedIndex());
        form.Command1.setEnabled(true);
        if (platform::sameFile(form.Dir1.path(), form.MyDir)) {
            form.Command1.setEnabled(false);
        }
    }
    Outcome restored = form.File1.setPath(form.tempname);
    if (platform::sameFile(form.File1.path(), form.EAWdir)) {
        form.Command1.setEnabled(false);
    }
    if (restored) {
        // The file list still shows the folder just removed, which Load must not reinstall
        // under the directory list's name.
        form.Command1.setEnabled(false);
        QString &note = (failed ? failed : restored)->note;
        note = note.isEmpty() ? loadIsOff() : note + u"\n\n"_s + loadIsOff();
    }
    return failed ? failed : restored;
}
