// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/textfile.h"

#include "core/platform.h"

#include <QCoreApplication>

#include <algorithm>

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\r', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (start < bytes.size() && bytes[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

Outcome readFile(const std::string &path, std::string &bytes, std::size_t limit)
{
    platform::File file;
    if (const std::error_code error = platform::openRegularFile(path, file)) {
        return failure(QCoreApplication::translate("Kestro", "open"), path, error);
    }
    std::string content;
    char buffer[65536];
    while (content.size() < limit) {
        std::size_t got = 0;
        const std::error_code error =
            platform::read(file, buffer, std::min(sizeof buffer, limit - content.size()), got);
        if (error) {
            return failure(QCoreApplication::translate("Kestro", "read"), path, error);
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, got);
    }
    bytes = std::move(content);
    return {};
}
