#pragma once

#include <QString>

// Whether a path is opened as a disc rather than handed to the engine as a media file: a
// folder, a drive's block device, or a regular file named like a disc image (".iso"). The one
// check every road and the session share, so that a path a menu opens as a disc is never
// refused as one when it plays.
bool IsDiscLocation(const QString &path);
