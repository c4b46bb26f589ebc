// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListView>

class EntryModel;

// A single-selection list that tells apart what the user does from what the program does:
// only a click on a row, or the Up or Down arrow key, reports a choice, and a mouse press is
// reported before the choice it makes. Once a row is chosen the user cannot clear the choice.
class ListView : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListView)

public:
    explicit ListView(QWidget *parent = nullptr);

    EntryModel *entries() const { return model_; }
    // The selected row, or -1.
    int selectedRow() const;
    // Selects a row, or nothing for -1, without reporting a choice.
    void selectRow(int row);

Q_SIGNALS:
    // A mouse button went down over the list.
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    // The user chose a row with the mouse or the keyboard.
    void rowChosen(int row);
    // The user asked to open a row: a double click, or Enter.
    void rowOpened(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyboardSearch(const QString &search) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;

private:
    EntryModel *model_;
};
