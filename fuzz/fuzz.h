#pragma once

// What the fuzz targets share: the entry point libFuzzer calls (replay.cpp calls it in the
// ordinary build), a check that ends the run, and helpers for bytes and files.

#include <QTemporaryDir>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// A property that does not hold stops the run and names itself.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition)                                                                                   \
         ? void()                                                                                  \
         : (std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition), std::abort()))

inline std::string_view bytesOf(const uint8_t *data, size_t size)
{
    return {reinterpret_cast<const char *>(data), size};
}

// A file in a temporary folder made once per run and removed at its end.
inline std::string scratchFile(const std::string &name)
{
    static const QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    return dir.path().toStdString() + '/' + name;
}

// The code points of valid UTF-8 (no overlong forms, no surrogates, none past U+10FFFF), or
// nothing for bytes that are not.
inline std::optional<std::u32string> decodeUtf8(std::string_view bytes)
{
    std::u32string text;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = bytes[i];
        const size_t n = lead < 0x80 ? 1 : std::countl_one(lead);
        if ((lead >= 0x80 && n < 2) || n > 4 || i + n > bytes.size()) {
            return {};
        }
        char32_t c = lead & (0xFF >> n);
        for (size_t k = 1; k < n; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) {
                return {};
            }
            c = c << 6 | (bytes[i + k] & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return {};
        }
        text += c;
        i += n;
    }
    return text;
}
