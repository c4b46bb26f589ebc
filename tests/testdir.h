#pragma once

#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

// A temporary folder to build trees of real files in, removed with everything in it.
class TestDir
{
public:
    TestDir();
    ~TestDir(); // removes names that are not UTF-8 too, which Qt cannot spell

    std::string path() const;
    std::string path(const std::string &relative) const;
    // Creates a file with the given bytes, and any folders on the way.
    void write(const std::string &relative, const std::string &bytes = {}) const;
    void mkdir(const std::string &relative) const;
    bool exists(const std::string &relative) const;
    std::string read(const std::string &relative) const;
    // The names in a folder, hidden ones included, sorted.
    std::vector<std::string> names(const std::string &relative = {}) const;

private:
    QTemporaryDir dir_;
};

// Runs `body` in a forked child and gives its result, or -1 if it did not exit.
int inChild(const std::function<int()> &body);
// Limits the size of files this process writes, which holds root too: a full disk.
void limitFileSize(long bytes);

// Sets or clears a file's immutable flag (chattr +i), which stops root too; false if it cannot.
bool setImmutable(const std::string &path, bool on);
