#include "disc/MplsReader.h"

#include "disc/ReadOnlyFile.h"

#include <cstring>

namespace {

// Every time in a playlist counts ticks of a 45 kHz clock.
constexpr quint32 TicksPerMs = 45;

constexpr quint8 MultiAngleFlag = 0x10;
constexpr quint8 EntryMarkType = 1;
constexpr qint64 MarkSize = 14;

// Coding types of the audio streams that the audio menu lists.
constexpr quint8 audioCodingTypes[] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0xA1, 0xA2};
// MPEG-1, MPEG-2, VC-1, H.264 and its multiview extension, HEVC.
constexpr quint8 videoCodingTypes[] = {0x01, 0x02, 0xEA, 0x1B, 0x20, 0x24};

constexpr quint8 HevcVideo = 0x24;
constexpr quint8 GraphicsSubtitle = 0x90;
constexpr quint8 InteractiveGraphics = 0x91;
constexpr quint8 TextSubtitle = 0x92;

} // namespace

MplsReader::MplsReader() = default;
MplsReader::~MplsReader() = default;

int MplsReader::ReadPlaylist(const QString &path, QVector<MplsPlayItem> &playItemsOut,
                             QVector<MplsStream> &subtitlesOut, QVector<MplsStream> &audioOut,
                             QVector<quint32> &marksOut)
{
    ReadOnlyFile file;
    const int openCode = file.Open(path);
    if (openCode != 0)
        return openCode;
    // Left uninitialised: only the pages that reads touch ever get memory.
    if (!buffer)
        buffer.reset(new char[BufferSize]);
    // Nearly every file is shorter than the buffer, so a short read is the normal case;
    // whatever arrived is parsed and the header check refuses what is too short.
    qint64 bytesRead = 0;
    file.ReadAt(buffer.get(), BufferSize, 0, bytesRead);
    return ReadPlaylistData(QByteArrayView(buffer.get(), bytesRead), playItemsOut, subtitlesOut,
                            audioOut, marksOut);
}

int MplsReader::ReadPlaylistData(QByteArrayView bytes, QVector<MplsPlayItem> &playItemsOut,
                                 QVector<MplsStream> &subtitlesOut, QVector<MplsStream> &audioOut,
                                 QVector<quint32> &marksOut)
{
    playItems.clear();
    itemStreams.clear();
    textSubtitles.clear();
    pgSubtitles.clear();
    audioStreams.clear();
    videoFormat = 0;
    videoCodingType = 0;
    videoRangeColour = 0;
    data = reinterpret_cast<const uchar *>(bytes.data());
    size = qMin<qint64>(bytes.size(), BufferSize);
    limit = size;
    cursor = 0;
    outOfBounds = false;

    int code = ParseHeader();
    if (outOfBounds)
        code = Malformed;
    data = nullptr;
    size = 0;
    limit = 0;
    if (code != Ok) {
        itemStreams.clear();
        return code;
    }

    marksOut = marks;
    // A playlist that plays the same clip in its second and third items is a looping menu
    // or filler, not a title: it is handed out as empty.
    if (playItems.size() > 2 && playItems.at(1).clipName == playItems.at(2).clipName) {
        itemStreams.clear();
        return Ok;
    }
    playItemsOut = playItems;
    audioOut = audioStreams;
    // Discs that carry both kinds of subtitle show the graphics ones.
    subtitlesOut = pgSubtitles.isEmpty() ? textSubtitles : pgSubtitles;
    return Ok;
}

int MplsReader::ParseHeader()
{
    if (size < 20)
        return TooShort;
    playListOffset = Word32At(8);
    markOffset = Word32At(12);
    if (std::memcmp(data, "MPLS", 4) != 0)
        return NotPlaylist;
    // The version is left unchecked: every known version lays these sections out alike.
    const int code = ParsePlayList();
    if (code != Ok || outOfBounds)
        return code;
    ParseMarks();
    return Ok;
}

