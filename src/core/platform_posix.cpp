// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX: files, folders and failures; names are the bytes the system gives.
#include "core/platform_posix.h"
#include "core/platform.h"

#include <QString>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

EntryKind kindOf(int directory, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Directory;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return EntryKind::Other;
    }
    // A link, or a file system that does not say: look at what the name leads to.
    struct stat status;
    if (::fstatat(directory, entry.d_name, &status, 0) != 0) {
        return EntryKind::Other;
    }
    return S_ISREG(status.st_mode)   ? EntryKind::File
           : S_ISDIR(status.st_mode) ? EntryKind::Directory
                                     : EntryKind::Other;
}

// Only a regular file is read: a FIFO in a file's place would wait for a writer forever.
std::error_code checkRegular(File &file)
{
    struct stat status;
    if (::fstat(fd(file), &status) != 0) {
        const std::error_code error = lastError();
        file.reset();
        return error;
    }
    if (!S_ISREG(status.st_mode)) {
        file.reset();
        return S_ISDIR(status.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                       : notAFile();
    }
    return {};
}

// The entry of that name itself, not what a link leads to: false where there is none or it is a
// link, which is replaced rather than written through.
bool inTheWay(const Folder &folder, const std::string &name, struct stat &status)
{
    return ::fstatat(fd(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           !S_ISLNK(status.st_mode);
}

// Why the entry may not be replaced or deleted: a directory, or a file nobody may write to, which
// is what the game's platform calls read-only.
std::error_code refusal(const struct stat &status)
{
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return std::make_error_code(std::errc::permission_denied);
    }
    return {};
}

} // namespace

void failWritesPastSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

std::size_t rootLength(std::string_view path)
{
    return path.starts_with('/') ? 1 : 0;
}

std::error_code currentDirectory(std::string &path)
{
    std::error_code error;
    path = std::filesystem::current_path(error).native();
    return error;
}

QString display(std::string_view name)
{
    return QString::fromLocal8Bit(name.data(), qsizetype(name.size()));
}

std::optional<std::string> listLine(std::string_view path)
{
    return std::string(path);
}

std::string listPath(std::string_view line)
{
    return std::string(line);
}

QString reason(std::error_code error)
{
    if (QString own = ownReason(error); !own.isEmpty()) {
        return own;
    }
    return QString::fromLocal8Bit(error.message());
}

bool isMissing(const std::string &path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) != 0 && errno == ENOENT;
}

void hide(const std::string &) {}

bool sameFile(const std::string &a, const std::string &b)
{
    struct stat x, y;
    return a == b || (::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 &&
                      x.st_dev == y.st_dev && x.st_ino == y.st_ino);
}

std::error_code forEachEntry(const std::string &directory,
                             const std::function<void(std::string_view, EntryKind)> &visit,
                             Hidden hidden)
{
    DIR *dir = ::opendir(directory.c_str());
    if (!dir) {
        return lastError();
    }
    const int fd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            break;
        }
        const std::string_view name = entry->d_name;
        // Dot files are hidden; "." and ".." are never entries of their own.
        if (name == "." || name == ".." || (hidden == Hidden::Skip && name.starts_with('.'))) {
            continue;
        }
        visit(name, kindOf(fd, *entry));
    }
    const std::error_code error = errno ? lastError() : std::error_code();
    ::closedir(dir);
    return error;
}

void File::reset(std::intptr_t handle)
{
    if (handle_ != closed) {
        ::close(fd(*this));
    }
    handle_ = handle;
}

std::error_code openRegularFile(const std::string &path, File &file)
{
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) {
        return lastError();
    }
    file.reset(opened);
    return checkRegular(file);
}

std::error_code read(const File &file, char *buffer, std::size_t size, std::size_t &got)
{
    for (;;) {
        const ssize_t done = ::read(fd(file), buffer, size);
        if (done >= 0) {
            got = std::size_t(done);
            return {};
        }
        if (errno != EINTR) {
            return lastError();
        }
    }
}

std::error_code write(const File &file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd(file), bytes.data(), bytes.size());
        if (done < 0 && errno != EINTR) {
            return lastError();
        }
        bytes.remove_prefix(done < 0 ? 0 : std::size_t(done));
    }
    return {};
}

