// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/entrymodel.h"

#include "core/platform.h"

EntryModel::EntryModel(QObject *parent) : QAbstractListModel(parent) {}

void EntryModel::setRows(QList<Row> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void EntryModel::appendRow(Row row)
{
    beginInsertRows({}, int(rows_.size()), int(rows_.size()));
    rows_.append(std::move(row));
    endInsertRows();
}

void EntryModel::removeRow(int row)
{
    beginRemoveRows({}, row, row);
    rows_.removeAt(row);
    endRemoveRows();
}

int EntryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant EntryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    const Row &row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return platform::display(row.text);
    case Qt::DecorationRole:
        return row.icon.isNull() ? QVariant() : QVariant(row.icon);
    case IndentRole:
        return row.indent;
    default:
        return {};
    }
}
