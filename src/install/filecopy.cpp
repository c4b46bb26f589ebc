#include "install/filecopy.h"

#include "widgets/platform.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The directory part of a path built by joining a directory and a name.
std::string directoryOf(const std::string &path)
{
    const std::size_t slash = path.rfind(platform::separator);
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

Outcome installFile(const std::string &source, const std::string &destination,
                    const std::function<void()> &working)
{
    struct stat existing;
    if (::lstat(destination.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            return failure(copyToAction(), destination, EISDIR);
        }
        if (platform::isReadOnly(destination)) {
            return failure(copyToAction(), destination, EACCES);
        }
    }

    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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

    std::string temporary = platform::join(directoryOf(destination), ".kestro-XXXXXX");
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return failure(copyToAction(), destination, error);
    }

    int error = copyBytes(in, out, status.st_size, working);
    ::close(in);
    if (!error && ::fchmod(out, (status.st_mode & 0777) | S_IWUSR) != 0) {
        error = errno;
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (!error && ::futimens(out, times) != 0) {
        error = errno;
    }
    if (::close(out) != 0 && !error) {
        error = errno;
    }
    if (!error && ::rename(temporary.c_str(), destination.c_str()) != 0) {
        error = errno;
    }
    if (error) {
        ::unlink(temporary.c_str());
        return failure(copyToAction(), destination, error);
    }
    return {};
}
