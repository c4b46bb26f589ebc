// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Temporary folders of real files, and faults that stop root too.
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using namespace std::literals;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;
Q_DECLARE_METATYPE(Names)

// File names are byte-exact on POSIX and UTF-8 inside Kestro on Windows: as UTF-8 the standard
// library passes them on untouched on POSIX and converts them on Windows.
inline fs::path fsPath(const std::string &path)
{
    return fs::path(std::u8string(path.begin(), path.end()));
}

inline std::string pathString(const fs::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A case that rests on what only POSIX systems have (FIFOs, modes, links, names that are not
// UTF-8, their messages) runs there alone.
#ifdef _WIN32
#define POSIX_ONLY(why) QSKIP("POSIX only: " why)
inline constexpr bool onPosix = false;
#else
#define POSIX_ONLY(why)
inline constexpr bool onPosix = true;
#endif

// How the system words a refusal, as Kestro's own refusals of read-only files do too.
inline QString accessDenied()
{
#ifdef _WIN32
    return platform::reason({ERROR_ACCESS_DENIED, std::system_category()});
#endif
    return u"Permission denied"_s;
}

// A FIFO or a link, as TestDir::write makes them.
inline bool isFifoOrLink(const std::string &name)
{
    return name.ends_with('|') || name.find(" -> ") != std::string::npos;
}

// One data row for each row of a table whose rows have a `name`; rowOf() gives the test its row.
template <typename Row> void addRows(const std::vector<Row> &rows)
{
    QTest::addColumn<std::size_t>("row");
    for (std::size_t row = 0; row < rows.size(); ++row) {
        QTest::newRow(rows[row].name) << row;
    }
}

template <typename Row> const Row &rowOf(const std::vector<Row> &rows)
{
    QFETCH(std::size_t, row);
    return rows[row];
}

// A temporary folder to build trees of real files in, removed with everything in it.
class TestDir
{
public:
    // In the system's temporary folder, or under a name that begins with `prefix`.
    explicit TestDir(const QString &prefix = QDir::tempPath() + u"/kestro"_s)
        : dir_(prefix + u"-XXXXXX"_s)
    {
    }
    // Removes names that are not UTF-8 too, which Qt cannot spell.
    ~TestDir()
    {
        // Windows cannot remove the current directory of a process.
        if (QDir::currentPath().startsWith(dir_.path())) {
            QDir::setCurrent(QDir::tempPath());
        }
#ifdef _WIN32
        for (const auto &entry : fs::recursive_directory_iterator(fsPath(path()), ec_)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ec_);
        }
#endif
        fs::remove_all(fsPath(path()), ec_);
    }

    // A path as Kestro spells it; "/" in a name stands for the system's separator.
    std::string path(std::string name = {}) const
    {
        const std::string root = pathString(fs::canonical(fsPath(dir_.path().toStdString())));
        std::ranges::replace(name, '/', platform::separator);
        return name.empty() ? root : platform::join(root, name);
    }
    // The same as text, for messages.
    QString qpath(const std::string &name = {}) const
    {
        return QString::fromStdString(path(name));
    }
    // Creates a file with the given bytes, a folder for a name that ends in "/", a FIFO for one
    // that ends in "|", or a link for "name -> target"; and any folders on the way.
    void write(const std::string &name, const std::string &bytes = {}) const
    {
        const std::size_t arrow = name.find(" -> ");
        const fs::path at = fsPath(path(name.substr(0, arrow)));
        fs::create_directories(at.parent_path());
        if (arrow != name.npos) {
            fs::create_symlink(fsPath(name.substr(arrow + 4)), at);
        } else if (name.ends_with('/')) {
            fs::create_directory(at);
        } else if (name.ends_with('|')) {
#ifndef _WIN32
            ::mkfifo(at.native().substr(0, at.native().size() - 1).c_str(), 0644);
#endif
        } else {
            std::ofstream(at, std::ios::binary) << bytes;
        }
    }
    // Creates files, folders, FIFOs and links as write() does; "name=bytes" gives a file bytes.
    void make(const Names &all) const
    {
        for (const std::string &entry : all) {
            const std::size_t is = entry.find('=');
            write(entry.substr(0, is), is == entry.npos ? "" : entry.substr(is + 1));
        }
    }
    // The bytes of a file; none when it cannot be read, as a folder cannot.
    std::string read(const std::string &name) const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(fsPath(path(name)), std::ios::binary).rdbuf();
        return bytes.str();
    }
    // What a folder holds, hidden entries included, sorted: each file's name and bytes
    // ("a=bytes"), each folder's name and "/", anything else's name and "|"; and with `times`
    // each one's modification time after it.
    Names contents(const std::string &folder, bool times = false) const
    {
        Names found;
        for (const std::string &name : names(folder)) {
            const fs::path at = fsPath(path(folder + "/" + name));
            const fs::file_status status = fs::status(at);
            found.push_back(name + (fs::is_regular_file(status) ? '=' + read(folder + "/" + name)
                                    : fs::is_directory(status)  ? "/"
                                                                : "|"));
            if (times) {
                found.back() += std::to_string(fs::last_write_time(at).time_since_epoch().count());
            }
        }
        return found;
    }
    // The names in a folder, hidden ones included, sorted by their bytes.
    Names names(const std::string &folder = {}) const
    {
        Names found;
        for (const auto &entry : fs::directory_iterator(fsPath(path(folder)))) {
            found.push_back(pathString(entry.path().filename()));
        }
        std::ranges::sort(found);
        return found;
    }

private:
    QTemporaryDir dir_;
    std::error_code ec_;
};

// Where a folder on another file system than the temporary folder's can be made, if any.
inline QString otherFileSystem()
{
    return onPosix ? u"/dev/shm/kestro"_s : QDir::tempPath() + u"/kestro"_s;
}

#ifndef _WIN32
// Runs `body` in a forked child and gives its result, or minus the signal that ended it.
inline int inChild(const std::function<int()> &body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    return ::waitpid(child, &status, 0) != child ? -1
           : WIFEXITED(status)                   ? WEXITSTATUS(status)
                                                 : -WTERMSIG(status);
}

// Files this process writes may hold `bytes` at most, and a write beyond fails (default: no limit).
inline void limitFileSize(rlim_t bytes = RLIM_INFINITY)
{
    platform::failWritesPastSizeLimit();
    rlimit limit;
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = std::min(bytes, limit.rlim_max);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Sets or clears a file's immutable flag (chattr +i), which stops root too; false if it cannot.
inline bool setImmutable(const std::string &path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    const bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                      (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                       ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    ::close(fd);
    return done;
}
#endif
