#include "disc/EngineTitleList.h"

#include "platform/PathBytes.h"

#include "disc/BigEndian.h"
#include "disc/DiscFileSource.h"

#include <QCryptographicHash>
#include <QFile>

#include <QVarLengthArray>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// libbluray reads files through a bit stream (util/bits.c) whose quirks decide which damaged
// files it still accepts, so they are kept here:
//  - a read past the end gives zero bits and stops at the end;
//  - a skip moves on regardless, even past the end;
//  - a seek to or past the end lands exactly at the end; a negative one fails;
//  - what is left ("avail") is the end minus the position, negative after a long skip.
class LibblurayBits
{
public:
    explicit LibblurayBits(QByteArrayView bytes)
        : data(reinterpret_cast<const uchar *>(bytes.data())), endBytes(bytes.size())
    {
    }

    quint32 Read(int count)
    {
        quint32 result = 0;
        while (count > 0) {
            const qint64 byte = position >> 3;
            if (byte >= endBytes)
                break;
            const int left = 8 - int(position & 7);
            const quint32 value = data[byte] & ((1u << left) - 1);
            if (left >= count) {
                result |= value >> (left - count);
                position += count;
                return result;
            }
            result |= value << (count - left);
            count -= left;
            position += left;
        }
        return result;
    }

    void Skip(qint64 count) { position += count; }

    bool SeekByte(qint64 offset)
    {
        if (offset < 0)
            return false;
        position = offset >= endBytes ? endBytes * 8 : offset * 8;
        return true;
    }

    qint64 Position() const { return position; }
    qint64 BytePosition() const { return position >> 3; }
    qint64 Available() const { return endBytes * 8 - position; }
    qint64 End() const { return endBytes; }

    // bs_read_string's bytes, one read of 8 bits each.
    void ReadBytes(char *out, int count)
    {
        for (int i = 0; i < count; ++i)
            out[i] = char(Read(8));
    }

private:
    const uchar *data;
    qint64 endBytes;
    qint64 position = 0;
};

// The fields of MPLS_STREAM that _stream_cmp compares, in a fixed layout.
struct StreamFields
{
    quint8 streamType = 0;
    quint8 codingType = 0;
    quint16 pid = 0;
    quint8 subpathId = 0;
    quint8 subclipId = 0;
    quint8 format = 0;
    quint8 rate = 0;
    quint8 charCode = 0;
    quint8 colorSpace = 0;
    char language[4] = {0, 0, 0, 0};

    void AppendTo(QByteArray &out) const
    {
        out.append(char(streamType));
        out.append(char(codingType));
        out.append(char(pid >> 8));
        out.append(char(pid & 0xFF));
        out.append(char(subpathId));
        out.append(char(subclipId));
        out.append(char(format));
        out.append(char(rate));
        out.append(char(charCode));
        out.append(char(colorSpace));
        out.append(language, 4);
    }
};

// One clip segment for _find_repeats: the clip name as C text (strcpy'd into a zeroed
// record, so nothing after a zero byte survives) and the IN and OUT times.
struct Segment
{
    char clipId[5] = {0, 0, 0, 0, 0};
    quint32 inTime = 0;
    quint32 outTime = 0;

    friend bool operator<(const Segment &a, const Segment &b)
    {
        const int names = std::memcmp(a.clipId, b.clipId, 5);
        if (names != 0)
            return names < 0;
        return a.inTime != b.inTime ? a.inTime < b.inTime : a.outTime < b.outTime;
    }
    friend bool operator==(const Segment &a, const Segment &b)
    {
        return std::memcmp(a.clipId, b.clipId, 5) == 0 && a.inTime == b.inTime &&
               a.outTime == b.outTime;
    }
};

constexpr quint32 Tag(const char (&text)[5])
{
    return quint32(quint8(text[0])) << 24 | quint32(quint8(text[1])) << 16 |
           quint32(quint8(text[2])) << 8 | quint32(quint8(text[3]));
}

