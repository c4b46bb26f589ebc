// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"
#include "core/platform.h"

#include <functional>
#include <string>
#include <string_view>

// A directory held open while files are copied from or into it by name.
using FolderHandle = platform::Folder;

// Puts a new version of a folder's file `target` in place, whole or not at all: `fill` writes
// it into a hidden temporary file beside the target, which then replaces the target in one
// step. A `durable` one is on the disk before this returns. On failure the target is as it
// was and no temporary is left.
std::error_code replaceFile(const FolderHandle &folder, const std::string &target,
                            std::string_view prefix, bool durable,
                            const std::function<std::error_code(platform::File &)> &fill);

// Whether the folder had an entry of a copy's name when it was read.
enum class Target { Existing, New };

// Copies a file's bytes and modification time over a destination, which is replaced whole
// or not at all: the copy goes to a hidden temporary file beside it that then takes its
// place. A destination that is a link is replaced, never written through; a read-only one
// stays as it is. The copy is always writable by its owner. A New one is written without a
// name where the system allows, and only then named, unless the name was taken meanwhile.
// `working` is told, now and then, that a large file is still being copied.
Outcome installFile(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, Target kind = Target::Existing,
                    const std::function<void()> &working = {});

// A copy written whole beside its destination, not yet in its place: a hidden temporary file,
// deleted if it goes unplaced, or a file without a name.
struct PreparedCopy final
{
    PreparedCopy() = default;
    PreparedCopy(PreparedCopy &&) = default;
    PreparedCopy &operator=(PreparedCopy &&) = delete;
    ~PreparedCopy() { discard(); }
    // Deletes the copy, unless it is in its place.
    void discard();

    const FolderHandle *into = nullptr;
    platform::File file;
    std::string temporary; // none for a file without a name
};

// installFile in two steps: the copy is written beside its destination, and later put in its
// place, where it may fail still.
Outcome prepareCopy(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, Target kind, PreparedCopy &copy,
                    const std::function<void()> &working = {});
Outcome placeCopy(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                  const std::string &target, PreparedCopy &copy,
                  const std::function<void()> &working = {});

// How the hidden copies of a Load begin.
inline constexpr std::string_view temporaryPrefix = ".kestro-";

// Deletes the hidden temporaries (copies, by default) that a Kestro killed half-way left in a
// folder: only those it can prove its own, never a user's file named like one, nor one that a
// running Kestro is writing.
void removeLeftovers(const FolderHandle &folder, std::string_view prefix = temporaryPrefix);

// The same for one file, given by paths.
Outcome installFile(const std::string &source, const std::string &destination,
                    const std::function<void()> &working = {});
