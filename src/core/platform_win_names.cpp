// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: names and paths as Kestro keeps them (UTF-8), as the system takes them (UTF-16) and as
// "FoldersLoaded.txt" holds them (the system's code page).
#include "core/platform.h"
#include "core/platform_win.h"

#include <QString>

#include <windows.h>

namespace platform {

namespace {

std::error_code lastError()
{
    return {int(::GetLastError()), std::system_category()};
}

} // namespace

std::wstring wide(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toStdWString();
}

std::string narrow(const wchar_t *text)
{
    return QString::fromWCharArray(text).toStdString();
}

std::size_t rootLength(std::string_view path)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        return 3;
    }
    if (path.starts_with("\\\\")) {
        // "\\server\share\"
        const std::size_t share = path.find('\\', 2);
        const std::size_t end =
            share == std::string_view::npos ? share : path.find('\\', share + 1);
        return end == std::string_view::npos ? path.size() : end + 1;
    }
    return path.starts_with('\\') ? 1 : 0;
}

std::error_code currentDirectory(std::string &path)
{
    wchar_t buffer[32768];
    const DWORD length = ::GetCurrentDirectoryW(DWORD(std::size(buffer)), buffer);
    if (length == 0 || length >= std::size(buffer)) {
        return lastError();
    }
    path = narrow(buffer);
    return {};
}

QString display(std::string_view name)
{
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

std::optional<std::string> listLine(std::string_view path)
{
    if (::GetACP() == CP_UTF8) {
        return std::string(path);
    }
    const std::wstring text = wide(path);
    if (text.empty()) {
        return std::string();
    }
    // No "best fit": a letter the code page lacks must not turn into a look-alike, which
    // would name another folder.
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                           int(text.size()), nullptr, 0, nullptr, &lossy);
    std::string line(std::size_t(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), line.data(),
                          size, nullptr, &lossy);
    if (size == 0 || lossy) {
        return std::nullopt;
    }
    return line;
}

std::string listPath(std::string_view line)
{
    if (line.empty()) {
        return {};
    }
    const int size = ::MultiByteToWideChar(CP_ACP, 0, line.data(), int(line.size()), nullptr, 0);
    std::wstring text(std::size_t(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, line.data(), int(line.size()), text.data(), size);
    return QString::fromStdWString(text).toStdString();
}

} // namespace platform
