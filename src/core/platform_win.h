// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the files of the Win32 side share: names as Kestro keeps them and as the system takes them,
// the system's failure, the handles behind Kestro's files.

#include "core/platform.h"

#include <string>
#include <string_view>
#include <system_error>

#include <windows.h>

namespace platform {

// A name or path as the system takes it, in UTF-16. A full path is given in its "\\?\" form,
// which the system takes as it is: neither cut at 260 characters nor stripped of a trailing dot
// or space, which would name another file.
std::wstring wide(std::string_view path);

// A name the system gives, as Kestro keeps it: UTF-8, where a lone surrogate, which NTFS allows
// in a name, keeps its three-byte form (WTF-8), so that wide() gives the same name back.
std::string narrow(std::wstring_view name);

inline std::error_code lastError()
{
    return {int(::GetLastError()), std::system_category()};
}

inline HANDLE native(const File &file)
{
    return reinterpret_cast<HANDLE>(file.handle());
}

} // namespace platform
