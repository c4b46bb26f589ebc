// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/picturearea.h"

#include "core/textfile.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixmap>

// Larger files are not pictures anyone puts beside an add-on; reading them whole would stall.
static constexpr std::size_t pictureLimit = std::size_t(256) << 20;

PictureArea::PictureArea(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
}

Outcome PictureArea::showPicture(const std::string &path)
{
    // Read by its bytes: Qt's own file names cannot hold every name the system can.
    std::string bytes;
    if (Outcome failed = readFile(path, bytes, pictureLimit)) {
        return failed;
    }
    QBuffer file;
    file.setData(bytes.data(), qsizetype(bytes.size()));
    file.open(QIODevice::ReadOnly);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    // Decoding straight to the size shown keeps a huge picture quick where the format allows.
    const QSize full = reader.size();
    const QSize shown = size() * devicePixelRatioF();
    if (full.isValid() &&
        (full.width() > shown.width() * 2 || full.height() > shown.height() * 2)) {
        reader.setScaledSize(shown);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return Failure{tr("show the picture"), path, reader.errorString()};
    }
    setPixmap(QPixmap::fromImage(image));
    return {};
}

void PictureArea::clearPicture()
{
    clear();
}

bool PictureArea::hasPicture() const
{
    return !pixmap().isNull();
}
