#include "widgets/directory.h"

#include "widgets/platform.h"
#include "widgets/wildcard.h"

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

static Outcome listEntries(const std::string &directory,
                           const std::function<bool(const fs::directory_entry &)> &wanted,
                           std::vector<std::string> &names)
{
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    std::vector<std::string> found;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (wanted(*it)) {
            found.push_back(it->path().filename().native());
        }
    }
    if (ec) {
        return failure(QCoreApplication::translate("Kestro", "open"), directory, ec);
    }
    sortNames(found);
    names = std::move(found);
    return {};
}

Outcome listFiles(const std::string &directory, std::string_view pattern,
                  std::vector<std::string> &names)
{
    const bool everything = pattern == "*.*" || pattern == "*";
    return listEntries(
        directory,
        [&](const fs::directory_entry &entry) {
            return platform::isListedFile(entry) &&
                   (everything || matchesPattern(pattern, entry.path().filename().native()));
        },
        names);
}

Outcome listSubdirectories(const std::string &directory, std::vector<std::string> &names)
{
    return listEntries(directory, platform::isListedDirectory, names);
}

void sortNames(std::vector<std::string> &names)
{
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string &name : names) {
        keyed.emplace_back(platform::upper(name), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        names[i] = std::move(keyed[i].second);
    }
}
