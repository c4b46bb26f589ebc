// SPDX-License-Identifier: GPL-3.0-or-later
// Letter case: upper() maps each character on its own, so valid UTF-8 keeps its length in
// characters, and mapping twice changes nothing. Which letters it maps, and that invalid UTF-8
// maps only ASCII, the name patterns of tst_core show.

#include "fuzz.h"

#include "core/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input = bytesOf(data, size);
    const std::string up = platform::upper(input);
    FUZZ_CHECK(platform::upper(up) == up);
    const std::optional<std::u32string> before = decodeUtf8(input), after = decodeUtf8(up);
    FUZZ_CHECK(before ? after && after->size() == before->size() : up.size() == size);
    return 0;
}
