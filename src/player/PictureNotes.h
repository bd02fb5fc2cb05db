#pragma once

#include <QtGlobal>

// What the disc page tells before a title plays about a picture this computer may not show
// well: an Ultra HD HEVC picture that the engine decodes in software, on too few processors
// to keep up, and an HDR picture, which the engine shows without tone mapping. GUI-free.
namespace PictureNotes {

// What the title's playlist says of its video (BluRayTitle's fields).
struct TitlePicture
{
    int codingType = 0;  // 0x24 HEVC, 0x1B H.264, ...
    int format = 0;      // 8 for 2160p, 6 for 1080p, ...
    int rangeColour = 0; // HEVC: dynamic range in the high four bits, colour space in the low
};

enum Note : int
{
    None = 0,
    MayNotKeepUp = 1,          // 2160p HEVC on fewer than CoresFor2160p processors
    HdrWithoutToneMapping = 2, // HDR10 or Dolby Vision, or BT.2020 colours
};

// Software HEVC decoding of 2160p at film rate needs about this many processors. On two
// cores the engine's decoder alone reached 18 of the film's 25 frames per second on a
// picture far simpler than a film's, and 4 with the player's whole video chain.
constexpr int CoresFor2160p = 4;

// The notes for this picture on a computer with processorCores processors, or-ed together.
int Decide(const TitlePicture &picture, int processorCores);

} // namespace PictureNotes
