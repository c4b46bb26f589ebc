// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: names and paths as Kestro keeps them (UTF-8), as the system takes them (UTF-16) and as
// "FoldersLoaded.txt" holds them (the system's code page).
#include "core/platform.h"
#include "core/platform_win.h"

#include <QString>

#include <algorithm>
#include <vector>

#include <windows.h>

namespace platform {

namespace {

// A byte of "FoldersLoaded.txt" that starts no character of the code page is kept as this lone
// surrogate plus the byte, which listLine() turns back into the byte.
constexpr wchar_t escapedByte = 0xDC00;

// WTF-8 to UTF-16: the three-byte form of a surrogate gives that surrogate; a byte that is not
// UTF-8 gives U+FFFD.
std::wstring utf16(std::string_view text)
{
    std::wstring result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        const unsigned char lead = at(0);
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC2 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF5 ? 4
                                                 : 0;
        char32_t c = length <= 1 ? lead : lead & (0xFF >> (length + 1));
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            valid = (at(k) & 0xC0) == 0x80;
            c = (c << 6) | (at(k) & 0x3F);
        }
        // Never a longer form than needed, nor past U+10FFFF.
        if (!valid || (length == 3 && c < 0x800) ||
            (length == 4 && (c < 0x10000 || c > 0x10FFFF))) {
            result += L'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            result += wchar_t(0xD800 + ((c - 0x10000) >> 10));
            result += wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            result += wchar_t(c);
        }
        i += length;
    }
    return result;
}

// A full path the system gives in its "\\?\" form, as the user writes it.
std::wstring withoutPrefix(std::wstring_view path)
{
    if (path.starts_with(LR"(\\?\UNC\)")) {
        return L'\\' + std::wstring(path.substr(7));
    }
    if (path.starts_with(LR"(\\?\)") && path.size() >= 6 && path[5] == L':') {
        return std::wstring(path.substr(4));
    }
    return std::wstring(path);
}

std::optional<std::wstring> decoded(std::string_view bytes)
{
    const int size = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(),
                                           int(bytes.size()), nullptr, 0);
    if (size == 0) {
        return bytes.empty() ? std::optional(std::wstring()) : std::nullopt;
    }
    std::wstring text(std::size_t(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()),
                          text.data(), size);
    return text;
}

std::string encoded(std::wstring_view text)
{
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

} // namespace

std::wstring wide(std::string_view path)
{
    std::wstring text = utf16(path);
    const auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const bool drive = text.size() >= 3 && text[1] == L':' && isSeparator(text[2]);
    const bool share = text.size() >= 3 && isSeparator(text[0]) && isSeparator(text[1]) &&
                       text[2] != L'?' && text[2] != L'.';
    if (!drive && !share) {
        // A relative path, or one the system already takes as it is.
        return text;
    }
    // What the system does to a path before it takes it, but for stripping a trailing dot or
    // space: "/" is "\", and "." and ".." go, and so do empty names, such as the one join()
    // makes at a drive's root.
    std::ranges::replace(text, L'/', L'\\');
    std::wstring result = drive ? LR"(\\?\)" + text.substr(0, 2) : LR"(\\?\UNC)";
    const std::size_t kept = drive ? 0 : 2; // "server\share", which ".." does not leave
    std::vector<std::wstring_view> names;
    const std::wstring_view rest = std::wstring_view(text).substr(drive ? 3 : 2);
    for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t end = std::min(rest.find(L'\\', start), rest.size());
        const std::wstring_view name = rest.substr(start, end - start);
        if (name == L".." && names.size() > kept) {
            names.pop_back();
        } else if (!name.empty() && name != L"." && name != L"..") {
            names.push_back(name);
        }
        start = end + 1;
    }
    for (const std::wstring_view name : names) {
        result.append(1, L'\\').append(name);
    }
    if (names.size() <= kept) {
        result += L'\\';
    }
    return result;
}

