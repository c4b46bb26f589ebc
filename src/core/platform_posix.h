// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the files of the POSIX side share: the system's failure and the descriptors behind Kestro's
// files and folders.

#include "core/platform.h"

#include <cerrno>
#include <system_error>

namespace platform {

inline std::error_code lastError()
{
    return {errno, std::generic_category()};
}

inline int fd(const File &file)
{
    return int(file.handle());
}

inline int fd(const Folder &folder)
{
    return int(folder.handle());
}

} // namespace platform
