#include "core/textfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\r', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (start < bytes.size() && bytes[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

Outcome openRegularFile(const std::string &path, int &fd)
{
    // Without blocking: a FIFO in a file's place would wait for a writer forever.
    const QString action = QCoreApplication::translate("Kestro", "open");
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return failure(action, path, errno);
    }
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        return {};
    }
    const int error = errno;
    const bool directory = S_ISDIR(status.st_mode);
    ::close(fd);
    fd = -1;
    if (error || directory) {
        return failure(action, path, directory ? EISDIR : error);
    }
    return Failure{action, path, QCoreApplication::translate("Kestro", "it is not a file")};
}

Outcome readFile(const std::string &path, std::string &bytes, std::size_t limit)
{
    int fd;
    if (Outcome failed = openRegularFile(path, fd)) {
        return failed;
    }
    std::string content;
    char buffer[65536];
    while (content.size() < limit) {
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, limit - content.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return failure(QCoreApplication::translate("Kestro", "read"), path, error);
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, std::size_t(got));
    }
    ::close(fd);
    bytes = std::move(content);
    return {};
}
