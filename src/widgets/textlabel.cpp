// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/textlabel.h"

using namespace Qt::StringLiterals;

TextLabel::TextLabel(QWidget *parent) : QLabel(parent)
{
    // Text from the file system is never markup, whatever it looks like.
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignTop | Qt::AlignLeft);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void TextLabel::setCaption(const QString &caption)
{
    caption_ = caption;
    QString shown = caption;
    shown.replace(u"\r\n"_s, u"\n"_s);
    setText(shown);
}