// _parse_stream. It only fails when a seek fails, which cannot happen with a non-negative
// offset, but the result is kept to follow the original.
bool ParseStream(LibblurayBits &bits, StreamFields &stream)
{
    int length = int(bits.Read(8));
    qint64 start = bits.BytePosition();
    stream.streamType = quint8(bits.Read(8));
    switch (stream.streamType) {
    case 1:
        stream.pid = quint16(bits.Read(16));
        break;
    case 2:
        stream.subpathId = quint8(bits.Read(8));
        stream.subclipId = quint8(bits.Read(8));
        stream.pid = quint16(bits.Read(16));
        break;
    case 3:
    case 4:
        stream.subpathId = quint8(bits.Read(8));
        stream.pid = quint16(bits.Read(16));
        break;
    default:
        break;
    }
    if (!bits.SeekByte(start + length))
        return false;

    length = int(bits.Read(8));
    start = bits.BytePosition();
    stream.codingType = quint8(bits.Read(8));
    switch (stream.codingType) {
    case 0x01:
    case 0x02:
    case 0xEA:
    case 0x1B:
    case 0x24:
        stream.format = quint8(bits.Read(4));
        stream.rate = quint8(bits.Read(4));
        if (stream.codingType == 0x24) {
            bits.Read(4); // dynamic range type
            stream.colorSpace = quint8(bits.Read(4));
            bits.Read(1);
            bits.Read(1);
        }
        break;
    case 0x03:
    case 0x04:
    case 0x80:
    case 0x81:
    case 0x82:
    case 0x83:
    case 0x84:
    case 0x85:
    case 0x86:
    case 0xA1:
    case 0xA2:
        stream.format = quint8(bits.Read(4));
        stream.rate = quint8(bits.Read(4));
        bits.ReadBytes(stream.language, 3);
        break;
    case 0x90:
    case 0x91:
        bits.ReadBytes(stream.language, 3);
        break;
    case 0x92:
        stream.charCode = quint8(bits.Read(8));
        bits.ReadBytes(stream.language, 3);
        break;
    default:
        break;
    }
    stream.language[3] = 0;
    return bits.SeekByte(start + length);
}

// The reference lists after a secondary stream: a count, a reserved byte, the references,
// and a padding byte after an odd count.
void SkipReferences(LibblurayBits &bits)
{
    const quint32 count = bits.Read(8);
    bits.Skip(8);
    for (quint32 i = 0; i < count; ++i)
        bits.Read(8);
    if (count % 2)
        bits.Skip(8);
}

// _parse_stn. The counts and streams that _pi_cmp compares go to the identity: primary
// video, audio, subtitles (without the picture-in-picture ones that follow them),
// interactive graphics, secondary audio and secondary video.
// What the main-title guess reads of one item's stream table.
struct ItemStreams
{
    int audio = 0;
    int pg = 0;
    int videoFormat = 0;
    int videoCodec = 0;
    bool hdAudio = false;
};

bool ParseStreamTable(LibblurayBits &bits, QByteArray &identity, ItemStreams &item)
{
    const int length = int(bits.Read(16));
    const qint64 start = bits.BytePosition();
    bits.Skip(16);
    const quint8 video = quint8(bits.Read(8));
    const quint8 audio = quint8(bits.Read(8));
    const quint8 pg = quint8(bits.Read(8));
    const quint8 ig = quint8(bits.Read(8));
    const quint8 secondaryAudio = quint8(bits.Read(8));
    const quint8 secondaryVideo = quint8(bits.Read(8));
    const quint8 pipPg = quint8(bits.Read(8));
    const quint8 dolbyVision = quint8(bits.Read(8));
    bits.Skip(32);
    for (const quint8 count : {video, audio, pg, ig, secondaryAudio, secondaryVideo})
        identity.append(char(count));
    item.audio = audio;
    item.pg = pg;

    // Parses count streams; the first `compared` of them go to the identity.
    auto parseGroup = [&](int count, int compared) {
        for (int i = 0; i < count; ++i) {
            StreamFields stream;
            if (!ParseStream(bits, stream))
                return false;
            if (i < compared)
                stream.AppendTo(identity);
        }
        return true;
    };
    for (int i = 0; i < video; ++i) {
        StreamFields stream;
        if (!ParseStream(bits, stream))
            return false;
        stream.AppendTo(identity);
        // _video_props: 1080i (4) or 1080p (6), 2160p (8); any codec after MPEG-2 (> 4),
        // HEVC (0x24) above all.
        if (stream.codingType > 4)
            item.videoCodec = qMax(item.videoCodec, 1);
        if (stream.codingType == 0x24)
            item.videoCodec = 2;
        if (stream.format == 4 || stream.format == 6)
            item.videoFormat = qMax(item.videoFormat, 1);
        if (stream.format == 8)
            item.videoFormat = 2;
    }
    for (int i = 0; i < audio; ++i) {
        StreamFields stream;
        if (!ParseStream(bits, stream))
            return false;
        stream.AppendTo(identity);
        // _audio_props compares the stream's 4-bit format (its channel layout) with the
        // coding types of LPCM (0x80) and TrueHD and later (0x83): it never matches, so HD
        // audio never tips libbluray's guess. Kept as libbluray does it, to agree with it.
        if (stream.format == 0x80 || stream.format >= 0x83)
            item.hdAudio = true;
    }
    if (!parseGroup(pg + pipPg, pg) || !parseGroup(ig, ig))
        return false;
    for (int i = 0; i < secondaryAudio; ++i) {
        StreamFields stream;
        if (!ParseStream(bits, stream))
            return false;
        stream.AppendTo(identity);
        SkipReferences(bits);
    }
    for (int i = 0; i < secondaryVideo; ++i) {
        StreamFields stream;
        if (!ParseStream(bits, stream))
            return false;
        stream.AppendTo(identity);
        SkipReferences(bits);
        SkipReferences(bits);
    }
    if (!parseGroup(dolbyVision, 0))
        return false;
    return bits.SeekByte(start + length);
}

