// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/wildcard.h"

#include "core/platform.h"

#include <string>

// The end of the character that starts at `at`: names are UTF-8, where the first byte of a
// character says how many bytes it takes.
static std::size_t nextCharacter(std::string_view name, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(name[at]);
    const std::size_t end = at + (lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4);
    do {
        ++at;
    } while (at < end && at < name.size() && (static_cast<unsigned char>(name[at]) & 0xC0) == 0x80);
    return at;
}

// Glob matching with backtracking to the last "*" only, which is enough for two wildcards.
static bool matches(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0;
    std::size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = nextCharacter(name, n);
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = resumeAt = nextCharacter(name, resumeAt);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool matchesPattern(std::string_view pattern, std::string_view name)
{
    const std::string p = platform::upper(pattern);
    const std::string n = platform::upper(name);
    if (matches(p, n)) {
        return true;
    }
    const std::string_view anyExtension = ".*";
    return p.ends_with(anyExtension) && n.find('.') == std::string::npos &&
           matches(std::string_view(p).substr(0, p.size() - anyExtension.size()), n);
}
