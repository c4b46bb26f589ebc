// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <utility>

// Collects the text of each message box the window shows while it lives and closes the box at
// once. A message that the test never took fails the test.
class Messages
{
public:
    Messages()
    {
        // A message box runs its own event loop, in which this timer still fires.
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                // Text from the file system must never be taken for markup.
                const bool plain = box->textFormat() == Qt::PlainText;
                texts_ << (plain ? QString() : QStringLiteral("(not plain) ")) + box->text();
                if (telling) {
                    QTextStream(stdout) << "shown: " << texts_.last() << Qt::endl;
                }
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start(10);
    }
    ~Messages() { QVERIFY2(texts_.isEmpty(), qPrintable(texts_.join(u'|'))); }

    // The messages shown since the last take, each after the first on a line of its own: one
    // message reads as itself, and none as an empty text.
    QString take() { return std::exchange(texts_, {}).join(QStringLiteral("\n(then) ")); }

    // Tells each message on the standard output as it comes too, for a process that may never end.
    bool telling = false;

private:
    QStringList texts_;
    QTimer timer_;
};