// _parse_playitem.
bool ParsePlayItem(LibblurayBits &bits, QByteArray &identity, Segment &segment, ItemStreams &item)
{
    const int length = int(bits.Read(16));
    const qint64 start = bits.BytePosition();
    if (length < 18)
        return false;
    if (bits.Available() / 8 < length)
        return false;
    char clipId[5];
    bits.ReadBytes(clipId, 5);
    for (int i = 0; i < 5 && clipId[i] != 0; ++i)
        segment.clipId[i] = clipId[i];
    char codec[4];
    bits.ReadBytes(codec, 4); // only logged when unknown
    bits.Skip(11);
    const bool multiAngle = bits.Read(1) != 0;
    bits.Read(4); // connection condition, only logged
    bits.Read(8); // STC id
    segment.inTime = bits.Read(32);
    segment.outTime = bits.Read(32);
    identity.append(segment.clipId, 5);
    AppendWord32(identity, segment.inTime);
    AppendWord32(identity, segment.outTime);
    for (int i = 0; i < 8; ++i) // user operation mask
        bits.Read(8);
    bits.Read(1);
    bits.Skip(7);
    const quint32 stillMode = bits.Read(8);
    if (stillMode == 1)
        bits.Read(16);
    else
        bits.Skip(16);
    int angles = 1;
    if (multiAngle) {
        angles = int(bits.Read(8));
        if (angles < 1)
            angles = 1;
        bits.Skip(6);
        bits.Read(1);
        bits.Read(1);
    }
    for (int angle = 1; angle < angles; ++angle) {
        char ignored[9];
        bits.ReadBytes(ignored, 9);
        bits.Read(8);
    }
    if (!ParseStreamTable(bits, identity, item))
        return false;
    return bits.SeekByte(start + length);
}

// _parse_subplayitem.
bool ParseSubPlayItem(LibblurayBits &bits)
{
    const int length = int(bits.Read(16));
    const qint64 start = bits.BytePosition();
    if (length < 24)
        return false;
    if (bits.Available() / 8 < length)
        return false;
    char ignored[9];
    bits.ReadBytes(ignored, 9); // clip and codec identifiers
    bits.Skip(27);
    bits.Read(4);
    const bool multiClip = bits.Read(1) != 0;
    bits.Read(8);
    bits.Read(32);
    bits.Read(32);
    bits.Read(16);
    bits.Read(32);
    int clips = 1;
    if (multiClip) {
        clips = int(bits.Read(8));
        if (clips < 1)
            clips = 1;
    }
    for (int clip = 1; clip < clips; ++clip) {
        bits.ReadBytes(ignored, 9);
        bits.Read(8);
    }
    return bits.SeekByte(start + length);
}

// _parse_subpath. Its length is a 32-bit value kept in an int, so a huge one turns negative
// and the seek past the sub-path fails.
bool ParseSubPath(LibblurayBits &bits)
{
    const int length = int(bits.Read(32));
    const qint64 start = bits.BytePosition();
    bits.Skip(8);
    bits.Read(8);
    bits.Skip(15);
    bits.Read(1);
    bits.Skip(8);
    const int items = int(bits.Read(8));
    for (int i = 0; i < items; ++i) {
        if (!ParseSubPlayItem(bits))
            return false;
    }
    return bits.SeekByte(start + qint64(length));
}

