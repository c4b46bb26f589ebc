#pragma once

// What the fuzz targets share: the entry point libFuzzer calls (replay.cpp calls it in the
// ordinary build), a check that ends the run, and helpers for bytes and files.

#include <QStringDecoder>
#include <QTemporaryDir>

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

// The characters of valid UTF-8, or nothing for bytes that are not: Qt's decoder refuses
// overlong forms, surrogates and code points past U+10FFFF, and keeps a leading BOM.
inline std::optional<std::u32string> decodeUtf8(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return utf8.hasError() ? std::nullopt : std::optional(text.toStdU32String());
}
