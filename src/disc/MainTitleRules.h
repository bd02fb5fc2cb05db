#pragma once

#include <QVector>
#include <QtGlobal>

// What libbluray weighs when it guesses a disc's main title (bd_get_main_title), read from
// one playlist file as libbluray reads it.
struct MainTitleFacts
{
    quint32 ticks = 0;    // the sum of OUT - IN over the play items, 45 kHz, as a 32-bit sum
    int chapters = 0;     // entry marks
    int videoFormat = 0;  // first item: 2 for 2160p, 1 for 1080i/1080p, 0 for anything else
    int videoCodec = 0;   // first item: 2 for HEVC, 1 for H.264/VC-1, 0 for MPEG-1/2
    bool hdAudio = false; // first item: as libbluray tests it (see MainTitleRules.cpp)
    int streamScore = 0;  // twice the most audio streams of any item, plus its most PG streams
};

namespace MainTitleRules {

// libbluray's pairwise guess: > 0 when `held` is the better main title, < 0 when
// `candidate` is, 0 when neither. Over 30 minutes both: more chapters when one has fewer
// than two and they differ by more than five, then the better picture (resolution, then
// codec), then HD audio; then the longer; then more audio and subtitle streams.
int Compare(const MainTitleFacts &candidate, const MainTitleFacts &held);

// The main title of playlists in listing order, as libbluray walks them: each one takes the
// place of the one held so far unless that one is better, so of equals the last one wins.
// -1 for an empty list.
int Pick(const QVector<MainTitleFacts> &playlists);

} // namespace MainTitleRules
