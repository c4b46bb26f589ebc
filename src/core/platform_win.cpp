// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: names are UTF-8 inside Kestro and UTF-16 to the system.
#include "core/platform.h"

#include <QCoreApplication>
#include <QString>

#include <windows.h>

namespace platform {

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
    if (QString own = ownReason(error); !own.isEmpty()) {
        return own;
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

std::error_code sourceSize(const Folder &folder, const std::string &name, std::uint64_t &size)
{
    // Windows drops a trailing dot or space from a name it is given, and so would open, or
    // fail to find, another file than the one listed.
    if (name.ends_with('.') || name.ends_with(' ')) {
        return nameEndsBadly();
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(wide(join(folder.path(), name)).c_str(), GetFileExInfoStandard,
                                &data)) {
        return lastError();
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return {};
}

std::error_code freeSpace(const Folder &folder, std::uint64_t &available, std::uint64_t &block)
{
    std::wstring path = wide(folder.path());
    if (!path.ends_with(L'\\')) {
        path += L'\\';
    }
    ULARGE_INTEGER free;
    if (!::GetDiskFreeSpaceExW(path.c_str(), &free, nullptr, nullptr)) {
        return lastError();
    }
    available = free.QuadPart;
    // The cluster, the piece every file takes, is told for the volume's root only.
    wchar_t root[MAX_PATH];
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    block = ::GetVolumePathNameW(path.c_str(), root, MAX_PATH) &&
                    ::GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                        &clusters)
                ? std::uint64_t(sectorsPerCluster) * bytesPerSector
                : 1;
    return {};
}

std::error_code cannotReplaceGameFile(const Folder &folder, const std::string &name,
                                      std::uint64_t &freed)
{
    freed = 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(wide(join(folder.path(), name)).c_str(), GetFileExInfoStandard,
                                &data)) {
        return {};
    }
    const DWORD attributes = data.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
        return hiddenOrSystem();
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        return std::make_error_code(std::errc::permission_denied);
    }
    // Replacing a link frees nothing.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        freed = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return {};
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
    static unsigned counter = 0;
    for (;;) {
        // "<prefix><process>-<count>": a name no other process and no earlier file of this
        // one has.
        name = std::string(prefix) + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(++counter);
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
} // namespace platform
