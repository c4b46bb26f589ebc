#pragma once
// Temporary folders of real files, and faults that stop root too.
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::literals;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;
Q_DECLARE_METATYPE(Names)

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
    ~TestDir() { fs::remove_all(dir_.path().toStdString(), ec_); }

    std::string path(const std::string &name = {}) const
    {
        const std::string root = fs::canonical(dir_.path().toStdString());
        return name.empty() ? root : root + "/" + name;
    }
    // The same as text, for messages.
    QString qpath(const std::string &name = {}) const { return QString::fromStdString(path(name)); }
    // Creates a file with the given bytes, a folder for a name that ends in "/", a FIFO for one
    // that ends in "|", or a link for "name -> target"; and any folders on the way.
    void write(const std::string &name, const std::string &bytes = {}) const
    {
        const std::size_t arrow = name.find(" -> ");
        const std::string at = path(name.substr(0, arrow));
        fs::create_directories(fs::path(at).parent_path());
        if (arrow != name.npos) {
            fs::create_symlink(name.substr(arrow + 4), at);
        } else if (name.ends_with('/')) {
            fs::create_directory(at);
        } else if (name.ends_with('|')) {
            ::mkfifo(at.substr(0, at.size() - 1).c_str(), 0644);
        } else {
            std::ofstream(at, std::ios::binary) << bytes;
        }
    }
    // Creates empty files, folders, FIFOs and links.
    void make(const Names &all) const
    {
        std::ranges::for_each(all, [this](const std::string &name) { write(name); });
    }
    // The bytes of a file; none when it cannot be read, as a folder cannot.
    std::string read(const std::string &name) const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(path(name), std::ios::binary).rdbuf();
        return bytes.str();
    }
    // The names in a folder, hidden ones included, sorted by their bytes.
    Names names(const std::string &folder = {}) const
    {
        Names found;
        for (const auto &entry : fs::directory_iterator(path(folder))) {
            found.push_back(entry.path().filename());
        }
        std::ranges::sort(found);
        return found;
    }

private:
    QTemporaryDir dir_;
    std::error_code ec_;
};

// Runs `body` in a forked child and gives its result, or -1 if it did not exit.
inline int inChild(const std::function<int()> &body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