int MplsReader::ParsePlayList()
{
    const qint16 itemCount = qint16(Word16At(playListOffset + 6));
    totalMs = 0;
    if (itemCount <= 0)
        return Ok;
    cursor = playListOffset + 10;
    int code = Ok;
    for (qint16 i = 0; i < itemCount && !outOfBounds; ++i) {
        // Only the last item's streams are kept: it is the one the engine's menus reflect.
        pgSubtitles.clear();
        textSubtitles.clear();
        audioStreams.clear();
        videoFormat = 0;
        videoCodingType = 0;
        videoRangeColour = 0;
        // Every item's streams are kept too: a title's items may offer different streams
        // (a logo without sound before the film).
        describeStreams = true;
        code = ParsePlayItem();
        itemStreams.append({audioStreams, pgSubtitles.isEmpty() ? textSubtitles : pgSubtitles});
    }
    return code;
}

int MplsReader::ParsePlayItem()
{
    const qint64 start = cursor;
    const qint16 length = qint16(Word16At(start));
    const qint64 end = start + 2 + length;
    limit = qMin(size, end);

    MplsPlayItem item;
    const QByteArrayView name = BytesAt(start + 2, 5);
    const QByteArrayView codec = BytesAt(start + 7, 4);
    const bool multiAngle = (ByteAt(start + 12) & MultiAngleFlag) != 0;
    // Each time is turned into milliseconds on its own before subtracting, so durations
    // add up exactly to what the chapter times are measured against.
    const quint32 inMs = Word32At(start + 14) / TicksPerMs;
    const quint32 outMs = Word32At(start + 18) / TicksPerMs;
    if (outOfBounds)
        return Malformed;
    item.clipName = QString::fromLatin1(name) + QLatin1Char('.') + QString::fromLatin1(codec);
    item.inTimeMs = qint32(inMs);
    item.durationMs = qint32(outMs - inMs);
    item.startMs = qint32(totalMs);
    totalMs += outMs - inMs;
    playItems.append(item);

    qint64 table = start + 34;
    if (multiAngle) {
        // The angle block lists 10 bytes for every angle after the first.
        const qint64 angles = ByteAt(start + 34);
        table = angles == 0 ? start + 36 : start + 26 + 10 * angles;
    }
    cursor = table + 4; // past the table's length and reserved bytes
    const int code = ParseStreamTable();
    limit = size;
    // Whatever the table held, the next item starts where this one says it ends.
    cursor = end;
    return code;
}

int MplsReader::ParseStreamTable()
{
    const qint64 table = cursor - 4;
    const qint8 videoCount = qint8(ByteAt(table + 4));
    const qint8 audioCount = qint8(ByteAt(table + 5));
    const qint8 subtitleCount = qint8(ByteAt(table + 6));
    if (videoCount > 3)
        return TooManyVideoStreams;
    // The three groups follow one another; each entry's coding type says what it is.
    const int entries =
        qMax<int>(videoCount, 0) + qMax<int>(audioCount, 0) + qMax<int>(subtitleCount, 0);
    cursor = table + 16;
    for (int i = 0; i < entries && !outOfBounds; ++i)
        ParseStreamEntry();
    return Ok;
}

