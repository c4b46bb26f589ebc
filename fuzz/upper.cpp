// SPDX-License-Identifier: GPL-3.0-or-later
// Letter case: upper() maps each character of valid UTF-8 to its simple upper case, as the C
// library does, and of anything else the ASCII letters alone; mapping twice changes nothing.

#include "fuzz.h"

#include "core/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input = bytesOf(data, size);
    const std::string up = platform::upper(input);
    FUZZ_CHECK(platform::upper(up) == up);
    const std::optional<std::u32string> before = decodeUtf8(input), after = decodeUtf8(up);
    if (!before) {
        std::string ascii(input);
        for (char &c : ascii) {
            c = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        }
        FUZZ_CHECK(up == ascii);
        return 0;
    }
    FUZZ_CHECK(after && after->size() == before->size());
    const std::optional<std::u32string> expected = libcUpper(*before);
    FUZZ_CHECK(!expected || *after == *expected);
    return 0;
}
