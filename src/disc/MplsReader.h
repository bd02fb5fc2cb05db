#pragma once

#include "disc/MplsPlayItem.h"
#include "disc/MplsStream.h"

#include <QByteArrayView>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <memory>

// Reads Blu-ray playlist files: the clips a title plays, its chapter starts and the audio and
// subtitle streams of its last clip (their coding types and language codes, which
// StreamMenuName turns into menu texts). One reader serves a whole disc scan and keeps one large
// buffer for all of its files.
class MplsReader
{
public:
    enum Result : int
    {
        Ok = 0,
        TooShort = 1,            // fewer than 20 bytes
        NotPlaylist = 2,         // the file does not start with "MPLS"
        TooManyVideoStreams = 3, // the last item lists more than 3 primary video streams
        // An offset, count or length in the file points outside it. Negative so that it
        // never reads as one of the errno values that a failed open returns.
        Malformed = -1,
    };

    // Larger files are cut to this size; real playlists are a few kilobytes.
    static constexpr qint64 BufferSize = 10485760;

    MplsReader();
    ~MplsReader();
    MplsReader(const MplsReader &) = delete;
    MplsReader &operator=(const MplsReader &) = delete;

    // Returns a Result, or the errno of a failed open. On success the outputs are replaced
    // (the chapter marks only, when the playlist is rejected as a looping one); on any error
    // they keep what the caller put in them.
    int ReadPlaylist(const QString &path, QVector<MplsPlayItem> &playItemsOut,
                     QVector<MplsStream> &subtitlesOut, QVector<MplsStream> &audioOut,
                     QVector<quint32> &marksOut);
    // The same for a playlist that is already in memory.
    int ReadPlaylistData(QByteArrayView bytes, QVector<MplsPlayItem> &playItemsOut,
                         QVector<MplsStream> &subtitlesOut, QVector<MplsStream> &audioOut,
                         QVector<quint32> &marksOut);

    // The video format of the last play item's first video stream in the playlist read last
    // (1 480i, 2 576i, 3 480p, 4 1080i, 5 720p, 6 1080p, 7 576p); 0 when it has none.
    int VideoFormat() const { return videoFormat; }
    // The same stream's coding type (0x1B H.264, 0x24 HEVC, ...), 0 when there is none; for
    // HEVC its dynamic range (high four bits: 0 SDR, 1 HDR10, 2 Dolby Vision) and colour
    // space (low four bits: 1 BT.709, 2 BT.2020), else 0.
    int VideoCodingType() const { return videoCodingType; }
    int VideoRangeColour() const { return videoRangeColour; }
    // Every play item's streams in the playlist read last (empty when it was refused or
    // handed out as empty).
    const QVector<MplsItemStreams> &ItemStreams() const { return itemStreams; }

private:
    int ParseHeader();
    int ParsePlayList();
    int ParsePlayItem();
    int ParseStreamTable();
    void ParseStreamEntry();
    void ParseMarks();

    // Bounds-checked big-endian reads. A read outside the data, or outside the play item
    // being read, returns zeros and marks the whole file as malformed, so that no half-read
    // playlist is ever handed out.
    quint8 ByteAt(qint64 offset);
    quint16 Word16At(qint64 offset);
    quint32 Word32At(qint64 offset);
    QByteArrayView BytesAt(qint64 offset, qint64 count);

    QVector<MplsPlayItem> playItems;
    QVector<quint32> marks;
    std::unique_ptr<char[]> buffer;
    qint64 cursor = 0;
    qint64 playListOffset = 0;
    qint64 markOffset = 0;
    quint32 totalMs = 0;
    QVector<MplsStream> pgSubtitles;
    QVector<MplsStream> textSubtitles;
    QVector<MplsStream> audioStreams;
    int videoFormat = 0;
    int videoCodingType = 0;
    int videoRangeColour = 0;
    QVector<MplsItemStreams> itemStreams;

    // The bytes being parsed: the buffer after a file read, or the caller's bytes.
    const uchar *data = nullptr;
    qint64 size = 0;
    // End of what may be read now: the data, or the declared end of the current play item.
    // Keeping each item inside its own length stops items from overlapping, which bounds
    // the work that any file can cause by its size.
    qint64 limit = 0;
    bool outOfBounds = false;
    bool describeStreams = false;
};
