// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filecopy.h"

#include <QCoreApplication>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

QString copyAction()
{
    return QCoreApplication::translate("Kestro", "copy");
}

QString copyToAction()
{
    return QCoreApplication::translate("Kestro", "copy to");
}

} // namespace

void removeLeftovers(const FolderHandle &folder, std::string_view prefix)
{
    std::vector<std::pair<std::string, std::uint64_t>> leftovers;
    (void)platform::forEachEntry(
        folder.path(),
        [&](std::string_view name, platform::EntryKind kind) {
            const auto identity = platform::temporaryIdentity(prefix, name);
            if (kind == platform::EntryKind::File && identity) {
                leftovers.emplace_back(name, *identity);
            }
        },
        platform::Hidden::Include);
    for (const auto &[name, identity] : leftovers) {
        platform::removeAbandoned(folder, name, identity);
    }
}

Outcome installFile(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, Target kind, const std::function<void()> &working)
{
    const std::string destination = platform::join(into.path(), target);
    if (into.error()) {
        return failure(copyToAction(), destination, into.error());
    }
    if (from.error()) {
        return failure(copyAction(), platform::join(from.path(), name), from.error());
    }
    const auto copy = [&](const platform::File &in, platform::File &out) {
        const std::error_code copying = platform::copyBytes(in, out, working);
        return copying ? copying : platform::matchOriginal(in, out);
    };
    // A new name needs no temporary: the copy is made without a name and then given it, in
    // one step fewer, and a Kestro killed meanwhile leaves nothing.
    if (platform::File out; kind == Target::New && !platform::createNameless(into, out)) {
        platform::File in;
        if (const std::error_code error = platform::openSource(from, name, in)) {
            return failure(copyAction(), platform::join(from.path(), name), error);
        }
        if (const std::error_code error = copy(in, out)) {
            return failure(copyToAction(), destination, error);
        }
        if (!platform::giveName(into, out, target)) {
            return {};
        }
        // Something took the name meanwhile, or it could not be given: the copy is made again
        // as over an existing file, which looks at what is there and says why it fails.
    }
    if (const std::error_code error = platform::cannotReplace(into, target)) {
        return failure(copyToAction(), destination, error);
    }
    platform::File in;
    if (const std::error_code error = platform::openSource(from, name, in)) {
        return failure(copyAction(), platform::join(from.path(), name), error);
    }
    const std::error_code error = replaceFile(into, target, temporaryPrefix, false,
                                              [&](platform::File &out) { return copy(in, out); });
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
    if (const std::error_code error = fill(file)) {
        platform::discard(folder, file, temporary);
        return error;
    }
    if (const std::error_code error = platform::replace(folder, file, temporary, target, durable)) {
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
    return installFile(FolderHandle(fromPath), name, FolderHandle(intoPath), target,
                       Target::Existing, working);
}
