#pragma once

#include "player/PlaybackState.h"

#include <QtGlobal>

class DRUI;

// The window as the desktop's media controls see it: its state in one piece, and the
// requests they make, each through the window's own operations.
class WindowRemote
{
public:
    explicit WindowRemote(DRUI &window) : w(window) {}

    PlaybackState State() const;
    void PlayPause();
    void Play();
    void Pause();
    void Stop();
    void Next();
    void Previous();
    void SeekTo(qint64 second);
    void SetVolume(int percent);
    // Opens a file or folder as one handed over by a second start would be. One that does
    // not exist leaves whatever plays alone: the reason goes to the log, and into a notice
    // when the window is in front (a notice over another program would only get in the way).
    // Returns whether it was opened.
    bool Open(const QString &path);

private:
    // A picture of the disc as a file, for the desktop's cover art.
    QString ArtPath() const;

    DRUI &w;
};
