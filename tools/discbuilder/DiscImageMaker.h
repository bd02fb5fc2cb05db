#pragma once

#include <QString>

// Makes a UDF image (.iso) of a disc folder with genisoimage, as disc images are commonly
// made; the image's directories list their names sorted, whatever order the folder had.
// Returns false with a message in error when genisoimage is missing or fails.
bool MakeUdfImage(const QString &folder, const QString &imagePath, QString *error);
