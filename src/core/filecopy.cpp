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

void PreparedCopy::discard()
{
    // Only a temporary this copy still holds open is its own to delete.
    if (file.isOpen() && !temporary.empty()) {
        platform::discard(*into, file, temporary);
    }
    file.reset();
    temporary.clear();
}

Outcome prepareCopy(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, Target kind, PreparedCopy &copy,
                    const std::function<void()> &working)
{
    const std::string destination = platform::join(into.path(), target);
    if (into.error()) {
        return failure(copyToAction(), destination, into.error());
    }
    if (from.error()) {
        return failure(copyAction(), platform::join(from.path(), name), from.error());
    }
    copy.into = &into;
    // A new name needs no temporary: the copy is made without a name and then given it, in
    // one step fewer, and a Kestro killed meanwhile leaves nothing.
    const bool nameless = kind == Target::New && !platform::createNameless(into, copy.file);
    if (!nameless) {
        if (const std::error_code error = platform::cannotReplace(into, target)) {
            return failure(copyToAction(), destination, error);
        }
    }
    platform::File in;
    if (const std::error_code error = platform::openSource(from, name, in)) {
        copy.discard();
        return failure(copyAction(), platform::join(from.path(), name), error);
    }
    std::error_code error;
    if (!nameless) {
        error = platform::createTemporary(into, temporaryPrefix, copy.file, copy.temporary);
    }
    if (!error) {
        error = platform::copyBytes(in, copy.file, working);
    }
    if (!error) {
        error = platform::matchOriginal(in, copy.file);
    }
    if (error) {
        copy.discard();
        return failure(copyToAction(), destination, error);
    }
    return {};
}

Outcome placeCopy(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                  const std::string &target, PreparedCopy &copy,
                  const std::function<void()> &working)
{
    if (copy.temporary.empty()) {
        if (!platform::giveName(into, copy.file, target)) {
            return {};
        }
        // Something took the name meanwhile, or it could not be given: the copy is made again
        // as over an existing file, which looks at what is there and says why it fails.
        PreparedCopy again;
        if (Outcome failed =
                prepareCopy(from, name, into, target, Target::Existing, again, working)) {
            return failed;
        }
        return placeCopy(from, name, into, target, again, working);
    }
    if (const std::error_code error =
            platform::replace(into, copy.file, copy.temporary, target, false)) {
        return failure(copyToAction(), platform::join(into.path(), target), error);
    }
    return {};
}

Outcome installFile(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, Target kind, const std::function<void()> &working)
{
    PreparedCopy copy;
    if (Outcome failed = prepareCopy(from, name, into, target, kind, copy, working)) {
        return failed;
    }
    return placeCopy(from, name, into, target, copy, working);
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