Folder::Folder(const std::string &path)
    : path_(path), handle_(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (handle_ < 0) {
        error_ = lastError();
    }
}

Folder::~Folder()
{
    if (handle_ >= 0) {
        ::close(int(handle_));
    }
}

std::error_code openSource(const Folder &folder, const std::string &name, File &file)
{
    if (folder.error()) {
        return folder.error();
    }
    const int opened = ::openat(fd(folder), name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) {
        return lastError();
    }
    file.reset(opened);
    return checkRegular(file);
}

std::error_code sourceSize(const Folder &folder, const std::string &name, std::uint64_t &size)
{
    if (folder.error()) {
        return folder.error();
    }
    struct stat status;
    if (::fstatat(fd(folder), name.c_str(), &status, 0) != 0) {
        return lastError();
    }
    if (!S_ISREG(status.st_mode)) {
        return S_ISDIR(status.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                       : notAFile();
    }
    size = std::uint64_t(status.st_size);
    return {};
}

std::error_code freeSpace(const Folder &folder, std::uint64_t &available, std::uint64_t &block)
{
    if (folder.error()) {
        return folder.error();
    }
    struct statvfs disk;
    if (::fstatvfs(fd(folder), &disk) != 0) {
        return lastError();
    }
    block = disk.f_frsize;
    // Some file systems of the network or of user space give no size at all.
    available = disk.f_blocks == 0 ? UINT64_MAX : std::uint64_t(disk.f_bavail) * disk.f_frsize;
    return {};
}

std::error_code cannotReplaceGameFile(const Folder &folder, const std::string &name,
                                      std::uint64_t &freed)
{
    freed = 0;
    if (folder.error()) {
        return folder.error();
    }
    struct stat status;
    if (!inTheWay(folder, name, status)) {
        return {};
    }
    // A FIFO, socket or device is no game file, and stays.
    if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        return notAFile();
    }
    if (const std::error_code error = refusal(status)) {
        return error;
    }
    // A file with other names keeps its room.
    freed = status.st_nlink == 1 ? std::uint64_t(status.st_blocks) * 512 : 0;
    return {};
}

std::error_code cannotReplace(const Folder &folder, const std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    struct stat status;
    return inTheWay(folder, name, status) ? refusal(status) : std::error_code();
}

std::error_code copyBytes(const File &from, File &to, const std::function<void()> &working)
{
    struct stat status;
    const off_t size = ::fstat(fd(from), &status) == 0 ? status.st_size : 0;
    off_t copied = 0;
    constexpr std::size_t piece = std::size_t(64) << 20;
    // Copied in the kernel where it can; a file on another file system is copied through
    // a buffer.
    bool kernelCopy = true;
    char buffer[1 << 16];
    for (;;) {
        ssize_t done;
        if (kernelCopy) {
            done = ::copy_file_range(fd(from), nullptr, fd(to), nullptr, piece, 0);
            if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                             errno == EOPNOTSUPP || errno == EPERM)) {
                kernelCopy = false;
                continue;
            }
        } else {
            done = ::read(fd(from), buffer, sizeof buffer);
            if (done > 0) {
                if (std::error_code error =
                        write(to, std::string_view(buffer, std::size_t(done)))) {
                    return error;
                }
            }
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            return lastError();
        }
        copied += done;
        // A file of known size is whole without one more call to find its end.
        if (done == 0 || (size > 0 && copied >= size)) {
            return {};
        }
        if (working) {
            working();
        }
    }
}

void sync(const Folder &folder)
{
    ::fsync(fd(folder));
}

std::error_code remove(const Folder &folder, const std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    if (::unlinkat(fd(folder), name.c_str(), 0) != 0 && errno != ENOENT) {
        return lastError();
    }
    return {};
}

std::error_code resolveLink(std::string &path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return {};
    }
    char *target = ::realpath(path.c_str(), nullptr);
    if (!target) {
        return lastError();
    }
    path = target;
    std::free(target);
    return {};
}

} // namespace platform
