#include "install/remove.h"

#include "widgets/dirlist.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/platform.h"
#include "widgets/stringlist.h"

#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

// A game file to delete, and the folder file its name matches.
struct Match
{
    int folderIndex;
    std::string name;
};

// The game directory, read once; its files are then looked at and deleted by their names in
// it, as the system's own tools do.
class GameDirectory
{
public:
    explicit GameDirectory(const std::string &path) : path_(path), dir_(::opendir(path.c_str())) {}
    ~GameDirectory()
    {
        if (dir_) {
            ::closedir(dir_);
        }
    }
    GameDirectory(const GameDirectory &) = delete;
    GameDirectory &operator=(const GameDirectory &) = delete;

    // The files its file list would show whose names match, in any letter case, a file of
    // the folder; in the order of comparing each folder file in turn with every game file in
    // the list's order.
    Outcome findMatches(const FileList &folder, std::vector<Match> &matches);
    Outcome remove(const std::string &name);

private:
    std::string path_;
    DIR *dir_;
};

Outcome GameDirectory::findMatches(const FileList &folder, std::vector<Match> &matches)
{
    const QString action = QCoreApplication::translate("Kestro", "open");
    if (!dir_) {
        return failure(action, path_, errno);
    }
    std::unordered_map<std::string, int> folderByUpper;
    for (int i = 0, n = folder.count(); i < n; ++i) {
        folderByUpper.try_emplace(platform::upper(folder.entry(i)), i);
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir_);
        if (!entry) {
            break;
        }
        const std::string_view name = entry->d_name;
        if (platform::isHidden(name)) {
            continue;
        }
        const auto found = folderByUpper.find(platform::upper(name));
        // Only a link, or a name of a file system that gives no type, needs a closer look.
        if (found != folderByUpper.end() &&
            (entry->d_type == DT_REG ||
             ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
              platform::isListedFile(std::filesystem::directory_entry(
                  std::filesystem::path(platform::join(path_, name))))))) {
            matches.push_back({found->second, std::string(name)});
        }
    }
    if (errno) {
        return failure(action, path_, errno);
    }
    // Names that differ only in letter case: the game's list sorts them by their bytes.
    std::sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) {
        return a.folderIndex != b.folderIndex ? a.folderIndex < b.folderIndex : a.name < b.name;
    });
    return {};
}

// A game file nobody may write to is read-only to the game's platform, and stays.
Outcome GameDirectory::remove(const std::string &name)
{
    const QString action = QCoreApplication::translate("Kestro", "delete");
    const int dir = ::dirfd(dir_);
    struct stat status;
    if (::fstatat(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISLNK(status.st_mode) && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return failure(action, platform::join(path_, name), EACCES);
    }
    if (::unlinkat(dir, name.c_str(), 0) != 0 && errno != ENOENT) {
        return failure(action, platform::join(path_, name), errno);
    }
    return {};
}

// Deletes the game files named, in any letter case, like the folder's files: the same files,
// in the same order, as comparing every folder file with every game file, for the cost of
// one pass over the game directory and one delete per match.
Outcome deleteMatches(const FileList &folder, const std::string &game, const Progress &progress)
{
    GameDirectory directory(game);
    std::vector<Match> matches;
    if (Outcome failed = directory.findMatches(folder, matches)) {
        return failed;
    }
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (Outcome failed = directory.remove(matches[i].name)) {
            return failed;
        }
        progress(i + 1, matches.size());
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
    // The game directory is read here, once; the hidden game list is read again by the next
    // Load, before it uses its names.
    if (Outcome failed = deleteMatches(form.File1, form.EAWFile.path(), progress)) {
        // The file list goes back to what it showed.
        (void)form.File1.setPath(form.tempname);
        return failed;
    }
    form.List1.removeItem(form.List1.selectedIndex());
    const Outcome restored = form.File1.setPath(form.tempname);
    form.Command1.setEnabled(true);
    if (form.Dir1.path() == form.MyDir) {
        form.Command1.setEnabled(false);
    }
    return restored;
}
