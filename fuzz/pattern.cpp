// SPDX-License-Identifier: GPL-3.0-or-later
// Name patterns, against a matcher of their own over characters folded by the C library. The
// input is a pattern, a NUL and a name (without a NUL, both are the input).

#include "fuzz.h"

#include "core/wildcard.h"

// "*" takes any run of characters, "?" any one, anything else itself; row[j] says whether the
// pattern so far matches the first j characters of the name.
static bool glob(std::u32string_view pattern, std::u32string_view name)
{
    std::vector<bool> row(name.size() + 1);
    row[0] = true;
    for (const char32_t p : pattern) {
        std::vector<bool> next(name.size() + 1);
        bool before = false;
        for (std::size_t j = 0; j <= name.size(); ++j) {
            before = before || row[j];
            next[j] = p == U'*' ? before : j > 0 && row[j - 1] && (p == U'?' || p == name[j - 1]);
        }
        row = std::move(next);
    }
    return row[name.size()];
}

// Letter case ignored, and a pattern that ends in ".*" takes a name without a dot too.
static bool reference(std::u32string_view pattern, std::u32string_view name)
{
    const std::u32string_view anyExtension = U".*";
    return glob(pattern, name) ||
           (pattern.ends_with(anyExtension) && name.find(U'.') == name.npos &&
            glob(pattern.substr(0, pattern.size() - 2), name));
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
    const std::optional<std::u32string> p = decodeUtf8(pattern), n = decodeUtf8(name);
    if (!p || !n) {
        return 0;
    }
    if (const auto upperP = libcUpper(*p), upperN = libcUpper(*n); upperP && upperN) {
        FUZZ_CHECK(matchesPattern(pattern, name) == reference(*upperP, *upperN));
    }
    // "?" stands for one character, however many bytes it takes.
    const std::string each(n->size(), '?');
    FUZZ_CHECK(matchesPattern(each, name));
    FUZZ_CHECK(!matchesPattern(each + '?', name));
    FUZZ_CHECK(name.empty() || !matchesPattern(each.substr(1), name));
    return 0;
}
