#include "core/filecopy.h"

#include <QCoreApplication>

#include <algorithm>
#include <string>
#include <utility>

namespace {

QString copyAction()
{
    return QCoreApplication::translate("Kestro", "copy");
}

QString copyToAction()
{
    return QCoreApplication::translate("Kestro", "copy to");
}

// The directory part and the name of a path built by joining a directory and a name.
std::pair<std::string, std::string> split(const std::string &path)
{
    const std::size_t slash = path.rfind(platform::separator);
    if (slash == std::string::npos) {
        return {".", path};
    }
    const std::size_t root = platform::rootLength(path);
    return {path.substr(0, std::max(slash, root)), path.substr(slash + 1)};
}

constexpr std::string_view temporaryPrefix = ".kestro-";

// ".kestro-<process>-<count>", as the temporary copies are named.
bool isTemporaryName(std::string_view name)
{
    if (!name.starts_with(temporaryPrefix)) {
        return false;
    }
    name.remove_prefix(temporaryPrefix.size());
    const std::size_t dash = name.find('-');
    const auto digits = [](std::string_view part) {
        return !part.empty() &&
               std::ranges::all_of(part, [](char c) { return c >= '0' && c <= '9'; });
    };
    return dash != std::string_view::npos && digits(name.substr(0, dash)) &&
           digits(name.substr(dash + 1));
}

} // namespace

void removeLeftovers(const FolderHandle &folder)
{
    std::vector<std::string> leftovers;
    (void)platform::forEachEntry(
        folder.path(),
        [&](std::string_view name, platform::EntryKind kind) {
            if (kind == platform::EntryKind::File && isTemporaryName(name)) {
                leftovers.emplace_back(name);
            }
        },
        platform::Hidden::Include);
    for (const std::string &name : leftovers) {
        platform::removeAbandoned(folder, name);
    }
}

Outcome installFile(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, const std::function<void()> &working)
{
    const std::string destination = platform::join(into.path(), target);
    if (into.error()) {
        return failure(copyToAction(), destination, into.error());
    }
    if (from.error()) {
        return failure(copyAction(), platform::join(from.path(), name), from.error());
    }
    if (const std::error_code error = platform::cannotReplace(into, target)) {
        return failure(copyToAction(), destination, error);
    }
    platform::File in;
    if (const std::error_code error = platform::openSource(from, name, in)) {
        return failure(copyAction(), platform::join(from.path(), name), error);
    }
    platform::File out;
    std::string temporary;
    if (const std::error_code error =
            platform::createTemporary(into, temporaryPrefix, out, temporary)) {
        return failure(copyToAction(), destination, error);
    }
    std::error_code error = platform::copyBytes(in, out, working);
    if (!error) {
        error = platform::matchOriginal(in, out);
    }
    if (const std::error_code closing = platform::close(out); !error) {
        error = closing;
    }
    if (!error) {
        error = platform::replace(into, temporary, target);
    }
    if (error) {
        (void)platform::remove(into, temporary);
        return failure(copyToAction(), destination, error);
    }
    return {};
}

Outcome installFile(const std::string &source, const std::string &destination,
                    const std::function<void()> &working)
{
    const auto [fromPath, name] = split(source);
    const auto [intoPath, target] = split(destination);
    return installFile(FolderHandle(fromPath), name, FolderHandle(intoPath), target, working);
}
