// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/platform.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringDecoder>

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

std::string join(std::string_view directory, std::string_view name)
{
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory).append(1, separator).append(name);
    return path;
}

std::pair<std::string, std::string> splitPath(const std::string &path)
{
    const std::size_t slash = path.rfind(separator);
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {path.substr(0, std::max(slash, rootLength(path))), path.substr(slash + 1)};
}

static std::string asciiUpper(std::string_view name)
{
    std::string result(name);
    for (char &c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string upper(std::string_view name)
{
    const bool ascii = std::ranges::all_of(name, [](char c) { return (c & 0x80) == 0; });
    if (ascii) {
        return asciiUpper(name);
    }
    // A byte order mark at the start is a character of the name like any other.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(QByteArrayView(name.data(), qsizetype(name.size())));
    if (utf8.hasError()) {
        // Not valid text: fold the ASCII letters only, so that two different names never
        // become equal through replacement characters.
        return asciiUpper(name);
    }
    // One character to one character, as the game's platform compares file names: "é" and
    // "É" are the same name, "ß" and "SS" are not.
    QString result;
    result.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        result.append(QChar::fromUcs4(QChar::toUpper(c)));
    }
    return result.toStdString();
}

namespace {

class NotAFileCategory final : public std::error_category
{
public:
    const char *name() const noexcept override { return "kestro"; }
    std::string message(int) const override { return "it is not a file"; }
};

const NotAFileCategory notAFileCategory;

// ".kestro-<process>-<count>": a name no other process and no earlier file of this one has.
std::string temporaryName(std::string_view prefix, unsigned long process)
{
    static unsigned counter = 0;
    return std::string(prefix) + std::to_string(process) + "-" + std::to_string(++counter);
}

} // namespace

std::error_code notAFile()
{
    return {1, notAFileCategory};
}

File::~File()
{
    reset();
}

File::File(File &&other) noexcept : handle_(std::exchange(other.handle_, closed)) {}

File &File::operator=(File &&other) noexcept
{
    reset(std::exchange(other.handle_, closed));
    return *this;
}

#ifdef _WIN32

// Windows: names are UTF-8 inside Kestro and UTF-16 to the system.

namespace {

std::error_code lastError()
{
    return {int(::GetLastError()), std::system_category()};
}

std::wstring wide(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toStdWString();
}

std::string narrow(const wchar_t *text)
{
    return QString::fromWCharArray(text).toStdString();
}

HANDLE native(const File &file)
{
    return reinterpret_cast<HANDLE>(file.handle());
}

DWORD attributesOf(const std::string &path)
{
    return ::GetFileAttributesW(wide(path).c_str());
}

// Stops hiding a temporary file, and sets its modification time when one is given.
std::error_code unhide(const File &file, const FILETIME *modified)
{
    FILE_BASIC_INFO info = {};
    info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (modified) {
        info.LastWriteTime.LowPart = modified->dwLowDateTime;
        info.LastWriteTime.HighPart = LONG(modified->dwHighDateTime);
    }
    if (!::SetFileInformationByHandle(native(file), FileBasicInfo, &info, sizeof info)) {
        return lastError();
    }
    return {};
}

} // namespace

void failWritesPastSizeLimit() {}

std::size_t rootLength(std::string_view path)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        return 3;
    }
    if (path.starts_with("\\\\")) {
        // "\\server\share\"
        const std::size_t share = path.find('\\', 2);
        const std::size_t end =
            share == std::string_view::npos ? share : path.find('\\', share + 1);
        return end == std::string_view::npos ? path.size() : end + 1;
    }
    return path.starts_with('\\') ? 1 : 0;
}

std::error_code currentDirectory(std::string &path)
{
    wchar_t buffer[32768];
    const DWORD length = ::GetCurrentDirectoryW(DWORD(std::size(buffer)), buffer);
    if (length == 0 || length >= std::size(buffer)) {
        return lastError();
    }
    path = narrow(buffer);
    return {};
}

