#pragma once

// Test media through the disc builder's caching media maker.
#include "MediaMaker.h"

#include <QString>

// Where the tests keep the media they make, so that a later run, or another test asking for
// the same file, finds it made: ORVEL_DISCBUILDER_CACHE when set, else a folder in the build
// tree.
inline QString TestMediaCache()
{
    const QString chosen = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    return chosen.isEmpty() ? QStringLiteral(ORVEL_BUILD_DIR "/test-media") : chosen;
}

// Makes the file at PATH (a copy of the cached one, the test's own to name and change);
// false, with the reason in ERROR, when it cannot.
inline bool MakeTestMedia(const MediaMaker::FileRequest &request, const QString &path,
                          QString *error = nullptr)
{
    return MediaMaker(TestMediaCache()).MakeFileAs(request, path, error);
}
