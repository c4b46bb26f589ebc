#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

// Makes a file immutable, which even root cannot replace or delete, until it goes out of scope.
class Immutable
{
public:
    explicit Immutable(std::string path) : path_(std::move(path)) { set_ = flag(true); }
    ~Immutable() { release(); }
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;

    bool isSet() const { return set_; }
    void release()
    {
        if (set_) {
            flag(false);
            set_ = false;
        }
    }

private:
    bool flag(bool on) const
    {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        int flags = 0;
        bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0) {
            ::close(fd);
        }
        return done;
    }

    std::string path_;
    bool set_ = false;
};
