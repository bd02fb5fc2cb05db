#pragma once

#include "engine/EngineCommandLine.h"

// What a playback session plays. The numbers are the ones playlist records keep.
enum class SourceKind : int
{
    MediaFile = 0,
    Dvd = 1,
    BluRay = 2,
};

// How the engine is asked to open a source of this kind.
inline EngineSource EngineSourceFor(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Dvd:
        return EngineSource::DvdFolder;
    case SourceKind::BluRay:
        return EngineSource::BluRayFolder;
    case SourceKind::MediaFile:
        break;
    }
    return EngineSource::MediaFile;
}