// The extension data of a playlist (bdmv_parse_extension_data with _parse_mpls_extension):
// only the sub-path extension matters here, whose count the duplicate test compares.
void ParseExtensions(LibblurayBits &bits, quint32 extensionPosition, quint16 &extensionSubPaths)
{
    const int startAddress = int(extensionPosition);
    if (startAddress < 1 || startAddress > bits.End() - 12)
        return;
    if (!bits.SeekByte(startAddress))
        return;
    const qint64 length = bits.Read(32);
    if (length < 1)
        return;
    bits.Skip(32);
    bits.Skip(24);
    const int entries = int(bits.Read(8));
    if (startAddress > bits.End() - 12 - entries * 12)
        return;
    for (int n = 0; n < entries; ++n) {
        const quint16 id1 = quint16(bits.Read(16));
        const quint16 id2 = quint16(bits.Read(16));
        const qint64 extensionStart = bits.Read(32);
        const qint64 extensionLength = bits.Read(32);
        const qint64 saved = bits.BytePosition();
        if (extensionStart + startAddress + extensionLength > bits.End())
            return;
        if (bits.SeekByte(startAddress + extensionStart) && id1 == 2 && id2 == 2) {
            const quint32 subPathLength = bits.Read(32);
            const int count = int(bits.Read(16));
            if (subPathLength >= 1 && count >= 1) {
                bool ok = true;
                for (int i = 0; i < count && ok; ++i)
                    ok = ParseSubPath(bits);
                if (ok)
                    extensionSubPaths = quint16(count);
            }
        }
        if (!bits.SeekByte(saved))
            return;
    }
}

const QString PlaylistFolder = QStringLiteral("BDMV/PLAYLIST");
const QString BackupFolder = QStringLiteral("BDMV/BACKUP/PLAYLIST");

// Identities up to this size are kept as they are; real playlists stay far below it.
constexpr qsizetype MaxPlainIdentity = 65536;

} // namespace

EngineTitleList::Playlist EngineTitleList::Parse(QByteArrayView bytes)
{
    Playlist result;
    // An empty file fails the first read.
    if (bytes.isEmpty())
        return result;
    LibblurayBits bits(bytes);

    // bdmv_parse_header and _parse_header.
    if (bits.Available() / 8 < 8)
        return result;
    if (bits.Read(32) != Tag("MPLS"))
        return result;
    const quint32 version = bits.Read(32);
    if (version != Tag("0100") && version != Tag("0200") && version != Tag("0240") &&
        version != Tag("0300"))
        return result;
    if (bits.Available() < 5 * 32 + 160)
        return result;
    const quint32 listPosition = bits.Read(32);
    const quint32 markPosition = bits.Read(32);
    const quint32 extensionPosition = bits.Read(32);
    // The reserved bytes and the AppInfo follow; nothing of them is compared, and a short
    // AppInfo does not refuse the file.

    // _parse_playlist. The identity holds every field _pl_cmp compares, each group behind
    // its count, so that two identities are equal exactly when _pl_cmp finds no difference.
    QByteArray identity;
    identity.reserve(256);
    identity.append("fields:");
    if (!bits.SeekByte(listPosition))
        return result;
    qint64 length = bits.Read(32);
    if (bits.Available() < length * 8)
        return result;
    bits.Skip(16);
    const quint16 itemCount = quint16(bits.Read(16));
    const quint16 subPathCount = quint16(bits.Read(16));
    AppendWord16(identity, itemCount);
    AppendWord16(identity, subPathCount);
    int maxAudio = 0;
    int maxPg = 0;
    // A damaged file can make every item read its neighbours' bytes as hundreds of streams;
    // past a size no real playlist reaches, the identity goes on as a digest of its fields.
    QCryptographicHash folded(QCryptographicHash::Sha256);
    bool folding = false;
    auto fold = [&]() {
        if (identity.size() < MaxPlainIdentity)
            return;
        folded.addData(identity);
        identity.clear();
        folding = true;
    };
    QVarLengthArray<Segment, 16> segments(itemCount);
    MainTitleFacts facts;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        ItemStreams item;
        if (!ParsePlayItem(bits, identity, segments[i], item))
            return result;
        fold();
        // A 32-bit sum, as libbluray's, so a damaged file wraps where it wraps there.
        facts.ticks += segments[i].outTime - segments[i].inTime;
        if (i == 0) {
            facts.videoFormat = item.videoFormat;
            facts.videoCodec = item.videoCodec;
            facts.hdAudio = item.hdAudio;
        }
        maxAudio = qMax(maxAudio, item.audio);
        maxPg = qMax(maxPg, item.pg);
    }
    facts.streamScore = maxAudio * 2 + maxPg;
    for (int i = 0; i < subPathCount; ++i) {
        if (!ParseSubPath(bits))
            return result;
    }

    // _parse_playlistmark.
    if (!bits.SeekByte(markPosition))
        return result;
    length = bits.Read(32);
    if (bits.Available() / 8 < length)
        return result;
    const quint16 markCount = quint16(bits.Read(16));
    if (bits.Available() / (8 * 14) < markCount)
        return result;
    AppendWord16(identity, markCount);
    for (int i = 0; i < markCount; ++i) {
        bits.Skip(8);
        const quint8 markType = quint8(bits.Read(8));
        if (markType == 1)
            ++facts.chapters;
        identity.append(char(markType));                // type
        AppendWord16(identity, quint16(bits.Read(16))); // play item reference
        AppendWord32(identity, bits.Read(32));          // time
        AppendWord16(identity, quint16(bits.Read(16))); // entry PID
        AppendWord32(identity, bits.Read(32));          // duration
        fold();
    }

    quint16 extensionSubPaths = 0;
    if (extensionPosition > 0)
        ParseExtensions(bits, extensionPosition, extensionSubPaths);
    AppendWord16(identity, extensionSubPaths);
    fold();
    if (folding) {
        folded.addData(identity);
        identity = QByteArrayLiteral("digest:") + folded.result();
    }

    // _filter_repeats: some segment played more than twice.
    std::sort(segments.begin(), segments.end());
    for (qsizetype i = 2; i < segments.size(); ++i) {
        if (segments[i] == segments[i - 2])
            result.repeatsClip = true;
    }
    result.identity = identity;
    result.facts = facts;
    result.parsed = true;
    return result;
}

