#pragma once

#include <QString>
#include <QtGlobal>

// What a user asks of the playback, whichever road it comes by: a key, a button, a menu row,
// a run-time menu entry (a chapter, a title, a stream, a recent file) or the desktop's media
// controls. Every road builds one of these and hands it to the same place, so that a key and
// a click can never do different things.
struct SessionRequest
{
    enum class Kind
    {
        PlayPause,     // the play button, Space, the Play/Pause entry
        Play,          // play unless already playing
        Pause,         // pause unless already paused
        Stop,          //
        SeekTo,        // value: the target in seconds
        Step,          // value: seconds to move, forward or back
        Next,          // the next chapter of a disc title, else the next playlist item
        Previous,      //
        Chapter,       // value: the chapter's start in milliseconds
        Title,         // path: the title key of the loaded disc
        AudioTrack,    // value: 0 disables, n is stream n
        SubtitleTrack, // value: 0 disables, n is stream n
        Volume,        // value: 0 to 100
        VolumeStep,    // value: the change
        ToggleMute,    //
        Balance,       // value: -1 left, 0 both, 1 right
        Snapshot,      //
        OpenPath,      // path: a file, or a disc folder
    };

    Kind kind = Kind::PlayPause;
    qint64 value = 0;
    QString path;

    static SessionRequest Of(Kind kind, qint64 value = 0) { return SessionRequest{kind, value, {}}; }
    static SessionRequest ForPath(Kind kind, const QString &path)
    {
        return SessionRequest{kind, 0, path};
    }
};
