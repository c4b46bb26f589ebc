// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/busy.h"

#include <QApplication>
#include <QProgressDialog>

BusyWork::BusyWork(QWidget *window, const QString &what) : window_(window), what_(what)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    started_.start();
    painted_.start();
}

BusyWork::~BusyWork()
{
    delete dialog_;
    QApplication::restoreOverrideCursor();
}

void BusyWork::progress(std::size_t done, std::size_t total)
{
    constexpr qint64 patience = 500; // ms before the user is shown how far the work is
    constexpr qint64 frame = 40;     // ms between repaints
    if (painted_.elapsed() < frame || started_.elapsed() < patience) {
        return;
    }
    painted_.restart();
    if (!dialog_) {
        dialog_ = new QProgressDialog(window_);
        dialog_->setWindowTitle(window_->windowTitle());
        dialog_->setCancelButton(nullptr);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->show();
    }
    dialog_->setMaximum(int(total));
    dialog_->setValue(int(done));
    dialog_->setLabelText(
        QApplication::translate("Kestro", "%1: %2 of %3 files").arg(what_).arg(done).arg(total));
    // Paint, but let no click or key reach a handler before this work is done.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
