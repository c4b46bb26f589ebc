// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/loadedfolders.h"

#include "core/filecopy.h"
#include "core/platform.h"
#include "core/textfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

std::optional<QString> cannotKeep(std::string_view folder)
{
    if (folder.find_first_of("\r\n") != std::string_view::npos) {
        return QCoreApplication::translate(
            "Kestro", "its name holds a line break, which \"FoldersLoaded.txt\" cannot keep");
    }
    if (!platform::listLine(folder)) {
        return QCoreApplication::translate("Kestro",
                                           "its name holds letters that \"FoldersLoaded.txt\", "
                                           "written in the system's code page, cannot keep");
    }
    return {};
}

Outcome readLoadedFolders(const std::string &path, std::vector<std::string> &folders)
{
    std::string bytes;
    if (Outcome failed = readFile(path, bytes, std::numeric_limits<std::size_t>::max())) {
        if (platform::isMissing(path)) {
            folders.clear();
            return {};
        }
        return failed;
    }
    folders = parseLoadedFolders(bytes);
    return {};
}

std::vector<std::string> parseLoadedFolders(std::string_view bytes)
{
    std::vector<std::string> folders;
    for (const std::string &line : splitLines(bytes)) {
        folders.push_back(platform::listPath(line));
    }
    return folders;
}

std::string formatLoadedFolders(const std::vector<std::string> &folders)
{
    std::string bytes;
    for (const std::string &folder : folders) {
        // Load refuses a folder the file cannot keep, so this is one read from the file.
        bytes.append(platform::listLine(folder).value_or(folder)).append("\r\n");
    }
    return bytes;
}

Outcome writeLoadedFolders(std::string path, const std::vector<std::string> &folders)
{
    const std::string bytes = formatLoadedFolders(folders);
    const QString action = QCoreApplication::translate("Kestro", "write");
    // Users keep the list elsewhere through a link on purpose: the link stays, and the file
    // it leads to is replaced.
    if (const std::error_code error = platform::resolveLink(path)) {
        return failure(action, path, error);
    }
    const auto [directory, name] = platform::splitPath(path);
    const platform::Folder folder(directory);
    // Replacing would go past a read-only file, which the user meant to keep as it is.
    std::error_code error = folder.error() ? folder.error() : platform::cannotReplace(folder, name);
    if (error) {
        return failure(action, path, error);
    }
    // Temporaries that a killed save left go first, as a Load's go at the next Load.
    constexpr std::string_view prefix = ".FoldersLoaded-";
    removeLeftovers(folder, prefix);
    error = replaceFile(folder, name, prefix, true, [&](platform::File &file) {
        const std::error_code writing = platform::write(file, bytes);
        return writing ? writing : platform::matchReplaced(path, file);
    });
    if (error) {
        return failure(action, path, error);
    }
    return {};
}
