#include "player/PictureFit.h"

QRect LetterboxRect(QSize area, QSize picture)
{
    if (picture.isEmpty() || area.isEmpty())
        return QRect(QPoint(0, 0), area);
    const QSize fitted = picture.scaled(area, Qt::KeepAspectRatio);
    return QRect(QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2),
                 fitted);
}
