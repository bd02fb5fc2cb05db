#pragma once

#include <QRect>
#include <QSize>

// Where a picture of the given shape goes in an area: as large as fits without changing its
// shape, centred, with bars on the two other sides. An unknown picture (empty size) fills
// the area.
QRect LetterboxRect(QSize area, QSize picture);