EngineTitleList::EngineTitleList(DiscFileSource &source)
    : source(source), hasBackupFolder(source.IsFolder(BackupFolder))
{
}

EngineTitleList::Playlist EngineTitleList::ParseBackup(const QString &name) const
{
    // libbluray tries the backup copy of every playlist it cannot parse.
    if (!hasBackupFolder)
        return {};
    DiscFileBytes file;
    if (!source.Read(BackupFolder + QLatin1Char('/') + name, file) || file.Bytes().isEmpty())
        return {};
    return Parse(file.Bytes());
}

void EngineTitleList::AddEntry(const QString &name, QByteArrayView bytes, bool readable)
{
    Playlist playlist;
    if (readable)
        playlist = Parse(bytes);
    if (!playlist.parsed)
        playlist = ParseBackup(name);
    parsedByName.insert(name, playlist.parsed);
    if (!playlist.parsed || keptIdentities.contains(playlist.identity) || playlist.repeatsClip)
        return;
    keptIdentities.insert(playlist.identity);
    kept.append(name);
    keptFacts.append(playlist.facts);
}

bool EngineTitleList::ParsesAsPlaylist(const QString &name)
{
    const auto known = parsedByName.constFind(name);
    if (known != parsedByName.constEnd())
        return known.value();
    // Not listed: only a backup copy can be there.
    const bool parsed = ParseBackup(name).parsed;
    parsedByName.insert(name, parsed);
    return parsed;
}

QVector<EngineTitleList::Entry> EngineTitleList::Finish()
{
    QVector<Entry> entries;
    entries.reserve(kept.size());
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const QString &name = kept[i];
        Entry entry;
        entry.entryName = name;
        entry.facts = keptFacts[i];
        // The playlist number is atoi of the name, kept as an unsigned 32-bit value and read
        // back as an int; it must lie in 0..99999 and its five-digit file must parse.
        const QByteArray encoded = PathBytes::ToBytes(name);
        const int number = int(std::strtol(encoded.constData(), nullptr, 10));
        if (number >= 0 && number <= 99999) {
            const QString playlist = QStringLiteral("%1.mpls").arg(number, 5, 10, QLatin1Char('0'));
            if (ParsesAsPlaylist(playlist))
                entry.playlistName = playlist;
        }
        entries.append(entry);
    }
    return entries;
}

QVector<EngineTitleList::Entry> EngineTitleList::ForSource(DiscFileSource &source)
{
    EngineTitleList list(source);
    QVector<DiscEntry> listing;
    source.List(PlaylistFolder, listing);
    for (const DiscEntry &entry : listing) {
        DiscFileBytes file;
        const bool readable = !entry.isDirectory &&
                              source.Read(PlaylistFolder + QLatin1Char('/') + entry.name, file) &&
                              !file.Bytes().isEmpty();
        list.AddEntry(entry.name, file.Bytes(), readable);
    }
    return list.Finish();
}

QVector<EngineTitleList::Entry> EngineTitleList::ForDisc(const QString &discPath)
{
    const std::unique_ptr<DiscFileSource> source = OpenDiscSource(discPath);
    return source ? ForSource(*source) : QVector<Entry>();
}
