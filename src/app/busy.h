// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include <cstddef>

class QProgressDialog;
class QWidget;

// Shows that the window is at work: a busy cursor at once, and a progress dialog without a
// cancel button once the work has taken more than half a second. The window keeps painting,
// but takes no input until the work is done.
class BusyWork final
{
    Q_DISABLE_COPY_MOVE(BusyWork)

public:
    BusyWork(QWidget *window, const QString &what);
    ~BusyWork();

    void progress(std::size_t done, std::size_t total);

private:
    QWidget *window_;
    QString what_;
    QElapsedTimer started_;
    QElapsedTimer painted_;
    QPointer<QProgressDialog> dialog_;
};
