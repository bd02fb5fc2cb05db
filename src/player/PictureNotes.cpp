#include "player/PictureNotes.h"

namespace {

constexpr int HevcCodingType = 0x24;
constexpr int Format2160p = 8;
constexpr int DynamicRangeSdr = 0;
constexpr int ColourSpaceBt2020 = 2;

} // namespace

int PictureNotes::Decide(const TitlePicture &picture, int processorCores)
{
    if (picture.codingType != HevcCodingType)
        return None;
    int notes = None;
    if (picture.format == Format2160p && processorCores < CoresFor2160p)
        notes |= MayNotKeepUp;
    // The engine draws through XVideo or plain X11 in the screen's own colours: a PQ or
    // BT.2020 picture reaches the screen as if it were BT.709, pale and dim.
    const int range = picture.rangeColour >> 4;
    const int colours = picture.rangeColour & 0x0F;
    if (range != DynamicRangeSdr || colours == ColourSpaceBt2020)
        notes |= HdrWithoutToneMapping;
    return notes;
}
