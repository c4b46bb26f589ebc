// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: the temporaries that take a file's place, shared with nobody while they are written,
// deleted when their handle closes until they have their final name where the volume allows,
// named through their handle, and swept only when nobody holds them.
#include "core/platform.h"
#include "core/platform_win.h"
#include "core/temporary.h"

#include <windows.h>
#include <winternl.h>

#include <cstring>
#include <vector>

namespace platform {

namespace {

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

std::uint64_t identityOf(const BY_HANDLE_FILE_INFORMATION &info)
{
    return (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

// Renames an open file through its handle, which needs DELETE access.
std::error_code renameOpen(const File &file, const std::string &path, bool replace)
{
    const std::wstring name = wide(path);
    // Room for the name and its terminating NUL, which the system reads up to.
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    info->ReplaceIfExists = replace;
    info->FileNameLength = DWORD(name.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, name.data(), info->FileNameLength);
    if (!::SetFileInformationByHandle(native(file), FileRenameInfo, info, DWORD(buffer.size()))) {
        return lastError();
    }
    return {};
}

// Gives an open file one more name in its folder, in place of any file of that name.
std::error_code linkOpen(const Folder &folder, const File &file, const std::string &name)
{
    const std::wstring relative = wide(name);
    std::vector<char> buffer(sizeof(FILE_LINK_INFORMATION) + relative.size() * sizeof(wchar_t));
    auto *info = reinterpret_cast<FILE_LINK_INFORMATION *>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = reinterpret_cast<HANDLE>(folder.handle());
    info->FileNameLength = ULONG(relative.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, relative.data(), info->FileNameLength);
    IO_STATUS_BLOCK status;
    if (const NTSTATUS failed = ::NtSetInformationFile(native(file), &status, info,
                                                       ULONG(buffer.size()), FileLinkInformation)) {
        return {int(::RtlNtStatusToDosError(failed)), std::system_category()};
    }
    return {};
}

// Whether a folder's files can have more than one name. NTFS has them even where the system
// serving it does not say so (Wine); FAT and exFAT have none.
bool hardLinks(const Folder &folder)
{
    DWORD flags;
    wchar_t system[MAX_PATH + 1];
    return ::GetVolumeInformationByHandleW(reinterpret_cast<HANDLE>(folder.handle()), nullptr, 0,
                                           nullptr, nullptr, &flags, system, MAX_PATH + 1) &&
           ((flags & FILE_SUPPORTS_HARD_LINKS) || std::wstring_view(system) == L"NTFS");
}

// Deletes an open file through its handle, which needs DELETE access; it goes when closed.
void deleteOpen(const File &file)
{
    FILE_DISPOSITION_INFO info = {TRUE};
    ::SetFileInformationByHandle(native(file), FileDispositionInfo, &info, sizeof info);
}

} // namespace

std::error_code createTemporary(const Folder &folder, std::string_view prefix, File &file,
                                std::string &name)
{
    if (folder.error()) {
        return folder.error();
    }
    // Made under a name no temporary has, then renamed through its handle. Where it can take its
    // final name as a second one, it goes when its handle closes, so a Kestro killed at any
    // moment leaves nothing; elsewhere, killed before the rename, an empty file that no sweep
    // takes. Shared with nobody, no other Kestro can open it, let alone delete it, while it is
    // written.
    const DWORD deleted = hardLinks(folder) ? FILE_FLAG_DELETE_ON_CLOSE : 0;
    HANDLE handle;
    do {
        handle = ::CreateFileW(wide(join(folder.path(), unmarkedName(prefix))).c_str(),
                               GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN | deleted, nullptr);
    } while (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    file.reset(reinterpret_cast<std::intptr_t>(handle));
    BY_HANDLE_FILE_INFORMATION info;
    std::error_code error =
        ::GetFileInformationByHandle(handle, &info) ? std::error_code() : lastError();
    if (!error) {
        error = markByIdentity(prefix, identityOf(info), name, [&](const std::string &marked) {
            const std::error_code renamed = renameOpen(file, join(folder.path(), marked), false);
            return renamed.value() == ERROR_ALREADY_EXISTS || renamed.value() == ERROR_FILE_EXISTS
                       ? std::make_error_code(std::errc::file_exists)
                       : renamed;
        });
    }
    if (error) {
        deleteOpen(file);
        file.reset();
    }
    return error;
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

std::error_code replace(const Folder &folder, File &file, const std::string &name,
                        const std::string &target, bool durable)
{
    std::error_code error =
        durable && !::FlushFileBuffers(native(file)) ? lastError() : std::error_code();
    // Through the handle no other program shares. A game file another program holds open
    // fails here, and stays whole. A temporary made to go when its handle closes takes its final
    // name as a second one: the first goes at the close.
    if (!error) {
        error = hardLinks(folder) ? linkOpen(folder, file, target)
                                  : renameOpen(file, join(folder.path(), target), true);
    }
    if (error) {
        discard(folder, file, name);
    }
    file.reset();
    return error;
}

void discard(const Folder &, File &file, const std::string &)
{
    deleteOpen(file);
    file.reset();
}

void removeAbandoned(const Folder &folder, const std::string &name, std::uint64_t identity)
{
    // The Kestro writing a temporary shares it with nobody, so only an abandoned one opens.
    const HANDLE handle =
        ::CreateFileW(wide(join(folder.path(), name)).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0,
                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return;
    }
    File file;
    file.reset(reinterpret_cast<std::intptr_t>(handle));
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(handle, &info) &&
        !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
        identityOf(info) == identity) {
        deleteOpen(file);
    }
}

} // namespace platform
