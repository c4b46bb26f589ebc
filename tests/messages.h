#pragma once

#include <QStringList>

#include <memory>

class QTimer;

// Collects the message boxes the window shows while it lives, and closes each at once, so
// that a test can drive a handler that reports a failure and then read what it said.
class Messages
{
public:
    Messages();
    ~Messages();

    const QStringList &texts() const { return texts_; }
    // The only message shown so far, or an empty text; fails the test if there were more.
    QString only() const;
    void clear() { texts_.clear(); }

private:
    QStringList texts_;
    std::unique_ptr<QTimer> timer_;
};
