#include "core/loadedfolders.h"

#include "core/platform.h"
#include "core/textfile.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QString> cannotKeep(std::string_view folder)
{
    if (folder.find_first_of("\r\n") != std::string_view::npos) {
        return QCoreApplication::translate(
            "Kestro", "its name holds a line break, which \"FoldersLoaded.txt\" cannot keep");
    }
    return {};
}

Outcome readLoadedFolders(const std::string &path, std::vector<std::string> &folders)
{
    std::string bytes;
    if (Outcome failed = readFile(path, bytes, std::numeric_limits<std::size_t>::max())) {
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0 && errno == ENOENT) {
            folders.clear();
            return {};
        }
        return failed;
    }
    folders = splitLines(bytes);
    return {};
}

static Outcome writeAll(int fd, const std::string &bytes, const std::string &path)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t now = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (now < 0 && errno == EINTR) {
            continue;
        }
        if (now < 0) {
            return failure(QCoreApplication::translate("Kestro", "write"), path, errno);
        }
        written += std::size_t(now);
    }
    return {};
}

// Where the list really lives: users keep it elsewhere through a link on purpose, and the link
// stays while the file it leads to is replaced.
static Outcome resolveLink(std::string &path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return {};
    }
    char *target = ::realpath(path.c_str(), nullptr);
    if (!target) {
        return failure(QCoreApplication::translate("Kestro", "write"), path, errno);
    }
    path = target;
    std::free(target);
    return {};
}

std::string formatLoadedFolders(const std::vector<std::string> &folders)
{
    std::string bytes;
    for (const std::string &folder : folders) {
        bytes.append(folder).append("\r\n");
    }
    return bytes;
}

Outcome writeLoadedFolders(std::string path, const std::vector<std::string> &folders)
{
    const std::string bytes = formatLoadedFolders(folders);

    const QString action = QCoreApplication::translate("Kestro", "write");
    if (Outcome failed = resolveLink(path)) {
        return failed;
    }
    // The rename would replace a read-only file, which the user meant to keep as it is.
    if (platform::isReadOnly(path)) {
        return failure(action, path, EACCES);
    }
    const std::size_t slash = path.rfind(platform::separator);
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string temporary = platform::join(directory, ".FoldersLoaded-XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return failure(action, path, errno);
    }
    // Keep the permissions the file had; a new one gets what the user's umask allows.
    struct stat old;
    mode_t mode = 0666;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    Outcome failed = writeAll(fd, bytes, path);
    if (!failed && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)) {
        failed = failure(action, path, errno);
    }
    if (::close(fd) != 0 && !failed) {
        failed = failure(action, path, errno);
    }
    if (!failed && ::rename(temporary.c_str(), path.c_str()) != 0) {
        failed = failure(action, path, errno);
    }
    if (failed) {
        ::unlink(temporary.c_str());
        return failed;
    }
    // Make the rename itself last across a power cut.
    if (const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}
