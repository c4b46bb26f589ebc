#include "testdir.h"

#include <QTest>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TestDir::TestDir()
{
    QVERIFY2(dir_.isValid(), "cannot create a temporary folder");
}

TestDir::~TestDir()
{
    std::error_code ec;
    fs::remove_all(dir_.path().toStdString(), ec);
}

std::string TestDir::path() const
{
    return fs::canonical(dir_.path().toStdString()).native();
}

std::string TestDir::path(const std::string &relative) const
{
    return relative.empty() ? path() : path() + "/" + relative;
}

void TestDir::write(const std::string &relative, const std::string &bytes) const
{
    const fs::path file = path(relative);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void TestDir::mkdir(const std::string &relative) const
{
    fs::create_directories(path(relative));
}

bool TestDir::exists(const std::string &relative) const
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path(relative), ec));
}

std::string TestDir::read(const std::string &relative) const
{
    std::ifstream in(path(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> TestDir::names(const std::string &relative) const
{
    std::vector<std::string> found;
    for (const auto &entry : fs::directory_iterator(path(relative))) {
        found.push_back(entry.path().filename().native());
    }
    std::sort(found.begin(), found.end());
    return found;
}

int inChild(const std::function<int()> &body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void limitFileSize(long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

bool setImmutable(const std::string &path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return done;
}