QString display(std::string_view name)
{
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

std::optional<std::string> listLine(std::string_view path)
{
    if (::GetACP() == CP_UTF8) {
        return std::string(path);
    }
    const std::wstring text = wide(path);
    if (text.empty()) {
        return std::string();
    }
    // No "best fit": a letter the code page lacks must not turn into a look-alike, which
    // would name another folder.
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                           int(text.size()), nullptr, 0, nullptr, &lossy);
    std::string line(std::size_t(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), line.data(),
                          size, nullptr, &lossy);
    if (size == 0 || lossy) {
        return std::nullopt;
    }
    return line;
}

std::string listPath(std::string_view line)
{
    if (line.empty()) {
        return {};
    }
    const int size = ::MultiByteToWideChar(CP_ACP, 0, line.data(), int(line.size()), nullptr, 0);
    std::wstring text(std::size_t(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, line.data(), int(line.size()), text.data(), size);
    return QString::fromStdWString(text).toStdString();
}

QString reason(std::error_code error)
{
    if (error.category() == notAFileCategory) {
        return QCoreApplication::translate("Kestro", "it is not a file");
    }
    if (error.category() != std::system_category()) {
        return QString::fromLocal8Bit(error.message());
    }
    wchar_t *text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(error.value()), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = length ? QString::fromWCharArray(text, length).trimmed()
                             : QCoreApplication::translate("Kestro", "error %1").arg(error.value());
    ::LocalFree(text);
    if (message.endsWith(u'.')) {
        message.chop(1);
    }
    return message;
}

bool isMissing(const std::string &path)
{
    if (attributesOf(path) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::error_code forEachEntry(const std::string &directory,
                             const std::function<void(std::string_view, EntryKind)> &visit,
                             Hidden hidden)
{
    WIN32_FIND_DATAW data;
    const HANDLE find =
        ::FindFirstFileExW(wide(join(directory, "*")).c_str(), FindExInfoBasic, &data,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // An empty drive has not even "." and "..".
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? std::error_code() : lastError();
    }
    do {
        const std::wstring_view name(data.cFileName);
        const DWORD attributes = data.dwFileAttributes;
        if (name == L"." || name == L".." ||
            (hidden == Hidden::Skip &&
             (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))) {
            continue;
        }
        const std::string utf8 = narrow(data.cFileName);
        // A link counts as what it leads to.
        const DWORD kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
                               ? attributesOf(join(directory, utf8))
                               : attributes;
        visit(utf8, kind == INVALID_FILE_ATTRIBUTES          ? EntryKind::Other
                    : (kind & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Directory
                    : (kind & FILE_ATTRIBUTE_DEVICE) != 0    ? EntryKind::Other
                                                             : EntryKind::File);
    } while (::FindNextFileW(find, &data));
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    if (error != ERROR_NO_MORE_FILES) {
        return {int(error), std::system_category()};
    }
    return {};
}

void File::reset(std::intptr_t handle)
{
    if (handle_ != closed) {
        ::CloseHandle(native(*this));
    }
    handle_ = handle;
}

std::error_code openRegularFile(const std::string &path, File &file)
{
    // Other programs may go on reading, writing or deleting it meanwhile.
    const HANDLE handle = ::CreateFileW(
        wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    file.reset(reinterpret_cast<std::intptr_t>(handle));
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) {
        const std::error_code error = lastError();
        file.reset();
        return error;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        file.reset();
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        file.reset();
        return notAFile();
    }
    return {};
}

std::error_code read(const File &file, char *buffer, std::size_t size, std::size_t &got)
{
    DWORD done = 0;
    if (!::ReadFile(native(file), buffer, DWORD(std::min<std::size_t>(size, 1 << 30)), &done,
                    nullptr)) {
        return lastError();
    }
    got = done;
    return {};
}

std::error_code write(const File &file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD done = 0;
        if (!::WriteFile(native(file), bytes.data(),
                         DWORD(std::min<std::size_t>(bytes.size(), 1 << 30)), &done, nullptr)) {
            return lastError();
        }
        bytes.remove_prefix(done);
    }
    return {};
}

Folder::Folder(const std::string &path) : path_(path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error_ = lastError();
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error_ = {ERROR_DIRECTORY, std::system_category()};
    }
}

Folder::~Folder() = default;

std::error_code openSource(const Folder &folder, const std::string &name, File &file)
{
    return openRegularFile(join(folder.path(), name), file);
}

std::error_code cannotReplace(const Folder &folder, const std::string &name)
{
    const DWORD attributes = attributesOf(join(folder.path(), name));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {};
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        return std::make_error_code(std::errc::permission_denied);
    }
    return {};
}

std::error_code createTemporary(const Folder &folder, std::string_view prefix, File &file,
                                std::string &name)
{
    for (;;) {
        name = temporaryName(prefix, ::GetCurrentProcessId());
        // Shared with nobody: no other Kestro can delete it while it is written.
        const HANDLE handle =
            ::CreateFileW(wide(join(folder.path(), name)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            file.reset(reinterpret_cast<std::intptr_t>(handle));
            return {};
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return lastError();
        }
    }
}

std::error_code copyBytes(const File &from, File &to, const std::function<void()> &working)
{
    std::string buffer(std::size_t(1) << 20, '\0');
    for (std::size_t sinceTold = 0;;) {
        std::size_t got = 0;
        if (std::error_code error = read(from, buffer.data(), buffer.size(), got)) {
            return error;
        }
        if (got == 0) {
            return {};
        }
        if (std::error_code error = write(to, std::string_view(buffer.data(), got))) {
            return error;
        }
        sinceTold += got;
        if (working && sinceTold >= (std::size_t(64) << 20)) {
            working();
            sinceTold = 0;
        }
    }
}

std::error_code matchOriginal(const File &original, const File &copy)
{
    FILETIME modified;
    if (!::GetFileTime(native(original), nullptr, nullptr, &modified)) {
        return lastError();
    }
    return unhide(copy, &modified);
}

std::error_code matchReplaced(const std::string &, const File &replacement)
{
    return unhide(replacement, nullptr);
}

std::error_code close(File &file)
{
    file.reset();
    return {};
}

std::error_code commit(File &file)
{
    const std::error_code error =
        ::FlushFileBuffers(native(file)) ? std::error_code() : lastError();
    file.reset();
    return error;
}

std::error_code replace(const Folder &folder, const std::string &file, const std::string &target)
{
    // A game file another program holds open fails here, and stays whole.
    if (!::MoveFileExW(wide(join(folder.path(), file)).c_str(),
                       wide(join(folder.path(), target)).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return lastError();
    }
    return {};
}

void sync(const Folder &) {}

std::error_code remove(const Folder &folder, const std::string &name)
{
    if (!::DeleteFileW(wide(join(folder.path(), name)).c_str()) &&
        ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return lastError();
    }
    return {};
}

void removeAbandoned(const Folder &folder, const std::string &name)
{
    // The Kestro writing a temporary shares it with nobody, so only an abandoned one goes.
    ::DeleteFileW(wide(join(folder.path(), name)).c_str());
}

std::error_code resolveLink(std::string &)
{
    return {};
}

#else

// POSIX: names are the bytes the system gives.

namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

int fd(const File &file)
{
    return int(file.handle());
}

int fd(const Folder &folder)
{
    return int(folder.handle());
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

EntryKind kindOf(int directory, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Directory;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return EntryKind::Other;
    }
    // A link, or a file system that does not say: look at what the name leads to.
    struct stat status;
    if (::fstatat(directory, entry.d_name, &status, 0) != 0) {
        return EntryKind::Other;
    }
    return S_ISREG(status.st_mode)   ? EntryKind::File
           : S_ISDIR(status.st_mode) ? EntryKind::Directory
                                     : EntryKind::Other;
}

// Only a regular file is read: a FIFO in a file's place would wait for a writer forever.
std::error_code checkRegular(File &file)
{
    struct stat status;
    if (::fstat(fd(file), &status) != 0) {
        const std::error_code error = lastError();
        file.reset();
        return error;
    }
    if (!S_ISREG(status.st_mode)) {
        file.reset();
        return S_ISDIR(status.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                       : notAFile();
    }
    return {};
}

} // namespace

void failWritesPastSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

std::size_t rootLength(std::string_view path)
{
    return path.starts_with('/') ? 1 : 0;
}

std::error_code currentDirectory(std::string &path)
{
    std::error_code error;
    path = std::filesystem::current_path(error).native();
    return error;
}

QString display(std::string_view name)
{
    return QString::fromLocal8Bit(name.data(), qsizetype(name.size()));
}

std::optional<std::string> listLine(std::string_view path)
{
    return std::string(path);
}

std::string listPath(std::string_view line)
{
    return std::string(line);
}

QString reason(std::error_code error)
{
    if (error.category() == notAFileCategory) {
        return QCoreApplication::translate("Kestro", "it is not a file");
    }
    return QString::fromLocal8Bit(error.message());
}

bool isMissing(const std::string &path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) != 0 && errno == ENOENT;
}

std::error_code forEachEntry(const std::string &directory,
                             const std::function<void(std::string_view, EntryKind)> &visit,
                             Hidden hidden)
{
    DIR *dir = ::opendir(directory.c_str());
    if (!dir) {
        return lastError();
    }
    const int fd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            break;
        }
        const std::string_view name = entry->d_name;
        // Dot files are hidden; "." and ".." are never entries of their own.
        if (name == "." || name == ".." || (hidden == Hidden::Skip && name.starts_with('.'))) {
            continue;
        }
        visit(name, kindOf(fd, *entry));
    }
    const std::error_code error = errno ? lastError() : std::error_code();
    ::closedir(dir);
    return error;
}

