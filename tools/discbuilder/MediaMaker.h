#pragma once

#include "ClipTiming.h"
#include "DiscAudioFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QTemporaryDir;

// Makes the media files of test discs with ffmpeg (and dvdauthor for DVDs) and keeps each
// file it made, under a name derived from how it was made, so that a file asked for twice
// (by two clips, two discs or two runs sharing a cache folder) is made once.
class MediaMaker
{
public:
    // cacheFolder: where made files are kept; empty means a private temporary folder that
    // lives as long as this maker.
    explicit MediaMaker(const QString &cacheFolder = QString());
    ~MediaMaker();
    MediaMaker(const MediaMaker &) = delete;
    MediaMaker &operator=(const MediaMaker &) = delete;

    struct ClipRequest
    {
        int seconds = 4;
        QVector<QByteArray> audioLanguages{"eng"}; // one AC-3 stream each
        QVector<QByteArray> subtitleLanguages;     // one presentation-graphics stream each
        int timestampOffsetSeconds = 0;            // ffmpeg's -output_ts_offset
        // 1920x1080 in H.264 High profile, as films on shop discs are; else a small picture
        // that is quick to make. Both carry B-frames, as every shop disc does.
        bool fullHd = false;
        // How each audio stream is coded, in the order of audioLanguages; streams past its
        // end are AC-3 stereo.
        QVector<DiscAudioFormat> audioFormats;
        // An Ultra HD picture instead: 3840x2160 HEVC Main 10 with HDR10 (BT.2020, PQ)
        // signalling, as UHD discs carry. Slow to encode: keep such clips to a few seconds.
        bool uhdHevc = false;
    };

    // A Blu-ray stream (192-byte packets, padded to whole aligned units) and its timing.
    bool MakeClip(const ClipRequest &request, QString &path, ClipTiming &timing, QString *error);
    // A JPEG picture of the given size.
    bool MakeJpeg(int width, int height, QString &path, QString *error);
    // A PAL DVD program stream of the given length, as dvdauthor takes it.
    bool MakeDvdProgramStream(int seconds, QString &path, QString *error);

    QString CacheFolder() const { return folder; }

    // A presentation-graphics subtitle stream (.sup): a white bar near the bottom of the
    // picture for 1.5 s every 2 s from the first second on, in a column of its own for
    // each stream INDEX (0, 1, 2; left, middle, right).
    static QByteArray SubtitleStream(int seconds, int width, int height, int index);

private:
    QString CachePath(const QStringList &recipe, const QString &suffix) const;
    static bool RunFfmpeg(const QStringList &arguments, QString *error);

    std::unique_ptr<QTemporaryDir> privateFolder;
    QString folder;
};
