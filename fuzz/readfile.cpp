// SPDX-License-Identifier: GPL-3.0-or-later
// The text reader: a file's first `limit` bytes, exactly. The input is the file; its first two
// bytes give the limit, shorter files are read without one.

#include "fuzz.h"

#include "core/textfile.h"

#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input = bytesOf(data, size);
    const size_t limit = size < 2 ? SIZE_MAX : (data[0] | data[1] << 8) % (size + 2);
    const std::string path = scratchFile("text");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(input.data(), std::streamsize(size));
    std::string bytes = "stale";
    FUZZ_CHECK(!readFile(path, bytes, limit));
    FUZZ_CHECK(bytes == input.substr(0, limit));
    return 0;
}
