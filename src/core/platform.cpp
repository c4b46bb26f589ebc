#include "core/platform.h"

#include <QList>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

std::string join(std::string_view directory, std::string_view name)
{
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory).append(1, separator).append(name);
    return path;
}

bool isHidden(std::string_view name)
{
    return name.starts_with('.');
}

bool isReadOnly(const std::string &path)
{
    return isReadOnly(AT_FDCWD, path);
}

bool isReadOnly(int directory, const std::string &name)
{
    struct stat status;
    if (::fstatat(directory, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISLNK(status.st_mode)) {
        return false;
    }
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

static std::string asciiUpper(std::string_view name)
{
    std::string result(name);
    for (char &c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string upper(std::string_view name)
{
    const bool ascii = std::ranges::all_of(name, [](char c) { return (c & 0x80) == 0; });
    if (ascii) {
        return asciiUpper(name);
    }
    // A byte order mark at the start is a character of the name like any other.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(QByteArrayView(name.data(), qsizetype(name.size())));
    if (utf8.hasError()) {
        // Not valid text: fold the ASCII letters only, so that two different names never
        // become equal through replacement characters.
        return asciiUpper(name);
    }
    // One character to one character, as the game's platform compares file names: "é" and
    // "É" are the same name, "ß" and "SS" are not.
    QString result;
    result.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        result.append(QChar::fromUcs4(QChar::toUpper(c)));
    }
    return result.toStdString();
}

QString display(std::string_view bytes)
{
    return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size()));
}

} // namespace platform
