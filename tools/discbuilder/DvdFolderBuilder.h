#pragma once

#include <QString>

#include <QVector>

// Builds a DVD folder (VIDEO_TS with one title, or the titles listed) that the real engine
// plays as dvd://1, dvd://2 ..., with ffmpeg and dvdauthor: a PAL test picture and a tone.
class DvdFolderBuilder
{
public:
    struct Title
    {
        int seconds = 8;
        QVector<double> chapterSeconds; // chapter starts after the first, which is at 0
    };

    int seconds = 8;       // the one title's length when titles is empty
    QVector<Title> titles; // in the order dvd://1, dvd://2 ...
    QString streamCache;   // where the made program stream is kept; empty: only for this build

    // Writes discFolder/VIDEO_TS (and AUDIO_TS). Returns false with a reason.
    bool Build(const QString &discFolder, QString *error = nullptr) const;
};
