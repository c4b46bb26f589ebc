#pragma once

#include <QStringList>

#include <memory>

class QTimer;

// Collects the text of each message box the window shows while it lives and closes the box at
// once. A message that the test never read fails the test.
class Messages
{
public:
    Messages();
    ~Messages();

    const QStringList &texts() const;
    // The only message shown so far, or an empty text; fails the test if there were more.
    QString only() const;
    void clear() { texts_.clear(); }

private:
    QStringList texts_;
    mutable bool read_ = true;
    std::unique_ptr<QTimer> timer_;
};
