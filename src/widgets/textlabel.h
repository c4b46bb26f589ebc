// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A fixed-size caption of plain text: it wraps at word boundaries, starts a new line at each
// carriage return and line feed, and cuts off what does not fit at the bottom. Its text
// reads back exactly as it was set.
class TextLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextLabel)

public:
    explicit TextLabel(QWidget *parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString &caption);

private:
    QString caption_;
};
