// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <system_error>

// What went wrong with a file operation: what was being done, to which path, and why.
struct Failure
{
    QString action; // "open", "copy", "delete"…
    std::string path;
    QString reason;
    // What the failure means for the user, if anything: "Load is off until…"
    QString note{};

    // "Cannot copy "/games/EAW/a.txt": Permission denied", then the note on a line of its own
    QString message() const;
};

// Nothing when the operation succeeded.
using Outcome = std::optional<Failure>;

Failure failure(const QString &action, const std::string &path, std::error_code code);
