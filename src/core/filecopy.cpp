#include "core/filecopy.h"

#include "core/platform.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString copyAction()
{
    return QCoreApplication::translate("Kestro", "copy");
}

QString copyToAction()
{
    return QCoreApplication::translate("Kestro", "copy to");
}

// Copies the rest of `in` to `out`, in the kernel where it can, telling `working` after
// each piece so that a large file does not keep the window from painting.
int copyBytes(int in, int out, off_t size, const std::function<void()> &working)
{
    off_t copied = 0;
    constexpr std::size_t piece = std::size_t(64) << 20;
    bool kernelCopy = true;
    char buffer[1 << 16];
    for (;;) {
        ssize_t done;
        if (kernelCopy) {
            done = ::copy_file_range(in, nullptr, out, nullptr, piece, 0);
            if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                             errno == EOPNOTSUPP || errno == EPERM)) {
                kernelCopy = false;
                continue;
            }
        } else {
            done = ::read(in, buffer, sizeof buffer);
            for (ssize_t written = 0; done > 0 && written < done;) {
                const ssize_t now = ::write(out, buffer + written, std::size_t(done - written));
                if (now < 0 && errno != EINTR) {
                    return errno;
                }
                written += now < 0 ? 0 : now;
            }
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            return errno;
        }
        copied += done;
        // A file of known size is whole without one more call to find its end.
        if (done == 0 || (size > 0 && copied >= size)) {
            return 0;
        }
        if (working) {
            working();
        }
    }
}

// The directory part and the name of a path built by joining a directory and a name.
std::pair<std::string, std::string> split(const std::string &path)
{
    const std::size_t slash = path.rfind(platform::separator);
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? path.substr(0, 1) : path.substr(0, slash), path.substr(slash + 1)};
}

constexpr std::string_view temporaryPrefix = ".kestro-";

// Creates a new hidden file in a directory, and says its name. The file stays locked while
// it is written, so that no other Kestro takes it for a leftover.
int createTemporary(int directory, mode_t mode, std::string &name)
{
    static unsigned counter = 0;
    for (;;) {
        name = std::string(temporaryPrefix) + std::to_string(::getpid()) + "-" +
               std::to_string(++counter);
        const int fd = ::openat(directory, name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
        }
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
}

// ".kestro-<process>-<count>", as createTemporary names them.
bool isTemporaryName(std::string_view name)
{
    if (!name.starts_with(temporaryPrefix)) {
        return false;
    }
    name.remove_prefix(temporaryPrefix.size());
    const std::size_t dash = name.find('-');
    const auto digits = [](std::string_view part) {
        return !part.empty() &&
               std::ranges::all_of(part, [](char c) { return c >= '0' && c <= '9'; });
    };
    return dash != std::string_view::npos && digits(name.substr(0, dash)) &&
           digits(name.substr(dash + 1));
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

FolderHandle::FolderHandle(const std::string &path)
    : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      error_(fd_ < 0 ? errno : 0)
{
}

FolderHandle::~FolderHandle()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void removeLeftovers(const FolderHandle &folder)
{
    const int fd = folder.fd() < 0 ? -1 : ::dup(folder.fd());
    DIR *dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name)) {
            continue;
        }
        // A copy another Kestro is still writing is locked; a killed one's lock is gone.
        const int file =
            ::openat(folder.fd(), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat status;
        if (file >= 0 && ::fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(file, LOCK_EX | LOCK_NB) == 0) {
            ::unlinkat(folder.fd(), entry->d_name, 0);
        }
        if (file >= 0) {
            ::close(file);
        }
    }
    ::closedir(dir);
}

Outcome installFile(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, const std::function<void()> &working)
{
    const std::string destination = platform::join(into.path(), target);
    if (into.error()) {
        return failure(copyToAction(), destination, into.error());
    }
    struct stat existing;
    if (::fstatat(into.fd(), target.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            return failure(copyToAction(), destination, EISDIR);
        }
        if (platform::isReadOnly(into.fd(), target)) {
            return failure(copyToAction(), destination, EACCES);
        }
    }

    const std::string source = platform::join(from.path(), name);
    if (from.error()) {
        return failure(copyAction(), source, from.error());
    }
    const int in = ::openat(from.fd(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) {
        return failure(copyAction(), source, errno);
    }
    struct stat status = {};
    if (::fstat(in, &status) != 0 || !S_ISREG(status.st_mode)) {
        // Only a regular file is copied: a FIFO put in its place would never end.
        const int error = S_ISREG(status.st_mode) ? errno : EINVAL;
        ::close(in);
        return failure(copyAction(), source, error);
    }

    // The copy is always the owner's to replace or delete later.
    const mode_t mode = (status.st_mode & 0777) | S_IWUSR;
    std::string temporary;
    const int out = createTemporary(into.fd(), mode, temporary);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return failure(copyToAction(), destination, error);
    }

    int error = copyBytes(in, out, status.st_size, working);
    ::close(in);
    static const mode_t umask = currentUmask();
    if (!error && (mode & umask) != 0 && ::fchmod(out, mode) != 0) {
        error = errno;
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (!error && ::futimens(out, times) != 0) {
        error = errno;
    }
    if (::close(out) != 0 && !error) {
        error = errno;
    }
    if (!error && ::renameat(into.fd(), temporary.c_str(), into.fd(), target.c_str()) != 0) {
        error = errno;
    }
    if (error) {
        ::unlinkat(into.fd(), temporary.c_str(), 0);
        return failure(copyToAction(), destination, error);
    }
    return {};
}

Outcome installFile(const std::string &source, const std::string &destination,
                    const std::function<void()> &working)
{
    const auto [fromPath, name] = split(source);
    const auto [intoPath, target] = split(destination);
    return installFile(FolderHandle(fromPath), name, FolderHandle(intoPath), target, working);
}
