#pragma once

#include "ClipTiming.h"
#include "DiscAudioFormat.h"
#include "MplsWriter.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

// Builds a Blu-ray folder that the real engine plays (DISC/BDMV/PLAYLIST, CLIPINF, STREAM,
// and optionally index.bdmv, MovieObject.bdmv and META/DL/bdmt_eng.xml with a thumbnail),
// laid out as libbluray reads it: 192-byte packets in whole aligned units, a clip
// information file with an EP map per clip (without one the engine crashes on the title),
// playlist times at 45 kHz. Describe the clips and playlists, then call Build():
//
//     BluRayFolderBuilder disc;
//     disc.AddClip("00001", 6, {"eng", "fra"}, {"eng"});
//     disc.AddPlaylist("00001.mpls", {"00001"}, {0, 3000});
//     disc.AddByteCopy("00002.mpls", "00001.mpls");
//     disc.metadata.name = "My Disc";
//     disc.Build("/tmp/DISC", &error);
//
// Streams are made by ffmpeg once per distinct clip description and kept in the stream
// cache; playlists only reference clips, so any number of playlists costs no extra ffmpeg
// run. Synthetic clips have a clip information file but no stream at all, for discs that are
// only scanned (benchmarks), never played.
class BluRayFolderBuilder
{
public:
    struct Clip
    {
        QByteArray id = "00001"; // five digits: STREAM/<id>.m2ts and CLIPINF/<id>.clpi
        int seconds = 4;
        QVector<QByteArray> audioLanguages{"eng"}; // one AC-3 stream each, PIDs 0x1100 up
        QVector<QByteArray> subtitleLanguages;     // one graphics stream each, PIDs 0x1200 up
        bool synthetic = false;
        // Moves the clip's time stamps, so that a clip that follows another in a playlist
        // does not go back in time.
        int timestampOffsetSeconds = 0;
        bool fullHd = false; // 1920x1080 H.264 High profile instead of a small picture
        // What the playlists say of the video: H.264 (0x1B) or MPEG-2 (0x02), and format and
        // rate (0x61: 1080p at 23.976; 0x51: 720p) — decoys differ from the film in these.
        quint8 videoCodingType = 0x1B;
        quint8 videoFormatRate = 0x61;
        // How each audio stream is coded (DiscAudioFormat), in the order of audioLanguages;
        // streams past its end are AC-3 stereo. The playlists give each its coding type and
        // channel layout.
        QVector<DiscAudioFormat> audioFormats;
        // A 2160p HEVC Main 10 HDR10 picture; the playlists say HEVC, 2160p, HDR10, BT.2020.
        bool uhdHevc = false;
        // For checking a player's clock and stream choice (MediaMaker::ClipRequest):
        // the clip's first time stamp in milliseconds (-1: from timestampOffsetSeconds),
        // the title's time burned into every frame from titleStartMs on, and the first
        // subtitle line's time into the clip.
        qint64 firstTimestampMs = -1;
        int lengthMs = 0; // instead of seconds, a multiple of 40 ms
        bool burnTitleTime = false;
        qint64 titleStartMs = 0;
        int firstSubtitleLineMs = 1000;
        // The order in which playlists list the audio streams, as indexes into
        // audioLanguages (whose PIDs run from 0x1100 up); empty: PID order.
        QVector<int> playlistAudioOrder;
    };

    // One play item: a clip, optionally cut at either end.
    struct Item
    {
        QByteArray clip;
        int trimStartMs = 0;
        int trimEndMs = 0;
        quint8 connection = 1; // 1 not seamless, 5 or 6 seamless
    };

    enum class PlaylistKind
    {
        Normal,         // items and chapters, written with MplsWriter
        ByteCopy,       // the bytes of `source`
        StructuralCopy, // the content of `source` in other bytes: another version, trailing bytes
        Raw,            // `bytes` as they are (text, truncated or damaged files)
        Folder,         // a folder of this name in PLAYLIST
    };

    struct Playlist
    {
        QString fileName; // "00001.mpls", or any other name ("12.mpls", "00040.bak")
        PlaylistKind kind = PlaylistKind::Normal;
        QVector<Item> items;
        QVector<qint64> chapterMs; // chapter starts on the playlist's timeline
        QByteArray version = "0200";
        QString source;   // the playlist a copy copies
        QByteArray bytes; // Raw
        // The video format the playlist gives its video stream (4 1080i, 6 1080p, ...); the
        // clip itself is coded the same whatever it says. 0: the clip's own (videoFormatRate).
        quint8 videoFormat = 0;
    };

