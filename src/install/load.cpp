// SPDX-License-Identifier: GPL-3.0-or-later
#include "install/load.h"

#include "core/filecopy.h"
#include "core/loadedfolders.h"
#include "core/platform.h"
#include "widgets/dirlist.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/stringlist.h"

#include <QCoreApplication>

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

// The game's names: the game's platform ignores letter case, so a file whose name differs
// only in case from a game file is written onto that game file, under the game's name.
class GameNames
{
public:
    explicit GameNames(const FileList &game)
    {
        for (int i = 0, n = game.count(); i < n; ++i) {
            add(game.entry(i));
        }
    }

    std::string nameFor(const std::string &name) const
    {
        if (exact_.contains(name)) {
            return name;
        }
        const auto found = byUpper_.find(platform::upper(name));
        return found == byUpper_.end() ? name : found->second;
    }

    void add(const std::string &name)
    {
        exact_.insert(name);
        byUpper_.try_emplace(platform::upper(name), name);
    }

private:
    std::unordered_set<std::string> exact_;
    std::unordered_map<std::string, std::string> byUpper_;
};

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
    GameNames game(form.EAWFile);
    const FolderHandle from(form.File1.path());
    const FolderHandle into(form.EAWFile.path());
    removeLeftovers(into);
    const int count = form.File1.count();
    for (int i = 0; i < count; ++i) {
        const std::string name = form.File1.entry(i);
        const std::string target = game.nameFor(name);
        const Outcome failed = installFile(from, name, into, target,
                                           [&] { progress(std::size_t(i), std::size_t(count)); });
        if (failed) {
            return failed;
        }
        game.add(target);
        progress(std::size_t(i + 1), std::size_t(count));
    }
    form.List1.addItem(folder);
    return {};
}
