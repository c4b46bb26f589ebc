// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/failure.h"

#include "core/platform.h"

using namespace Qt::StringLiterals;

QString Failure::message() const
{
    const QString text = u"Cannot %1 \"%2\": %3"_s.arg(action, platform::display(path), reason);
    return note.isEmpty() ? text : text + u"\n\n"_s + note;
}

Failure failure(const QString &action, const std::string &path, std::error_code code)
{
    return {action, path, platform::reason(code)};
}
