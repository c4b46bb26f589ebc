// SPDX-License-Identifier: GPL-3.0-or-later
// What both platforms share: paths, letter case, the failures that are not the system's, files.
#include "core/platform.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringDecoder>

#include <algorithm>

namespace platform {

std::string join(std::string_view directory, std::string_view name)
{
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory).append(1, separator).append(name);
    return path;
}

std::pair<std::string, std::string> splitPath(const std::string &path)
{
    const std::size_t slash = path.rfind(separator);
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {path.substr(0, std::max(slash, rootLength(path))), path.substr(slash + 1)};
}

static void asciiUpper(std::string &name)
{
    for (char &c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
}

// A character's simple upper case, the one the game's platform compares file names by. Qt
// leaves as it is a letter whose full upper case takes two characters, even where its simple
// one is a single letter, its title case: "ᾳ" is "ΩΙ" in full, but "ᾼ" alone.
static char32_t simpleUpper(char32_t c)
{
    const char32_t upper = QChar::toUpper(c);
    const char32_t title = QChar::toTitleCase(c);
    return upper == c && title != c && QChar::toLower(title) == c ? title : upper;
}

std::string upper(std::string_view name)
{
    std::string result;
    upper(name, result);
    return result;
}

void upper(std::string_view name, std::string &into)
{
    into.assign(name);
    if (std::ranges::all_of(name, [](char c) { return (c & 0x80) == 0; })) {
        asciiUpper(into);
        return;
    }
    // A byte order mark at the start is a character of the name like any other.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(QByteArrayView(name.data(), qsizetype(name.size())));
    if (utf8.hasError()) {
        // Not valid text: fold the ASCII letters only, so that two different names never
        // become equal through replacement characters.
        asciiUpper(into);
        return;
    }
    // One character to one character, as the game's platform compares file names: "é" and
    // "É" are the same name, "ß" and "SS" are not.
    QString result;
    result.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        result.append(QChar::fromUcs4(simpleUpper(c)));
    }
    into = result.toStdString();
}

namespace {

// Kestro's own refusals, told apart from the system's failures.
enum class Own { NotAFile = 1, HiddenOrSystem };

class OwnCategory final : public std::error_category
{
public:
    const char *name() const noexcept override { return "kestro"; }
    std::string message(int code) const override { return ownReason({code, *this}).toStdString(); }
};

const OwnCategory ownCategory;

} // namespace

std::error_code notAFile()
{
    return {int(Own::NotAFile), ownCategory};
}

std::error_code hiddenOrSystem()
{
    return {int(Own::HiddenOrSystem), ownCategory};
}

QString ownReason(std::error_code error)
{
    if (error.category() != ownCategory) {
        return {};
    }
    switch (Own(error.value())) {
    case Own::NotAFile:
        return QCoreApplication::translate("Kestro", "it is not a file");
    case Own::HiddenOrSystem:
        return QCoreApplication::translate(
            "Kestro", "it is a hidden or system file, which Kestro leaves alone");
    }
    return {};
}

File::~File()
{
    reset();
}

File::File(File &&other) noexcept : handle_(std::exchange(other.handle_, closed)) {}

File &File::operator=(File &&other) noexcept
{
    reset(std::exchange(other.handle_, closed));
    return *this;
}

} // namespace platform
