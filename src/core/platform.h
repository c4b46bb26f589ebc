// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What differs between the platforms Kestro runs on: paths and their separator, which
// directory entries are hidden, the file operations themselves and their failures, the
// encoding of "FoldersLoaded.txt". Everything else works on byte-exact names: the bytes the
// system gives on POSIX; on Windows UTF-8, in which a lone surrogate, which NTFS allows in a name,
// keeps its three-byte form (WTF-8).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

class QString;

namespace platform {

#ifdef _WIN32
inline constexpr char separator = '\\';
#else
inline constexpr char separator = '/';
#endif

// A write past the user's file-size limit fails, and is reported, instead of ending Kestro.
void failWritesPastSizeLimit();

// A file's path: the directory, the separator, the name; the separator is added even when
// the directory already ends with one (a drive's root).
std::string join(std::string_view directory, std::string_view name);

// The directory and the name of a path as join() builds it; "." is the directory of a bare name.
std::pair<std::string, std::string> splitPath(const std::string &path);

// The length of the root a full path starts with: "/", or on Windows "C:\", "\\server\share\",
// "\\?\C:\" or "\\?\UNC\server\share\".
std::size_t rootLength(std::string_view path);

// The process's current directory.
std::error_code currentDirectory(std::string &path);

// The name in upper case, for comparisons that ignore letter case: each character is
// mapped on its own, so a name keeps its length in characters.
std::string upper(std::string_view name);
// The same, into a string that keeps its room from one name to the next: for many names.
void upper(std::string_view name, std::string &into);

// A name or path as text to show; invalid bytes and lone surrogates become U+FFFD.
QString display(std::string_view name);

// A path as a line of "FoldersLoaded.txt", which is in the system's 8-bit code page: nothing
// when the code page cannot hold it.
std::optional<std::string> listLine(std::string_view path);
// The path a line of that file holds. A byte that starts no character of the code page is kept,
// so that listLine() gives back the line as it was read.
std::string listPath(std::string_view line);

// The failure of something other than a regular file where a file is expected.
std::error_code notAFile();
// The failure of a hidden or system file, which Kestro never replaces or deletes.
std::error_code hiddenOrSystem();
// Why Kestro itself, not the system, refused: empty for the system's own failures.
QString ownReason(std::error_code error);
// Why an operation failed, as the system says it.
QString reason(std::error_code error);

// Hides a file from listings where a dot name does not: on Windows.
void hide(const std::string &path);

// True only when nothing at all is at the path.
bool isMissing(const std::string &path);

// Whether two paths lead to one file or directory, however each is spelt: through a link or a
// linked parent, a bind mount; on Windows also a junction, a subst drive or other letter case.
// Paths that lead nowhere are the same only when they are spelt alike.
bool sameFile(const std::string &a, const std::string &b);

// What a directory entry is to the lists, links followed.
enum class EntryKind {
    File,      // a regular file
    Directory, // a directory
    Other      // a broken link, FIFO, socket or device: never listed
};

enum class Hidden { Skip, Include };

// Calls `visit` with each entry of a directory, in the directory's own order, leaving out
// the ones the system hides from listings unless asked.
std::error_code forEachEntry(const std::string &directory,
                             const std::function<void(std::string_view, EntryKind)> &visit,
                             Hidden hidden = Hidden::Skip);

// An open file, closed when it goes.
class File final
{
public:
    File() = default;
    ~File();
    File(File &&other) noexcept;
    File &operator=(File &&other) noexcept;

