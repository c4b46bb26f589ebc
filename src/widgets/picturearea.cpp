#include "widgets/picturearea.h"

#include "core/textfile.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>

#include <unistd.h>

PictureArea::PictureArea(QWidget *parent) : QLabel(parent)
{
    setScaledContents(true);
}

Outcome PictureArea::showPicture(const std::string &path)
{
    // Read by its bytes: Qt's own file names cannot hold every name the system can.
    int fd;
    if (Outcome failed = openRegularFile(path, fd)) {
        return failed;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure{tr("open"), path, file.errorString()};
    }
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
