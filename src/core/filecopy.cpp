// SPDX-License-Identifier: GPL-3.0-or-later
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
    const std::error_code error =
        replaceFile(into, target, temporaryPrefix, false, [&](platform::File &out) {
            const std::error_code copying = platform::copyBytes(in, out, working);
            return copying ? copying : platform::matchOriginal(in, out);
        });
    if (error) {
        return failure(copyToAction(), destination, error);
    }
    return {};
}

std::error_code replaceFile(const FolderHandle &folder, const std::string &target,
                            std::string_view prefix, bool durable,
                            const std::function<std::error_code(platform::File &)> &fill)
{
    platform::File file;
    std::string temporary;
    if (const std::error_code error = platform::createTemporary(folder, prefix, file, temporary)) {
        return error;
    }
    std::error_code error = fill(file);
    if (const std::error_code closing = durable ? platform::commit(file) : platform::close(file);
        !error) {
        error = closing;
    }
    if (!error) {
        error = platform::replace(folder, temporary, target);
    }
    if (error) {
        (void)platform::remove(folder, temporary);
        return error;
    }
    if (durable) {
        platform::sync(folder);
    }
    return {};
}

Outcome installFile(const std::string &source, const std::string &destination,
                    const std::function<void()> &working)
{
    const auto [fromPath, name] = platform::splitPath(source);
    const auto [intoPath, target] = platform::splitPath(destination);
    return installFile(FolderHandle(fromPath), name, FolderHandle(intoPath), target, working);
}
