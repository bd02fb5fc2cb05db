#pragma once

#include <QString>

// Builds a DVD folder (VIDEO_TS with one title) that the real engine plays as dvd://1,
// with ffmpeg and dvdauthor: a PAL test picture and a tone.
class DvdFolderBuilder
{
public:
    int seconds = 8;
    QString streamCache; // where the made program stream is kept; empty: only for this build

    // Writes discFolder/VIDEO_TS (and AUDIO_TS). Returns false with a reason.
    bool Build(const QString &discFolder, QString *error = nullptr) const;
};