void File::reset(std::intptr_t handle)
{
    if (handle_ != closed) {
        ::close(fd(*this));
    }
    handle_ = handle;
}

std::error_code openRegularFile(const std::string &path, File &file)
{
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) {
        return lastError();
    }
    file.reset(opened);
    return checkRegular(file);
}

std::error_code read(const File &file, char *buffer, std::size_t size, std::size_t &got)
{
    for (;;) {
        const ssize_t done = ::read(fd(file), buffer, size);
        if (done >= 0) {
            got = std::size_t(done);
            return {};
        }
        if (errno != EINTR) {
            return lastError();
        }
    }
}

std::error_code write(const File &file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd(file), bytes.data(), bytes.size());
        if (done < 0 && errno != EINTR) {
            return lastError();
        }
        bytes.remove_prefix(done < 0 ? 0 : std::size_t(done));
    }
    return {};
}

Folder::Folder(const std::string &path)
    : path_(path), handle_(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (handle_ < 0) {
        error_ = lastError();
    }
}

Folder::~Folder()
{
    if (handle_ >= 0) {
        ::close(int(handle_));
    }
}

std::error_code openSource(const Folder &folder, const std::string &name, File &file)
{
    if (folder.error()) {
        return folder.error();
    }
    const int opened = ::openat(fd(folder), name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened < 0) {
        return lastError();
    }
    file.reset(opened);
    return checkRegular(file);
}

