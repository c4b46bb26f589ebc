// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

#include <QLabel>

// The picture area: any picture put into it fills it exactly, stretched or shrunk.
class PictureArea final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureArea)

public:
    explicit PictureArea(QWidget *parent = nullptr);

    // Shows the picture in a file, whatever its format and name say. On failure the area
    // keeps what it showed.
    [[nodiscard]] Outcome showPicture(const std::string &path);
    void clearPicture();
    bool hasPicture() const;
};
