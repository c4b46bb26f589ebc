// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fuzz targets share: the entry point libFuzzer calls, a check that ends the run,
// helpers for bytes and text, and in the ordinary build a main() that replays a corpus.

#include <QStringDecoder>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The characters of valid UTF-8, or nothing for bytes that are not: Qt's decoder refuses
// overlong forms, surrogates and code points past U+10FFFF, and keeps a leading BOM.
inline std::optional<std::u32string> decodeUtf8(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return utf8.hasError() ? std::nullopt : std::optional(text.toStdU32String());
}

// Each character's simple upper case by the C library's tables, which Qt does not use; nothing
// where the C library has no UTF-8 locale to ask (Windows).
inline std::optional<std::u32string> libcUpper([[maybe_unused]] std::u32string text)
{
#ifdef _WIN32
    return std::nullopt;
#else
    static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    FUZZ_CHECK(utf8);
    std::ranges::transform(text, text.begin(),
                           [](char32_t c) { return char32_t(std::towupper(wint_t(c))); });
    return text;
#endif
}

#ifndef KESTRO_FUZZ
// Runs the target over every file of a corpus folder, so that the ordinary build tests the
// cases kept in fuzz/corpus/<target>/ without libFuzzer.
int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(argv[1]), {});
    std::ranges::sort(files);
    for (const auto &file : files) {
        // Exactly as long as the input, so that AddressSanitizer sees a read past its end.
        std::vector<uint8_t> bytes(std::filesystem::file_size(file));
        std::ifstream(file, std::ios::binary)
            .read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
        std::fprintf(stderr, "%s\n", file.string().c_str());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs passed\n", files.size());
    return files.empty() ? 1 : 0; // an empty corpus would test nothing
}
#endif
