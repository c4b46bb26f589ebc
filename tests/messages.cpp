#include "messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

Messages::Messages() : timer_(std::make_unique<QTimer>())
{
    // A message box runs its own event loop, in which this timer still fires.
    timer_->setInterval(10);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            // Text from the file system must never be taken for markup.
            const bool plain = box->textFormat() == Qt::PlainText;
            texts_.append(plain ? box->text() : QStringLiteral("(not plain) ") + box->text());
            read_ = false;
            box->done(QMessageBox::Ok);
        }
    });
    timer_->start();
}

Messages::~Messages()
{
    if (!read_) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected: ") + texts_.join(u'|')), __FILE__,
                     __LINE__);
    }
}

const QStringList &Messages::texts() const
{
    read_ = true;
    return texts_;
}

QString Messages::only() const
{
    if (texts().size() > 1) {
        QTest::qFail(qPrintable(QStringLiteral("more than one message: ") + texts_.join(u'|')),
                     __FILE__, __LINE__);
    }
    return texts_.value(0);
}
