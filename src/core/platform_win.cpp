// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: files, folders and failures, through Win32.
#include "core/platform_win.h"
#include "core/platform.h"

#include <QCoreApplication>
#include <QString>

#include <windows.h>

namespace platform {

namespace {

DWORD attributesOf(const std::string &path)
{
    return ::GetFileAttributesW(wide(path).c_str());
}

// What a link leads to: Other when it leads nowhere, or to a device or a pipe.
EntryKind followed(const std::string &path)
{
    File target;
    target.reset(reinterpret_cast<std::intptr_t>(
        ::CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    BY_HANDLE_FILE_INFORMATION info;
    if (native(target) == INVALID_HANDLE_VALUE || ::GetFileType(native(target)) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(native(target), &info)) {
        return EntryKind::Other;
    }
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Directory
                                                              : EntryKind::File;
}

} // namespace

void failWritesPastSizeLimit() {}

QString reason(std::error_code error)
{
    if (QString own = ownReason(error); !own.isEmpty()) {
        return own;
    }
    // Kestro's own refusal of a read-only file is worded as the system's refusals are.
    if (error == std::errc::permission_denied) {
        error = {ERROR_ACCESS_DENIED, std::system_category()};
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

void hide(const std::string &path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        ::SetFileAttributesW(wide(path).c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
    }
}

bool sameFile(const std::string &a, const std::string &b)
{
    // The volume and the file's number on it; a directory opens only with backup semantics,
    // and asking what a file is needs no access to its contents.
    const auto identify = [](const std::string &path, BY_HANDLE_FILE_INFORMATION &info) {
        const HANDLE handle = ::CreateFileW(
            wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool known = ::GetFileInformationByHandle(handle, &info);
        ::CloseHandle(handle);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION x, y;
    return a == b ||
           (identify(a, x) && identify(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
            x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow);
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
        visit(utf8, (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? followed(join(directory, utf8))
                    : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? EntryKind::Directory
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
    // Shared for reading and writing but not for deleting: nobody renames or deletes the folder
    // while Kestro works in it, so that each name refers to the same directory. Its files are
    // still created, renamed and deleted by everyone.
    const HANDLE handle =
        ::CreateFileW(wide(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE) {
        error_ = lastError();
    } else if (!::GetFileInformationByHandle(handle, &info)) {
        error_ = lastError();
    } else if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error_ = {ERROR_DIRECTORY, std::system_category()};
    } else {
        handle_ = reinterpret_cast<std::intptr_t>(handle);
        return;
    }
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
}

Folder::~Folder()
{
    if (handle_ != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

std::error_code openSource(const Folder &folder, const std::string &name, File &file)
{
    if (folder.error()) {
        return folder.error();
    }
    return openRegularFile(join(folder.path(), name), file);
}

std::error_code sourceSize(const Folder &folder, const std::string &name, std::uint64_t &size)
{
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

// A file is not made without a name: copies always go through a temporary.
std::error_code createNameless(const Folder &, File &)
{
    return std::make_error_code(std::errc::not_supported);
}

std::error_code giveName(const Folder &, File &, const std::string &)
{
    return std::make_error_code(std::errc::not_supported);
}

void sync(const Folder &) {}

std::error_code remove(const Folder &folder, const std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    if (!::DeleteFileW(wide(join(folder.path(), name)).c_str()) &&
        ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return lastError();
    }
    return {};
}

} // namespace platform
