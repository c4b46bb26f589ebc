// Letter case: upper() maps each character on its own, so valid UTF-8 keeps its length in
// characters; mapping twice changes nothing; ASCII letters become upper case, and invalid
// UTF-8 gets nothing else.

#include "fuzz.h"

#include "core/platform.h"

#include <algorithm>

static char32_t asciiUpper(char32_t c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input = bytesOf(data, size);
    const std::string up = platform::upper(input);
    FUZZ_CHECK(platform::upper(up) == up);

    const std::optional<std::u32string> before = decodeUtf8(input);
    if (!before) {
        std::string ascii(input);
        std::ranges::transform(ascii, ascii.begin(), [](char c) { return char(asciiUpper(c)); });
        FUZZ_CHECK(up == ascii);
        return 0;
    }
    const std::optional<std::u32string> after = decodeUtf8(up);
    FUZZ_CHECK(after && after->size() == before->size());
    for (size_t i = 0; i < before->size(); ++i) {
        FUZZ_CHECK((*before)[i] >= 0x80 || (*after)[i] == asciiUpper((*before)[i]));
    }
    return 0;
}
