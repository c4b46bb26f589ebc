#include "install/remove.h"

#include "widgets/dirlist.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/platform.h"
#include "widgets/stringlist.h"

#include <QCoreApplication>
#include <QPushButton>

#include <cerrno>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

// A game file nobody may write to is read-only to the game's platform, and stays.
Outcome deleteGameFile(const std::string &path)
{
    const QString action = QCoreApplication::translate("Kestro", "delete");
    if (platform::isReadOnly(path)) {
        return failure(action, path, EACCES);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return failure(action, path, errno);
    }
    return {};
}

// Deletes the game files named, in any letter case, like the folder's files: the same files
// as comparing every folder file with every game file, for the cost of one pass over each.
Outcome deleteMatches(const FileList &folder, const FileList &game, const Progress &progress)
{
    std::unordered_map<std::string, std::vector<std::string>> gameByUpper;
    for (int j = 0, n = game.count(); j < n; ++j) {
        const std::string name = game.entry(j);
        gameByUpper[platform::upper(name)].push_back(name);
    }
    const int count = folder.count();
    for (int i = 0; i < count; ++i) {
        const auto matches = gameByUpper.find(platform::upper(folder.entry(i)));
        if (matches != gameByUpper.end()) {
            for (const std::string &name : matches->second) {
                if (Outcome failed = deleteGameFile(platform::join(game.path(), name))) {
                    return failed;
                }
            }
            gameByUpper.erase(matches);
        }
        progress(std::size_t(i + 1), std::size_t(count));
    }
    return {};
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
    Outcome failed = form.EAWFile.refresh();
    if (!failed) {
        failed = deleteMatches(form.File1, form.EAWFile, progress);
    }
    if (failed) {
        // The file list goes back to what it showed; the game list shows what is left.
        (void)form.EAWFile.refresh();
        (void)form.File1.setPath(form.tempname);
        return failed;
    }
    form.List1.removeItem(form.List1.selectedIndex());
    const Outcome refreshed = form.EAWFile.refresh();
    const Outcome restored = form.File1.setPath(form.tempname);
    form.Command1.setEnabled(true);
    if (form.Dir1.path() == form.MyDir) {
        form.Command1.setEnabled(false);
    }
    return refreshed ? refreshed : restored;
}