std::error_code cannotReplace(const Folder &folder, const std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    struct stat status;
    if (::fstatat(fd(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISLNK(status.st_mode)) {
        return {};
    }
    if (S_ISDIR(status.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    // A file nobody may write to is what the game's platform calls read-only.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return std::make_error_code(std::errc::permission_denied);
    }
    return {};
}

std::error_code createTemporary(const Folder &folder, std::string_view prefix, File &file,
                                std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    for (;;) {
        name = temporaryName(prefix, (unsigned long)::getpid());
        const int opened = ::openat(fd(folder), name.c_str(),
                                    O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (opened >= 0) {
            ::flock(opened, LOCK_EX);
            file.reset(opened);
            return {};
        }
        if (errno != EEXIST) {
            return lastError();
        }
    }
}

std::error_code copyBytes(const File &from, File &to, const std::function<void()> &working)
{
    struct stat status;
    const off_t size = ::fstat(fd(from), &status) == 0 ? status.st_size : 0;
    off_t copied = 0;
    constexpr std::size_t piece = std::size_t(64) << 20;
    // Copied in the kernel where it can; a file on another file system is copied through
    // a buffer.
    bool kernelCopy = true;
    char buffer[1 << 16];
    for (;;) {
        ssize_t done;
        if (kernelCopy) {
            done = ::copy_file_range(fd(from), nullptr, fd(to), nullptr, piece, 0);
            if (done < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                             errno == EOPNOTSUPP || errno == EPERM)) {
                kernelCopy = false;
                continue;
            }
        } else {
            done = ::read(fd(from), buffer, sizeof buffer);
            if (done > 0) {
                if (std::error_code error =
                        write(to, std::string_view(buffer, std::size_t(done)))) {
                    return error;
                }
            }
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            return lastError();
        }
        copied += done;
        // A file of known size is whole without one more call to find its end.
        if (done == 0 || (size > 0 && copied >= size)) {
            return {};
        }
        if (working) {
            working();
        }
    }
}

std::error_code matchOriginal(const File &original, const File &copy)
{
    struct stat status;
    if (::fstat(fd(original), &status) != 0) {
        return lastError();
    }
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (::fchmod(fd(copy), (status.st_mode & 0777) | S_IWUSR) != 0 ||
        ::futimens(fd(copy), times) != 0) {
        return lastError();
    }
    return {};
}

std::error_code matchReplaced(const std::string &path, const File &replacement)
{
    struct stat old;
    static const mode_t umask = currentUmask();
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : 0666 & ~umask;
    if (::fchmod(fd(replacement), mode) != 0) {
        return lastError();
    }
    return {};
}

std::error_code close(File &file)
{
    const int error = ::close(fd(file)) == 0 ? 0 : errno;
    // Closed even when it fails: closing it again could close another file.
    file.release();
    return error ? std::error_code(error, std::generic_category()) : std::error_code();
}

std::error_code commit(File &file)
{
    if (::fsync(fd(file)) != 0) {
        const std::error_code error = lastError();
        file.reset();
        return error;
    }
    return close(file);
}

std::error_code replace(const Folder &folder, const std::string &file, const std::string &target)
{
    if (::renameat(fd(folder), file.c_str(), fd(folder), target.c_str()) != 0) {
        return lastError();
    }
    return {};
}

void sync(const Folder &folder)
{
    ::fsync(fd(folder));
}

std::error_code remove(const Folder &folder, const std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    if (::unlinkat(fd(folder), name.c_str(), 0) != 0 && errno != ENOENT) {
        return lastError();
    }
    return {};
}

void removeAbandoned(const Folder &folder, const std::string &name)
{
    // A temporary another Kestro is still writing is locked; a killed one's lock is gone.
    File file;
    const int opened =
        ::openat(fd(folder), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0) {
        return;
    }
    file.reset(opened);
    struct stat status;
    if (::fstat(opened, &status) == 0 && S_ISREG(status.st_mode) &&
        ::flock(opened, LOCK_EX | LOCK_NB) == 0) {
        ::unlinkat(fd(folder), name.c_str(), 0);
    }
}

std::error_code resolveLink(std::string &path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return {};
    }
    char *target = ::realpath(path.c_str(), nullptr);
    if (!target) {
        return lastError();
    }
    path = target;
    std::free(target);
    return {};
}

#endif

} // namespace platform
