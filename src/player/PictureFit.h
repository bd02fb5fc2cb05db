#pragma once

#include <QRect>
#include <QSize>

// Where a picture of the given shape goes in an area: as large as fits without changing its
// shape, centred, with bars on the two other sides. An unknown picture (empty size) fills
// the area.
QRect LetterboxRect(QSize area, QSize picture);

// The picture's shape a Blu-ray title's playlist promises (its video format as the playlist
// codes it): high-definition formats are 16:9 by definition; standard definition may be
// 4:3 or 16:9, so its shape stays unknown (empty) until the engine shows the picture.
QSize BluRayPictureShape(int videoFormat);
