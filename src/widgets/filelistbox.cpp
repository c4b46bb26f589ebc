// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/filelistbox.h"

#include "core/platform.h"
#include "widgets/entrymodel.h"

#include <QStyle>

FileListBox::FileListBox(QWidget *parent) : ListView(parent)
{
    (void)showNames({});
}

Outcome FileListBox::setPath(const std::string &directory)
{
    return showNames(files_.setPath(directory));
}

Outcome FileListBox::setPattern(const std::string &pattern)
{
    return showNames(files_.setPattern(pattern));
}

Outcome FileListBox::refresh()
{
    return showNames(files_.refresh());
}

// Shows the names the directory holds now, whatever the outcome of the change was.
Outcome FileListBox::showNames(Outcome outcome)
{
    const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    QList<EntryModel::Row> rows;
    rows.reserve(qsizetype(files_.names().size()));
    for (const std::string &name : files_.names()) {
        rows.append({name, icon, 0});
    }
    entries()->setRows(std::move(rows));
    return outcome;
}
