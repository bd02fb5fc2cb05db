#include "MplsWriter.h"

#include "disc/BigEndian.h"

#include <QFile>

namespace {

// Pads or cuts text to the fixed width that the format gives it.
QByteArray Fixed(const QByteArray &text, int width)
{
    return text.left(width).leftJustified(width, '\0');
}

constexpr quint8 HevcCodingType = 0x24;

bool IsAudio(quint8 codingType)
{
    return (codingType >= 0x80 && codingType <= 0x86) || codingType == 0xA1 || codingType == 0xA2;
}

} // namespace

QByteArray MplsWriter::ToBytes() const
{
    const QByteArray playList = PlayListSection();
    QByteArray out;
    out.append("MPLS");
    out.append(Fixed(version, 4));
    AppendWord32(out, PlayListOffset);
    AppendWord32(out, quint32(PlayListOffset + playList.size()));
    AppendWord32(out, 0); // no extension data
    out.append(20, '\0');
    // AppInfo: sequential playback, no user operation masked.
    AppendWord32(out, 14);
    AppendByte(out, 0);
    AppendByte(out, 1);
    out.append(12, '\0');
    Q_ASSERT(out.size() == PlayListOffset);
    out.append(playList);
    out.append(MarkSection());
    return out;
}

int MplsWriter::MarkOffset() const
{
    return PlayListOffset + int(PlayListSection().size());
}

bool MplsWriter::WriteTo(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = ToBytes();
    return file.write(bytes) == bytes.size();
}

QByteArray MplsWriter::PlayListSection() const
{
    QByteArray body;
    AppendWord16(body, 0); // reserved
    AppendWord16(body, quint16(items.size()));
    AppendWord16(body, 0); // no sub-paths
    for (const Item &item : items)
        body.append(PlayItem(item));
    QByteArray out;
    AppendWord32(out, quint32(body.size()));
    out.append(body);
    return out;
}

QByteArray MplsWriter::MarkSection() const
{
    QByteArray body;
    AppendWord16(body, quint16(marks.size()));
    for (const Mark &mark : marks) {
        AppendByte(body, 0);
        AppendByte(body, mark.type);
        AppendWord16(body, mark.itemIndex);
        AppendWord32(body, mark.ticks);
        AppendWord16(body, 0xFFFF); // no entry PID
        AppendWord32(body, 0);      // no duration
    }
    QByteArray out;
    AppendWord32(out, quint32(body.size()));
    out.append(body);
    return out;
}

QByteArray MplsWriter::PlayItem(const Item &item)
{
    QByteArray body;
    body.append(Fixed(item.clip, 5));
    body.append(Fixed(item.codec, 4));
    AppendByte(body, 0);
    // The connection condition, plus the multi-angle flag.
    AppendByte(body, quint8((item.multiAngle ? 0x10 : 0) | (item.connection & 0x0F)));
    AppendByte(body, 0); // STC id
    AppendWord32(body, item.inTicks);
    AppendWord32(body, item.outTicks);
    body.append(8, '\0'); // user operation mask
    AppendByte(body, 0);  // random access flag
    AppendByte(body, 0);  // still mode
    AppendWord16(body, 0);
    if (item.multiAngle) {
        AppendByte(body, item.angleCount);
        AppendByte(body, 0);
        // The first angle is the item's own clip; the block lists the others.
        for (int angle = 1; angle < item.angleCount; ++angle) {
            body.append(Fixed(QByteArray::number(angle).rightJustified(5, '0'), 5));
            body.append("M2TS");
            AppendByte(body, 0);
        }
    }
    body.append(StreamTable(item));
    QByteArray out;
    AppendWord16(out, quint16(body.size() + item.lengthAdjust));
    out.append(body);
    return out;
}

QByteArray MplsWriter::StreamTable(const Item &item)
{
    QByteArray body;
    AppendWord16(body, 0); // reserved
    AppendByte(body, quint8(item.video.size()));
    AppendByte(body, quint8(item.audio.size()));
    AppendByte(body, quint8(item.subtitles.size()));
    body.append(9, '\0'); // other stream kinds, all absent, then reserved bytes
    quint16 pid = 0x1011;
    for (const Stream &stream : item.video)
        body.append(StreamEntry(stream, pid++));
    pid = 0x1100;
    for (const Stream &stream : item.audio)
        body.append(StreamEntry(stream, stream.pid ? stream.pid : pid++));
    pid = 0x1200;
    for (const Stream &stream : item.subtitles)
        body.append(StreamEntry(stream, stream.pid ? stream.pid : pid++));
    QByteArray out;
    AppendWord16(out, quint16(body.size()));
    out.append(body);
    return out;
}

QByteArray MplsWriter::StreamEntry(const Stream &stream, quint16 pid)
{
    QByteArray out;
    // Stream entry: a stream of the clip itself, found by its PID.
    AppendByte(out, 9);
    AppendByte(out, 1);
    AppendWord16(out, pid);
    out.append(6, '\0');
    // Attributes: five bytes whose layout depends on the coding type.
    AppendByte(out, 5);
    AppendByte(out, stream.codingType);
    const QByteArray language = Fixed(stream.language, 3);
    if (IsAudio(stream.codingType)) {
        AppendByte(out, stream.audioFormatRate);
        out.append(language);
    } else if (stream.codingType == 0x90 || stream.codingType == 0x91) {
        out.append(language);
        AppendByte(out, 0);
    } else if (stream.codingType == 0x92) {
        AppendByte(out, 0x01); // UTF-8 text
        out.append(language);
    } else {
        AppendByte(out, stream.videoFormatRate);
        AppendByte(out, stream.codingType == HevcCodingType ? stream.hevcRangeColour : 0);
        out.append(2, '\0');
    }
    return out;
}
