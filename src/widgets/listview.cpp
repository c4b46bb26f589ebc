// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/listview.h"

#include "widgets/entrymodel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Draws each row moved right by its indent level, so that a directory list reads as a path.
class IndentDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(index.data(EntryModel::IndentRole).toInt() * step, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) +
               QSize(index.data(EntryModel::IndentRole).toInt() * step, 0);
    }

private:
    static constexpr int step = 8;
};

} // namespace

ListView::ListView(QWidget *parent) : QListView(parent), model_(new EntryModel(this))
{
    setModel(model_);
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
}

int ListView::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListView::selectRow(int row)
{
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (index.isValid()) {
        scrollTo(index);
    }
}

void ListView::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT mousePressed(event->button(), event->modifiers(), event->position().toPoint());
    // The press may have changed the list: find the row under the pointer now.
    if (event->button() != Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    setFocus(Qt::MouseFocusReason);
    if (!index.isValid()) {
        return;
    }
    selectRow(index.row());
    Q_EMIT rowChosen(index.row());
}

void ListView::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging with a button down would move the selection without a click.
    if (event->buttons() == Qt::NoButton) {
        QListView::mouseMoveEvent(event);
    }
}

void ListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) {
        Q_EMIT rowOpened(index.row());
    }
}

void ListView::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selectedRow() >= 0) {
            Q_EMIT rowOpened(selectedRow());
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (plain) {
            const int before = selectedRow();
            const int row = before < 0 ? 0 : before + (event->key() == Qt::Key_Up ? -1 : 1);
            if (row >= 0 && row < model()->rowCount() && row != before) {
                selectRow(row);
                Q_EMIT rowChosen(row);
            }
        }
        break;
    default:
        // Home, End, the page keys and typing would jump to a row the user never saw: in the
        // loaded folders that would uninstall a folder nobody chose. They do nothing.
        break;
    }
}

void ListView::keyboardSearch(const QString &)
{
    // No jumping to a row by typing its first letters, for the same reason.
}

QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex &,
                                                               const QEvent *) const
{
    // Only this class changes the selection, and only to another row: the user cannot
    // clear it (Ctrl+click, Ctrl+Space) once a row is chosen.
    return QItemSelectionModel::NoUpdate;
}
