#include "testdir.h"

#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
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