void MplsReader::ParseStreamEntry()
{
    const qint64 entry = cursor;
    const qint64 entryLength = ByteAt(entry);
    const qint64 attributesLength = ByteAt(entry + 1 + entryLength);
    const quint8 codingType = ByteAt(entry + 2 + entryLength);
    // Where the PID sits depends on where the stream comes from: the item's own clip (1), a
    // sub-path's clip (2, 4: after its sub-path and clip ids) or a sub-path (3).
    const quint8 streamType = ByteAt(entry + 1);
    const qint64 pidAt = streamType == 3 ? 3 : streamType == 1 ? 2 : 4;
    const quint16 pid = entryLength >= pidAt + 1 ? Word16At(entry + pidAt) : 0;
    cursor = entry + 2 + entryLength + attributesLength;
    // The whole entry has to fit, even the attribute bytes that are never looked at.
    BytesAt(entry, cursor - entry);
    if (outOfBounds || !describeStreams)
        return;

    if (codingType == GraphicsSubtitle || codingType == InteractiveGraphics) {
        const QByteArrayView language = BytesAt(entry + 3 + entryLength, 3);
        if (!outOfBounds)
            pgSubtitles.append({codingType, language.toByteArray(), pid});
        return;
    }
    if (codingType == TextSubtitle) {
        // A text subtitle has its character code first, then the language.
        const QByteArrayView language = BytesAt(entry + 4 + entryLength, 3);
        if (!outOfBounds)
            textSubtitles.append({codingType, language.toByteArray(), pid});
        return;
    }
    for (const quint8 audioType : audioCodingTypes) {
        if (audioType != codingType)
            continue;
        // Audio has its format and sampling rate byte before the language.
        const QByteArrayView language = BytesAt(entry + 4 + entryLength, 3);
        if (!outOfBounds)
            audioStreams.append({codingType, language.toByteArray(), pid});
        return;
    }
    // Video leaves nothing for the menus; its format (the high four bits of the byte after
    // the coding type) says whether the title is interlaced.
    for (const quint8 videoType : videoCodingTypes) {
        if (videoType != codingType || videoFormat != 0)
            continue;
        const quint8 attributes = ByteAt(entry + 3 + entryLength);
        if (!outOfBounds)
            videoFormat = attributes >> 4;
        videoCodingType = codingType;
        // HEVC gives its dynamic range and colour space in the byte after, when the entry
        // holds one.
        if (codingType == HevcVideo && attributesLength >= 3)
            videoRangeColour = ByteAt(entry + 4 + entryLength);
        return;
    }
}

void MplsReader::ParseMarks()
{
    marks.clear();
    const qint16 markCount = qint16(Word16At(markOffset + 4));
    if (markCount <= 0)
        return;
    for (qint64 i = 0; i < markCount && !outOfBounds; ++i) {
        const qint64 mark = markOffset + 6 + MarkSize * i;
        const quint8 type = ByteAt(mark + 1);
        const quint16 itemIndex = Word16At(mark + 2);
        const quint32 ticks = Word32At(mark + 4);
        // Link points and marks on items that do not exist make no chapter.
        if (outOfBounds || type != EntryMarkType || itemIndex >= playItems.size())
            continue;
        // The time stamp is on the item's clip clock; chapters are on the playlist's.
        const MplsPlayItem &item = playItems.at(itemIndex);
        marks.append(quint32(item.startMs) - quint32(item.inTimeMs) + ticks / TicksPerMs);
    }
}

quint8 MplsReader::ByteAt(qint64 offset)
{
    const QByteArrayView bytes = BytesAt(offset, 1);
    return bytes.isEmpty() ? 0 : quint8(bytes[0]);
}

quint16 MplsReader::Word16At(qint64 offset)
{
    const QByteArrayView bytes = BytesAt(offset, 2);
    if (bytes.isEmpty())
        return 0;
    return quint16(quint8(bytes[0]) << 8 | quint8(bytes[1]));
}

quint32 MplsReader::Word32At(qint64 offset)
{
    const QByteArrayView bytes = BytesAt(offset, 4);
    if (bytes.isEmpty())
        return 0;
    return quint32(quint8(bytes[0])) << 24 | quint32(quint8(bytes[1])) << 16 |
           quint32(quint8(bytes[2])) << 8 | quint32(quint8(bytes[3]));
}

QByteArrayView MplsReader::BytesAt(qint64 offset, qint64 count)
{
    if (offset < 0 || offset > limit - count) {
        outOfBounds = true;
        return {};
    }
    return QByteArrayView(data + offset, count);
}
