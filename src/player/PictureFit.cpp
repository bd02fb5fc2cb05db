#include "player/PictureFit.h"

QSize BluRayPictureShape(int videoFormat)
{
    switch (videoFormat) {
    case 4: // 1080i
    case 5: // 720p
    case 6: // 1080p
    case 8: // 2160p
        return QSize(16, 9);
    default:
        return QSize();
    }
}

QRect LetterboxRect(QSize area, QSize picture)
{
    if (picture.isEmpty() || area.isEmpty())
        return QRect(QPoint(0, 0), area);
    const QSize fitted = picture.scaled(area, Qt::KeepAspectRatio);
    return QRect(QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2),
                 fitted);
}
