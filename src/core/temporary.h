// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the temporaries of both systems share: how a new one is named before it is locked, and
// after.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace platform {

// A name that no temporary has nor any other process gives, for a new file until it is locked.
std::string unmarkedName(std::string_view prefix);

// Names a new, locked file by its identity: `rename` gives it temporaryName's numbers in turn
// while it fails with std::errc::file_exists, as a file of that name is already there.
std::error_code markByIdentity(std::string_view prefix, std::uint64_t identity, std::string &name,
                               const std::function<std::error_code(const std::string &)> &rename);

} // namespace platform
