#pragma once

#include <QString>

#include <optional>

// What a resume entry is stored under. A media file is named by its absolute path, and its
// size and modification time must still match for the entry to count, so that a file that
// was replaced or cut starts over; a DVD by its folder or image and title number; a Blu-ray
// by its folder or image and the title's playlist name ("00800.mpls").
struct ResumeKey
{
    enum class Kind
    {
        MediaFile,
        Dvd,
        BluRay,
    };

    Kind kind = Kind::MediaFile;
    QString path;
    QString title;        // DVD: the title number; Blu-ray: the playlist; file: empty
    qint64 size = -1;     // media file only
    qint64 modified = -1; // media file only: milliseconds since the epoch

    // The key of a media file as it is now; nothing when path is no regular file (a missing
    // file, a folder, a named pipe). A relative path is made absolute.
    static std::optional<ResumeKey> ForMediaFile(const QString &path);
    static ResumeKey ForDvd(const QString &path, int title);
    static ResumeKey ForBluRay(const QString &path, const QString &playlist);

    // Whether both name the same source, whatever its size and time.
    bool SameSource(const ResumeKey &other) const
    {
        return kind == other.kind && path == other.path && title == other.title;
    }
};

// Where a session was left and with which choices.
struct ResumePoint
{
    enum class Subtitles
    {
        EngineDefault, // nothing chosen: whatever the engine shows by itself
        Off,
        Stream, // the film's own stream subtitleIndex, from 0
        File,   // the subtitle file subtitleFile
    };

    qint64 position = 0; // whole seconds
    int audio = -1;      // audio stream from 0; -1: the engine's choice
    Subtitles subtitles = Subtitles::EngineDefault;
    int subtitleIndex = -1;
    QString subtitleFile;
    int volume = 100; // 0 to 100
    // The sound's and the subtitles' delay in milliseconds; 0 in entries kept before delays
    // were.
    int audioDelayMs = 0;
    int subtitleDelayMs = 0;
    qint64 savedAt = 0; // seconds since the epoch; the oldest entries go first
};
