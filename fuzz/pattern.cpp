// SPDX-License-Identifier: GPL-3.0-or-later
// Name patterns. The input is a pattern, a NUL and a name (without a NUL, both are the input).

#include "fuzz.h"

#include "core/platform.h"
#include "core/wildcard.h"

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
    if (pattern.find_first_of("*?") == pattern.npos) {
        FUZZ_CHECK(matchesPattern(pattern, name) ==
                   (platform::upper(pattern) == platform::upper(name)));
    }
    // "?" stands for one character, however many bytes it takes.
    if (const std::optional<std::u32string> characters = decodeUtf8(name)) {
        const std::string each(characters->size(), '?');
        FUZZ_CHECK(matchesPattern(each, name));
        FUZZ_CHECK(!matchesPattern(each + '?', name));
        FUZZ_CHECK(name.empty() || !matchesPattern(each.substr(1), name));
    }
    return 0;
}
