// SPDX-License-Identifier: GPL-3.0-or-later
// What both platforms share of the temporaries: the names that carry their identity.
#include "core/temporary.h"
#include "core/platform.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>

namespace platform {

std::string temporaryName(std::string_view prefix, std::uint64_t identity, unsigned number)
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, identity);
    return std::string(prefix) + hex + "-" + std::to_string(number);
}

std::optional<std::uint64_t> temporaryIdentity(std::string_view prefix, std::string_view name)
{
    // Exactly the form temporaryName gives: 16 hex digits, a dash, a decimal number.
    constexpr std::size_t digits = 16;
    if (!name.starts_with(prefix) || name.size() < prefix.size() + digits + 2 ||
        name[prefix.size() + digits] != '-') {
        return std::nullopt;
    }
    const std::string_view hex = name.substr(prefix.size(), digits);
    const std::string_view number = name.substr(prefix.size() + digits + 1);
    const auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (!std::ranges::all_of(hex, isHex) || !std::ranges::all_of(number, isDigit)) {
        return std::nullopt;
    }
    return std::stoull(std::string(hex), nullptr, 16);
}

std::string unmarkedName(std::string_view prefix)
{
    // Copies are written on several threads at once.
    static std::atomic<unsigned> counter = 0;
    return std::string(prefix) + "new-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
           std::to_string(++counter);
}

std::error_code markByIdentity(std::string_view prefix, std::uint64_t identity, std::string &name,
                               const std::function<std::error_code(const std::string &)> &rename)
{
    for (unsigned number = 0;; ++number) {
        name = temporaryName(prefix, identity, number);
        if (const std::error_code error = rename(name); error != std::errc::file_exists) {
            return error;
        }
    }
}

} // namespace platform
