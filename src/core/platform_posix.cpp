// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX: names are the bytes the system gives.
#include "core/platform.h"

#include <QString>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

int fd(const File &file)
{
    return int(file.handle());
}

int fd(const Folder &folder)
{
    return int(folder.handle());
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

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

// Gives a new, locked file its name by its identity, through `rename`, which fails with EEXIST
// where a file of that name already is.
std::error_code mark(int file, std::string_view prefix, std::string &name,
                     const std::function<int(const char *)> &rename)
{
    struct stat status;
    if (::fstat(file, &status) != 0) {
        return lastError();
    }
    for (unsigned number = 0;; ++number) {
        name = temporaryName(prefix, status.st_ino, number);
        if (rename(name.c_str()) == 0) {
            return {};
        }
        if (errno != EEXIST) {
            return lastError();
        }
    }
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
    if (::fstatat(fd(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISLNK(status.st_mode)) {
        return {};
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    // A FIFO, socket or device is no game file, and stays.
    if (!S_ISREG(status.st_mode)) {
        return notAFile();
    }
    // Nobody may write to it: read-only, as for cannotReplace.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return std::make_error_code(std::errc::permission_denied);
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
    if (::fstatat(fd(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISLNK(status.st_mode)) {
        return {};
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    // A file nobody may write to is what the game's platform calls read-only.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return std::make_error_code(std::errc::permission_denied);
    }
    return {};
}

std::error_code createTemporary(const Folder &folder, std::string_view prefix, File &file,
                                std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    // Nameless until it is locked and marked, where the file system allows: a Kestro killed at
    // any moment leaves nothing, or a file it can prove its own.
    if (const int nameless = ::openat(fd(folder), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        nameless >= 0) {
        file.reset(nameless);
        ::flock(nameless, LOCK_EX);
        const std::string self = "/proc/self/fd/" + std::to_string(nameless);
        if (!mark(nameless, prefix, name, [&](const char *marked) {
                return ::linkat(AT_FDCWD, self.c_str(), fd(folder), marked, AT_SYMLINK_FOLLOW);
            })) {
            return {};
        }
        file.reset();
    }
    // Elsewhere it is made under a name no temporary has, and renamed once it is locked: a
    // Kestro killed in between leaves an empty file that no sweep takes.
    static unsigned counter = 0;
    std::string unmarked;
    int opened;
    do {
        unmarked = std::string(prefix) + "new-" + std::to_string(::getpid()) + "-" +
                   std::to_string(++counter);
        opened = ::openat(fd(folder), unmarked.c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (opened < 0 && errno == EEXIST);
    if (opened < 0) {
        return lastError();
    }
    file.reset(opened);
    ::flock(opened, LOCK_EX);
    const std::error_code error = mark(opened, prefix, name, [&](const char *marked) {
        const int renamed =
            ::renameat2(fd(folder), unmarked.c_str(), fd(folder), marked, RENAME_NOREPLACE);
        if (renamed == 0 || errno != EINVAL) {
            return renamed;
        }
        // A file system that cannot refuse to replace (NFS): looked at first.
        struct stat status;
        if (::fstatat(fd(folder), marked, &status, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return -1;
        }
        return ::renameat(fd(folder), unmarked.c_str(), fd(folder), marked);
    });
    if (error) {
        ::unlinkat(fd(folder), unmarked.c_str(), 0);
        file.reset();
    }
    return error;
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

std::error_code matchOriginal(const File &original, const File &copy)
{
    struct stat status;
    if (::fstat(fd(original), &status) != 0) {
        return lastError();
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (::fchmod(fd(copy), (status.st_mode & 0777) | S_IWUSR) != 0 ||
        ::futimens(fd(copy), times) != 0) {
        return lastError();
    }
    return {};
}

std::error_code matchReplaced(const std::string &path, const File &replacement)
{
    struct stat old;
    static const mode_t umask = currentUmask();
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : 0666 & ~umask;
    if (::fchmod(fd(replacement), mode) != 0) {
        return lastError();
    }
    return {};
}

std::error_code replace(const Folder &folder, File &file, const std::string &name,
                        const std::string &target, bool durable)
{
    std::error_code error = durable && ::fsync(fd(file)) != 0 ? lastError() : std::error_code();
    // A second descriptor keeps the lock while the first is closed, which is where some file
    // systems (NFS) report a write that failed.
    File lock;
    lock.reset(::fcntl(fd(file), F_DUPFD_CLOEXEC, 0));
    const bool closed = ::close(fd(file)) == 0;
    // Closed even when it fails: closing it again could close another file.
    file.release();
    if (!error && !closed) {
        error = lastError();
    }
    if (!error && ::renameat(fd(folder), name.c_str(), fd(folder), target.c_str()) != 0) {
        error = lastError();
    }
    if (error) {
        ::unlinkat(fd(folder), name.c_str(), 0);
    }
    return error;
}

void discard(const Folder &folder, File &file, const std::string &name)
{
    ::unlinkat(fd(folder), name.c_str(), 0);
    file.reset();
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

void removeAbandoned(const Folder &folder, const std::string &name, std::uint64_t identity)
{
    // A temporary another Kestro is still writing is locked; a killed one's lock is gone.
    File file;
    const int opened =
        ::openat(fd(folder), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0) {
        return;
    }
    file.reset(opened);
    struct stat status;
    if (::fstat(opened, &status) == 0 && S_ISREG(status.st_mode) && status.st_ino == identity &&
        ::flock(opened, LOCK_EX | LOCK_NB) == 0) {
        ::unlinkat(fd(folder), name.c_str(), 0);
    }
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
