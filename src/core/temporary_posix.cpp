// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX: the temporaries that take a file's place, made nameless where the system allows, locked
// with flock until renamed, and swept only when their lock is gone.
#include "core/platform.h"
#include "core/platform_posix.h"
#include "core/temporary.h"

#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
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
    return markByIdentity(prefix, status.st_ino, name, [&](const std::string &marked) {
        return rename(marked.c_str()) == 0 ? std::error_code() : lastError();
    });
}

// Gives an open file without a name a name in a folder, which nothing there may have yet.
int linkOpen(int file, int folder, const char *name)
{
    // Through the descriptor itself where the system lets this user, else through the file's
    // name under /proc, which needs no privilege but takes longer.
    static std::atomic<bool> direct = true;
    if (direct) {
        if (::linkat(file, "", folder, name, AT_EMPTY_PATH) == 0) {
            return 0;
        }
        if (errno != ENOENT && errno != EPERM) {
            return -1;
        }
        direct = false;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name, AT_SYMLINK_FOLLOW);
}

} // namespace

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
        if (!mark(nameless, prefix, name,
                  [&](const char *marked) { return linkOpen(nameless, fd(folder), marked); })) {
            return {};
        }
        file.reset();
    }
    // Elsewhere it is made under a name no temporary has, and renamed once it is locked: a
    // Kestro killed in between leaves an empty file that no sweep takes.
    std::string unmarked;
    int opened;
    do {
        unmarked = unmarkedName(prefix);
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

std::error_code createNameless(const Folder &folder, File &file)
{
    if (folder.error()) {
        return folder.error();
    }
    const int nameless = ::openat(fd(folder), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (nameless < 0) {
        return lastError();
    }
    file.reset(nameless);
    return {};
}

std::error_code giveName(const Folder &folder, File &file, const std::string &target)
{
    // Closed before it has its name, as replace() closes a temporary; a second descriptor keeps
    // the file until then.
    File kept;
    kept.reset(::fcntl(fd(file), F_DUPFD_CLOEXEC, 0));
    std::error_code error = kept.isOpen() ? std::error_code() : lastError();
    const bool closed = ::close(fd(file)) == 0;
    file.release();
    if (!error && !closed) {
        error = lastError();
    }
    // A name already there is never replaced.
    if (!error && linkOpen(fd(kept), fd(folder), target.c_str()) != 0) {
        error = lastError();
    }
    return error;
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

} // namespace platform
