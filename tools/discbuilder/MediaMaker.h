#pragma once

#include "ClipTiming.h"
#include "DiscAudioFormat.h"

#include <QByteArray>
#include <QPair>
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
        // For checking a player's clock against the picture (all off by default):
        // where the clip's time stamps start, in milliseconds (-1: ffmpeg's own start, moved
        // by timestampOffsetSeconds); at least ffmpeg's own 1.4 s.
        qint64 firstTimestampMs = -1;
        // The clip's length in milliseconds when it is not a whole number of seconds (a
        // multiple of a frame, 40 ms); 0: seconds.
        int lengthMs = 0;
        // Every frame shows its time on the title's clock (titleStartMs for the clip's first
        // frame) in digits and as a bar code that TitleTimeBarCode reads back.
        bool burnTitleTime = false;
        qint64 titleStartMs = 0;
        // When the subtitle streams' first line comes, in milliseconds into the clip; the
        // lines then come every two seconds.
        int firstSubtitleLineMs = 1000;
    };

    // A Blu-ray stream (192-byte packets, padded to whole aligned units) and its timing.
    bool MakeClip(const ClipRequest &request, QString &path, ClipTiming &timing, QString *error);
    // A JPEG picture of the given size.
    bool MakeJpeg(int width, int height, QString &path, QString *error);
    // A PAL DVD program stream of the given length, as dvdauthor takes it.
    bool MakeDvdProgramStream(int seconds, QString &path, QString *error);

    // A media file as viewers keep them: a picture (or none), tones, text subtitle streams,
    // chapters and tags, in the container its suffix names. Every field is part of the
    // recipe, so two requests that differ anywhere never share a made file.
    struct FileRequest
    {
        QString suffix = QStringLiteral("mkv");
        int seconds = 4;
        // An ffmpeg picture source ("testsrc", "color=c=black"); empty: a file of sound only.
        QString picture = QStringLiteral("testsrc");
        int width = 320;
        int height = 240;
        int framesPerSecond = 25;
        QString videoCodec = QStringLiteral("mpeg4");
        int keyFrameInterval = 0;  // frames between key frames; 0: the coder's own choice
        bool interlaced = false;   // coded as fields, top field first
        QString pictureFilter;     // ffmpeg's -vf, e.g. to change the picture's shape
        QStringList codingOptions; // further coder options, e.g. {"-preset", "ultrafast"}
        struct Tone
        {
            int frequency = 440;
            QString language;
            QString title;
        };
        QVector<Tone> tones;
        QString audioCodec = QStringLiteral("mp2");
        struct TextStream
        {
            QByteArray subRip; // the stream's lines as an .srt file holds them
            QString language;
            QString title;
        };
        QVector<TextStream> subtitles;
        struct Chapter
        {
            int startMs = 0;
            int endMs = 0;
            QString title;
        };
        QVector<Chapter> chapters;
        QVector<QPair<QString, QString>> tags; // the file's own: title, comment ...
    };

    bool MakeFile(const FileRequest &request, QString &path, QString *error);
    // The same, copied to TARGET: for a test that needs a name of its own, or a file beside
    // it, or a file it may change.
    bool MakeFileAs(const FileRequest &request, const QString &target, QString *error);

    QString CacheFolder() const { return folder; }

    // A presentation-graphics subtitle stream (.sup): a white bar near the bottom of the
    // picture for 1.5 s every 2 s from the first second on, in a column of its own for
    // each stream INDEX (0, 1, 2; left, middle, right).
    static QByteArray SubtitleStream(int seconds, int width, int height, int index,
                                     int firstLineMs = 1000);

    // The bar code burned into clips with burnTitleTime: two rows of Bits blocks across the
    // top of the picture, each RowHeight of its height; the upper row holds the frame's
    // number on the title's clock (25 a second, as a 16-bit two's complement number, lowest
    // bit left), the lower row the same bits inverted, so that a picture caught between two
    // frames reads as no number at all.
    struct TitleTimeBarCode
    {
        static constexpr int Bits = 16;
        static constexpr int FramesPerSecond = 25;
        static constexpr double RowHeight = 1.0 / 10;
        // The ffmpeg filters that draw it (and the time in digits below it) for a clip whose
        // first frame is at titleStartMs on the title's clock.
        static QString Filters(qint64 titleStartMs, int width, int height);
    };

private:
    QString CachePath(const QStringList &recipe, const QString &suffix) const;
    static bool RunFfmpeg(const QStringList &arguments, QString *error);

    std::unique_ptr<QTemporaryDir> privateFolder;
    QString folder;
};