    struct Metadata
    {
        bool write = false; // write META/DL/bdmt_eng.xml
        QByteArray name;    // put between <di:name> and </di:name> as it is (no escaping)
        QByteArray thumbnail = "x.jpg"; // the href value; empty: no thumbnail element
        bool writePicture = true;       // make the picture under that name
        int pictureWidth = 416;
        int pictureHeight = 240;
        QByteArray rawXml; // when not empty, written as the whole file instead
    };

    // AACS, as shop discs carry it: the streams scrambled with unitKey, the AACS folder's
    // files made for it (AacsWriter). The keys are ours, any 16 bytes.
    struct Aacs
    {
        bool enabled = false;
        QByteArray unitKey = QByteArray::fromHex("0123456789abcdeffedcba9876543210");
        QByteArray volumeUniqueKey = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    };

    QVector<Clip> clips;
    QVector<Playlist> playlists; // written in this order
    Metadata metadata;
    Aacs aacs;
    bool writeIndex = true; // index.bdmv and MovieObject.bdmv
    QString streamCache;    // where made streams are kept; empty: only for this build

    Clip &AddClip(const QByteArray &id, int seconds, const QVector<QByteArray> &audio = {"eng"},
                  const QVector<QByteArray> &subtitles = {});
    Clip &AddSyntheticClip(const QByteArray &id, int seconds,
                           const QVector<QByteArray> &audio = {"eng"},
                           const QVector<QByteArray> &subtitles = {});
    Playlist &AddPlaylist(const QString &fileName, const QVector<QByteArray> &clipIds,
                          const QVector<qint64> &chapterMs = {});
    Playlist &AddByteCopy(const QString &fileName, const QString &source);
    Playlist &AddStructuralCopy(const QString &fileName, const QString &source);
    // A playlist that plays one clip `times` times in a row (3 or more: libbluray drops it).
    Playlist &AddLoop(const QString &fileName, const QByteArray &clipId, int times = 3);
    Playlist &AddRaw(const QString &fileName, const QByteArray &bytes);
    Playlist &AddFolder(const QString &name);
    // Burns the title time of this (Normal) playlist into its clips' frames, each clip as the
    // playlist plays it (a clip in two playlists shows one of them). Such clips' items start at
    // their first picture rather than their first sound, so that the item's first frame shows
    // the item's place in the title. Call after the clips and the playlist are added.
    void BurnTitleTime(const QString &playlistName);
    // A clip's length in milliseconds as described (lengthMs or seconds).
    static int LengthMs(const Clip &clip)
    {
        return clip.lengthMs > 0 ? clip.lengthMs : clip.seconds * 1000;
    }

    // Sets the disc name and a thumbnail picture (metadata.write on).
    void SetDiscName(const QByteArray &name, const QByteArray &thumbnail = "x.jpg");

    // Writes the disc into discFolder (created when missing). Returns false with a reason.
    bool Build(const QString &discFolder, QString *error = nullptr);

    // After Build():
    QByteArray PlaylistBytes(const QString &fileName) const
    {
        return writtenPlaylists.value(fileName);
    }
    ClipTiming Timing(const QByteArray &clipId) const { return timings.value(clipId); }
    // The playlist's length as libbluray counts it: the sum of OUT - IN, in 45 kHz ticks.
    quint64 PlaylistTicks(const QString &fileName) const;
    // With aacs.enabled: the disc ID (SHA-1 of AACS/Unit_Key_RO.inf) and the line of a
    // libaacs key file that gives this disc's VUK.
    QByteArray DiscId() const { return discId; }
    QByteArray KeyFileEntry() const;

    // The playlist file of a Normal playlist, once the clips' timings are known.
    MplsWriter WriterFor(const Playlist &playlist) const;

    static QByteArray IndexBytes();
    static QByteArray MovieObjectBytes();
    static QByteArray MetadataXml(const Metadata &metadata);
    // The timing of a synthetic clip: ffmpeg's start at 1.4 s, 25 frames per second, a key
    // frame every second.
    static ClipTiming SyntheticTiming(int seconds);

    // The benchmark disc: playlistCount playlists (MPLS and CLPI only) over four synthetic
    // clips, with about one byte copy in 20, one structural copy in 50 and one loop in 25.
    static BluRayFolderBuilder BenchmarkDisc(int playlistCount);

private:
    QHash<QByteArray, ClipTiming> timings;
    QHash<QString, QByteArray> writtenPlaylists;
    QHash<QString, quint64> playlistTicks;
    QByteArray discId;
};