    bool isOpen() const { return handle_ != closed; }
    std::intptr_t handle() const { return handle_; }
    void reset(std::intptr_t handle = closed);
    // Forgets the handle without closing it.
    void release() { handle_ = closed; }

private:
    static constexpr std::intptr_t closed = -1;
    std::intptr_t handle_ = closed;
};

// Opens a file for reading, without waiting: anything but a regular file (a directory, a
// FIFO, a device) fails with notAFile().
std::error_code openRegularFile(const std::string &path, File &file);
// Reads up to `size` bytes; 0 bytes read is the end of the file.
std::error_code read(const File &file, char *buffer, std::size_t size, std::size_t &got);
std::error_code write(const File &file, std::string_view bytes);

// A directory whose files are worked on by name, held open so that every name refers to the same
// directory: on POSIX even if its path changes meanwhile; on Windows, where files are worked on
// by path, nobody may rename or delete the directory meanwhile.
class Folder final
{
public:
    explicit Folder(const std::string &path);
    ~Folder();
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    const std::string &path() const { return path_; }
    // Why the directory could not be opened, if it could not.
    std::error_code error() const { return error_; }
    std::intptr_t handle() const { return handle_; }

private:
    std::string path_;
    std::intptr_t handle_ = -1;
    std::error_code error_;
};

// Opens a file of a folder to copy it: as openRegularFile.
std::error_code openSource(const Folder &folder, const std::string &name, File &file);
// The size in bytes of a folder's file that is to be copied, looked at without opening it:
// anything but a file fails as with openSource, and on Windows a name it would take for another.
std::error_code sourceSize(const Folder &folder, const std::string &name, std::uint64_t &size);
// The room left for this user's files on a folder's disk, and the piece of the disk that every
// file's room is counted in: a disk that does not tell has room without end.
std::error_code freeSpace(const Folder &folder, std::uint64_t &available, std::uint64_t &block);
// Why a game file may not be replaced or deleted: as cannotReplace says, or it is no file (a
// FIFO, a socket, a device); on Windows, a hidden or system file, which Kestro leaves alone.
// Else the room on the disk that replacing it frees: none for a link, a file with other names
// too, or no file.
std::error_code cannotReplaceGameFile(const Folder &folder, const std::string &name,
                                      std::uint64_t &freed);
// Why a file of the folder may not be replaced or deleted: it is a directory, or read-only.
std::error_code cannotReplace(const Folder &folder, const std::string &name);
// Creates a new, hidden file in a folder to take the place of another (see replace). It is
// locked from the start, so that no other Kestro takes it for abandoned, and named by
// temporaryName with its own identity, so that a leftover can be told from a user's file.
std::error_code createTemporary(const Folder &folder, std::string_view prefix, File &file,
                                std::string &name);
// Creates a new file in a folder that has no name until giveName() gives it one, where the
// system allows: a Kestro killed meanwhile leaves nothing. Elsewhere it fails.
std::error_code createNameless(const Folder &folder, File &file);
// Closes a file createNameless() made and gives it the name `target`, which nothing in the folder
// may have: when something has, or it cannot be named, it fails and the file is gone.
std::error_code giveName(const Folder &folder, File &file, const std::string &target);
// The name of a temporary: the prefix, the file's identity (its inode number on POSIX, its
// file ID on Windows) as 16 hex digits, a dash and a number.
std::string temporaryName(std::string_view prefix, std::uint64_t identity, unsigned number);
// The identity a name of that form claims, or nothing for any other name.
std::optional<std::uint64_t> temporaryIdentity(std::string_view prefix, std::string_view name);
// Copies the rest of `from` into `to`, telling `working` now and then that a large file is
// still being copied.
std::error_code copyBytes(const File &from, File &to, const std::function<void()> &working);
// The copy gets the original's modification time and permissions, always writable by its
// owner, and is no longer hidden.
std::error_code matchOriginal(const File &original, const File &copy);
// A file that replaces the one at `path` gets its permissions, or a new file's defaults, and
// is no longer hidden.
std::error_code matchReplaced(const std::string &path, const File &replacement);
// Puts the temporary `name` in place of the folder's file `target` in one step, and closes
// it: it stays locked until it has its new name. A `durable` one is written through to the
// disk first. A link at `target` is replaced, never written through. On failure the temporary
// is deleted.
std::error_code replace(const Folder &folder, File &file, const std::string &name,
                        const std::string &target, bool durable);
// Deletes a temporary that is still open, and closes it.
void discard(const Folder &folder, File &file, const std::string &name);
// Makes the folder's last changes last across a power cut.
void sync(const Folder &folder);
// Deletes a file of the folder; one already gone is no failure.
std::error_code remove(const Folder &folder, const std::string &name);
// Deletes a temporary that its Kestro left behind when it was killed: only a regular file
// whose identity is the one its name claims (see temporaryIdentity), and that no running
// process holds.
void removeAbandoned(const Folder &folder, const std::string &name, std::uint64_t identity);
// Where a link leads, or the path itself when it is not a link.
std::error_code resolveLink(std::string &path);

} // namespace platform
