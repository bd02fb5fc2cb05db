#pragma once

// What a playback session plays. The numbers are the ones playlist records keep.
enum class SourceKind : int
{
    MediaFile = 0,
    Dvd = 1,
    BluRay = 2,
};