std::string narrow(std::wstring_view name)
{
    std::string result;
    result.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t c = name[i];
        if (IS_HIGH_SURROGATE(c) && i + 1 < name.size() && IS_LOW_SURROGATE(name[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (name[++i] - 0xDC00);
        }
        if (c < 0x80) {
            result += char(c);
            continue;
        }
        constexpr unsigned char leads[] = {0, 0xC0, 0xE0, 0xF0};
        const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        result += char(leads[tail] | (c >> (6 * tail)));
        for (int k = tail - 1; k >= 0; --k) {
            result += char(0x80 | ((c >> (6 * k)) & 0x3F));
        }
    }
    return result;
}

std::size_t rootLength(std::string_view path)
{
    // The end of "server\share\" from `from` on.
    const auto shareEnd = [path](std::size_t from) {
        const std::size_t share = path.find('\\', from);
        const std::size_t end =
            share == std::string_view::npos ? share : path.find('\\', share + 1);
        return end == std::string_view::npos ? path.size() : end + 1;
    };
    if (path.starts_with(R"(\\?\UNC\)")) {
        return shareEnd(8);
    }
    if (path.starts_with(R"(\\?\)")) {
        // "\\?\C:\", or a volume without a letter, "\\?\Volume{...}\"
        const std::size_t end = path.find('\\', 4);
        return end == std::string_view::npos ? path.size() : end + 1;
    }
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        return 3;
    }
    if (path.starts_with(R"(\\)")) {
        return shareEnd(2);
    }
    return path.starts_with('\\') ? 1 : 0;
}

std::error_code currentDirectory(std::string &path)
{
    std::wstring buffer(32768, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(DWORD(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) {
        return {int(::GetLastError()), std::system_category()};
    }
    path = narrow(withoutPrefix(std::wstring_view(buffer).substr(0, length)));
    return {};
}

std::error_code resolveLink(std::string &path)
{
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return {};
    }
    // The file the link leads to, as the system names it once every link is followed.
    const HANDLE target =
        ::CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
        return {int(::GetLastError()), std::system_category()};
    }
    std::wstring buffer(32768, L'\0');
    const DWORD length =
        ::GetFinalPathNameByHandleW(target, buffer.data(), DWORD(buffer.size()), 0);
    const std::error_code error =
        length == 0 || length >= buffer.size()
            ? std::error_code(int(::GetLastError()), std::system_category())
            : std::error_code();
    ::CloseHandle(target);
    if (!error) {
        path = narrow(withoutPrefix(std::wstring_view(buffer).substr(0, length)));
    }
    return error;
}

QString display(std::string_view name)
{
    // A lone surrogate, of a name or of a byte of the list file, shows as U+FFFD.
    QString text = QString::fromStdWString(utf16(name));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            text[i] = QChar::ReplacementCharacter;
        }
    }
    return text;
}

std::optional<std::string> listLine(std::string_view path)
{
    const std::wstring text = utf16(path);
    const auto isEscaped = [&](std::size_t i) {
        return (text[i] & 0xFF00) == escapedByte && !(i > 0 && IS_HIGH_SURROGATE(text[i - 1]));
    };
    std::string line;
    for (std::size_t i = 0; i < text.size();) {
        if (isEscaped(i)) {
            line += char(text[i++] - escapedByte);
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && !isEscaped(end)) {
            ++end;
        }
        line += encoded(std::wstring_view(text).substr(i, end - i));
        i = end;
    }
    // The code page may lack a letter, or have only a look-alike of it: a line that does not
    // read back as the path would name another folder.
    if (listPath(line) != path) {
        return std::nullopt;
    }
    return line;
}

std::string listPath(std::string_view line)
{
    if (std::optional<std::wstring> text = decoded(line)) {
        return narrow(*text);
    }
    // Character by character, each the shortest run of bytes that decodes; a byte that starts
    // none is kept.
    std::wstring text;
    for (std::size_t i = 0; i < line.size();) {
        std::optional<std::wstring> character;
        std::size_t length = 0;
        while (!character && length < std::min<std::size_t>(4, line.size() - i)) {
            character = decoded(line.substr(i, ++length));
        }
        if (character) {
            text += *character;
            i += length;
        } else {
            text += wchar_t(escapedByte + static_cast<unsigned char>(line[i++]));
        }
    }
    return narrow(text);
}

} // namespace platform
