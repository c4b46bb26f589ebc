// SPDX-License-Identifier: GPL-3.0-or-later
// "FoldersLoaded.txt": a list read from any bytes is written and read back the same, and a file
// already in the list's own format is written back byte for byte.

#include "fuzz.h"

#include "core/loadedfolders.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input = bytesOf(data, size);
    const std::vector<std::string> entries = parseLoadedFolders(input);
    const std::string written = formatLoadedFolders(entries);
    FUZZ_CHECK(parseLoadedFolders(written) == entries);

    const auto loneCr = [](char c, char next) { return c == '\r' && next != '\n'; };
    const bool everyCrEndsALine = std::ranges::adjacent_find(input, loneCr) == input.end();
    if (input.empty() || (input.ends_with("\r\n") && everyCrEndsALine)) {
        FUZZ_CHECK(written == input);
    }

    return 0;
}
