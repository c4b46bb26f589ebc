// SPDX-License-Identifier: GPL-3.0-or-later
// Name patterns, against a matcher of the target's own over characters folded by the C library
// (where both are UTF-8). The input is a pattern, a NUL and a name (without a NUL, both are the
// input).

#include "fuzz.h"

#include "core/wildcard.h"

// "*" takes any run of characters, "?" any one, anything else itself; matched[j] says whether
// the pattern so far takes the first j characters of the name.
static bool glob(std::u32string_view pattern, std::u32string_view name)
{
    std::vector<bool> matched(name.size() + 1);
    matched[0] = true;
    for (const char32_t p : pattern) {
        for (std::size_t j = 1; p == U'*' && j <= name.size(); ++j) {
            matched[j] = matched[j] || matched[j - 1];
        }
        for (std::size_t j = name.size(); p != U'*' && j > 0; --j) {
            matched[j] = matched[j - 1] && (p == U'?' || p == name[j - 1]);
        }
        matched[0] = matched[0] && p == U'*';
    }
    return matched[name.size()];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input = bytesOf(data, size);
    const size_t nul = input.find('\0');
    const std::string_view pattern = input.substr(0, nul);
    const std::string_view name = nul == input.npos ? input : input.substr(nul + 1);

    FUZZ_CHECK(matchesPattern(pattern, pattern));
    FUZZ_CHECK(matchesPattern(name, name));
    FUZZ_CHECK(matchesPattern("*", name));
    FUZZ_CHECK(matchesPattern("*.*", name));
    // Letter case ignored, and a pattern that ends in ".*" takes a name without a dot too.
    const std::optional<std::u32string> p = decodeUtf8(pattern), n = decodeUtf8(name);
    const auto up = p ? libcUpper(*p) : std::nullopt, un = n ? libcUpper(*n) : std::nullopt;
    if (up && un) {
        const bool anyExtension = up->ends_with(U".*") && un->find(U'.') == un->npos;
        FUZZ_CHECK(matchesPattern(pattern, name) ==
                   (glob(*up, *un) || (anyExtension && glob(up->substr(0, up->size() - 2), *un))));
    }
    return 0;
}
