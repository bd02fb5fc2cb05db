#include "TransportStreamScan.h"

#include <algorithm>

namespace {

constexpr quint16 PatPid = 0x0000;
constexpr quint16 SdtPid = 0x0011;
constexpr quint16 PmtPid = 0x0100;
constexpr quint16 NullPid = 0x1FFF;

struct Packet
{
    const uchar *ts = nullptr; // the 188-byte transport packet after the 4-byte header
    quint16 pid = 0;
    bool unitStart = false;
    bool randomAccess = false;
    int payloadOffset = 188; // from ts; 188 when there is no payload
};

Packet ReadPacket(const uchar *source)
{
    Packet packet;
    packet.ts = source + 4;
    const uchar *ts = packet.ts;
    if (ts[0] != 0x47)
        return packet;
    packet.pid = quint16((ts[1] & 0x1F) << 8 | ts[2]);
    packet.unitStart = (ts[1] & 0x40) != 0;
    const int control = (ts[3] >> 4) & 3;
    int offset = 4;
    if (control & 2) {
        const int length = ts[4];
        if (length > 0)
            packet.randomAccess = (ts[5] & 0x40) != 0;
        offset = 5 + length;
    }
    if ((control & 1) && offset < 188)
        packet.payloadOffset = offset;
    return packet;
}

// The PTS of a PES header that starts in this payload, or -1.
qint64 PesPts(const uchar *payload, int size)
{
    if (size < 14 || payload[0] != 0 || payload[1] != 0 || payload[2] != 1)
        return -1;
    if ((payload[7] & 0x80) == 0)
        return -1;
    const uchar *p = payload + 9;
    return qint64(p[0] >> 1 & 7) << 30 | qint64(p[1]) << 22 | qint64(p[2] >> 1) << 15 |
           qint64(p[3]) << 7 | qint64(p[4] >> 1);
}

// An H.264 IDR slice (NAL type 5) in what this packet holds of the frame.
bool HoldsIdrSlice(const uchar *payload, int size)
{
    for (int i = 0; i + 3 < size; ++i) {
        if (payload[i] == 0 && payload[i + 1] == 0 && payload[i + 2] == 1 &&
            (payload[i + 3] & 0x1F) == 5)
            return true;
    }
    return false;
}

} // namespace

bool TransportStreamScan::Scan(const QByteArray &stream, quint16 videoPid, ClipTiming &timing,
                               QString *error)
{
    const auto *bytes = reinterpret_cast<const uchar *>(stream.constData());
    const int count = int(stream.size() / PacketSize);
    timing = ClipTiming();
    timing.sourcePackets = quint32(count);
    qint64 firstPts = -1;
    qint64 lastVideoPts = -1;
    for (int i = 0; i < count; ++i) {
        const Packet packet = ReadPacket(bytes + qint64(i) * PacketSize);
        if (!packet.unitStart || packet.payloadOffset >= 188)
            continue;
        const uchar *payload = packet.ts + packet.payloadOffset;
        const int size = 188 - packet.payloadOffset;
        const qint64 pts = PesPts(payload, size);
        if (pts < 0)
            continue;
        if (firstPts < 0 || pts < firstPts)
            firstPts = pts;
        if (packet.pid != videoPid)
            continue;
        lastVideoPts = std::max(lastVideoPts, pts);
        if (!packet.randomAccess && !HoldsIdrSlice(payload, size))
            continue;
        // Enter at the tables that lead up to the key frame, so that the first entry point
        // is the stream's first packet.
        int entry = i;
        while (entry > 0) {
            const quint16 before = ReadPacket(bytes + qint64(entry - 1) * PacketSize).pid;
            if (before != PatPid && before != PmtPid && before != SdtPid)
                break;
            --entry;
        }
        timing.entryPoints.append({quint64(pts), quint32(entry)});
    }
    if (timing.entryPoints.isEmpty() || firstPts < 0) {
        if (error)
            *error = QStringLiteral("no video key frame on PID 0x%1").arg(videoPid, 0, 16);
        return false;
    }
    timing.firstPts90k = quint64(firstPts);
    timing.lastVideoPts90k = quint64(lastVideoPts);
    return true;
}

void TransportStreamScan::PadToAlignedUnit(QByteArray &stream)
{
    stream.truncate(stream.size() - stream.size() % PacketSize);
    // A null packet carries the arrival time of the packet before it.
    QByteArray header(4, '\0');
    if (stream.size() >= PacketSize)
        header = stream.mid(stream.size() - PacketSize, 4);
    while (stream.size() % AlignedUnit != 0) {
        QByteArray packet = header;
        packet.append(char(0x47));
        packet.append(char(NullPid >> 8));
        packet.append(char(NullPid & 0xFF));
        packet.append(char(0x10)); // payload only
        packet.append(184, char(0xFF));
        stream.append(packet);
    }
}
