#pragma once

#include "core/failure.h"

#include <functional>
#include <string>

// A directory held open while files are copied from or into it by name.
class FolderHandle final
{
public:
    explicit FolderHandle(const std::string &path);
    ~FolderHandle();
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    const std::string &path() const { return path_; }
    int fd() const { return fd_; }
    // Why the directory could not be opened, or 0.
    int error() const { return error_; }

private:
    std::string path_;
    int fd_;
    int error_;
};

// Copies a file's bytes and modification time over a destination, which is replaced whole
// or not at all: the copy goes to a hidden temporary file beside it that is then renamed
// over it. A destination that is a link is replaced, never written through; one nobody may
// write to stays as it is. The copy is always writable by its owner. `working` is told,
// now and then, that a large file is still being copied.
Outcome installFile(const FolderHandle &from, const std::string &name, const FolderHandle &into,
                    const std::string &target, const std::function<void()> &working = {});

// Deletes the hidden copies that a Kestro killed half-way through a Load left in a folder;
// copies that a running Kestro is writing stay.
void removeLeftovers(const FolderHandle &folder);

// The same for one file, given by paths.
Outcome installFile(const std::string &source, const std::string &destination,
                    const std::function<void()> &working = {});
