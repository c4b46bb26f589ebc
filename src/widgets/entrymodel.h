// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <QList>

#include <string>

// The rows a list control shows: a text, an icon and how far the row is indented.
class EntryModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryModel)

public:
    // The text is kept in the system's 8-bit encoding and turned into text to show only when
    // a view asks for it: a list of many thousand names fills at once.
    struct Row
    {
        std::string text;
        QIcon icon;
        int indent = 0;
    };
    static constexpr int IndentRole = Qt::UserRole;

    explicit EntryModel(QObject *parent = nullptr);

    void setRows(QList<Row> rows);
    void appendRow(Row row);
    void removeRow(int row);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QList<Row> rows_;
};
