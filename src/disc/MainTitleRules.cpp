#include "disc/MainTitleRules.h"

namespace {

constexpr quint32 ThirtyMinutes = 30 * 60 * 45000;

} // namespace

namespace MainTitleRules {

int Compare(const MainTitleFacts &candidate, const MainTitleFacts &held)
{
    const MainTitleFacts &p1 = candidate;
    const MainTitleFacts &p2 = held;
    if (p1.ticks > ThirtyMinutes && p2.ticks > ThirtyMinutes) {
        const int chapterDifference = p2.chapters - p1.chapters;
        if ((p1.chapters < 2 || p2.chapters < 2) &&
            (chapterDifference < -5 || chapterDifference > 5))
            return chapterDifference;
        if (p1.videoFormat != p2.videoFormat)
            return p2.videoFormat - p1.videoFormat;
        if (p1.videoCodec != p2.videoCodec)
            return p2.videoCodec - p1.videoCodec;
        if (p1.hdAudio != p2.hdAudio)
            return int(p2.hdAudio) - int(p1.hdAudio);
    }
    if (p1.ticks != p2.ticks)
        return p1.ticks < p2.ticks ? 1 : -1;
    return p2.streamScore - p1.streamScore;
}

int Pick(const QVector<MainTitleFacts> &playlists)
{
    int held = playlists.isEmpty() ? -1 : 0;
    for (int i = 0; i < playlists.size(); ++i) {
        if (Compare(playlists[i], playlists[held]) <= 0)
            held = i;
    }
    return held;
}

} // namespace MainTitleRules
