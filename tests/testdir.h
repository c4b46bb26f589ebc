#pragma once

#include <QTemporaryDir>

#include <string>
#include <vector>

// A temporary folder to build trees of real files in, removed with everything in it.
class TestDir
{
public:
    TestDir();
    // Removes the folder whatever its names: Qt cannot spell names that are not valid UTF-8.
    ~TestDir();

    // The folder's path, as the system spells it.
    std::string path() const;
    // The path of something inside it: "a/b.txt".
    std::string path(const std::string &relative) const;

    // Creates a file with the given bytes, and any folders on the way.
    void write(const std::string &relative, const std::string &bytes = {}) const;
    void mkdir(const std::string &relative) const;
    bool exists(const std::string &relative) const;
    std::string read(const std::string &relative) const;
    // The names of the entries of a folder (hidden ones included), sorted.
    std::vector<std::string> names(const std::string &relative = {}) const;

private:
    QTemporaryDir dir_;
};
