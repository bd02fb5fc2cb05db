#pragma once

#include <QString>
#include <QtGlobal>

// What the desktop's media controls may know of the session, taken from the window in one
// piece so that changes can be found by comparing two of them.
struct PlaybackState
{
    enum class Status
    {
        Stopped,
        Playing,
        Paused
    };

    Status status = Status::Stopped;
    // The source playing or paused; empty when stopped.
    QString path;
    // The name shown for it: the disc's name for a Blu-ray, else the file name.
    QString title;
    // A picture of the disc as a local file, when the disc page shows one.
    QString artPath;
    qint64 durationSec = 0;
    // The front end's clock, the position the window shows.
    qint64 positionMs = 0;
    int volumePercent = 0;
    // The playback speed, 1.0 for normal.
    double rate = 1.0;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canSeek = false;

    bool operator==(const PlaybackState &other) const
    {
        return status == other.status && path == other.path && title == other.title &&
               artPath == other.artPath && durationSec == other.durationSec &&
               positionMs == other.positionMs && volumePercent == other.volumePercent &&
               rate == other.rate && canGoNext == other.canGoNext &&
               canGoPrevious == other.canGoPrevious && canSeek == other.canSeek;
    }
    bool operator!=(const PlaybackState &other) const { return !(*this == other); }
};
