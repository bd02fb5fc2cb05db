#include "ClipInfoWriter.h"

#include "disc/BigEndian.h"

namespace {

// A section that holds nothing: its length (2) and two zero bytes, which read as a reserved
// byte and a count of 0.
QByteArray EmptySection()
{
    QByteArray out;
    AppendWord32(out, 2);
    AppendWord16(out, 0);
    return out;
}

constexpr int HeaderSize = 40;
constexpr int ClipInfoBodySize = 2 + 1 + 1 + 4 + 4 + 4 + 128 + 2;

} // namespace

QByteArray ClipInfoWriter::EpMap(const ClipTiming &timing)
{
    // One coarse entry whenever the high PTS bits or the high packet bits change; every key
    // frame has a fine entry that holds the low bits.
    struct Coarse
    {
        quint32 fineIndex;
        quint32 ptsHigh;
        quint32 packet;
    };
    QVector<Coarse> coarse;
    QByteArray fine;
    for (int i = 0; i < timing.entryPoints.size(); ++i) {
        const ClipTiming::EntryPoint &entry = timing.entryPoints.at(i);
        const quint32 ptsHigh = quint32(entry.pts90k >> 19) & 0x3FFF;
        const quint32 packetHigh = entry.packet >> 17;
        if (coarse.isEmpty() || coarse.last().ptsHigh != ptsHigh ||
            (coarse.last().packet >> 17) != packetHigh)
            coarse.append({quint32(i), ptsHigh, entry.packet});
        // Angle change point 0, I-end position offset 1, PTS bits 19..9, packet bits 16..0.
        const quint32 ptsFine = quint32(entry.pts90k >> 9) & 0x7FF;
        AppendWord32(fine, (1u << 28) | (ptsFine << 17) | (entry.packet & 0x1FFFF));
    }

    QByteArray table;
    AppendWord32(table, quint32(4 + 8 * coarse.size())); // fine table start, from the table's start
    for (const Coarse &entry : coarse) {
        AppendWord32(table, (entry.fineIndex << 14) | entry.ptsHigh);
        AppendWord32(table, entry.packet);
    }
    table.append(fine);

    QByteArray out;
    out.append(char(0)); // reserved
    out.append(char(1)); // one stream PID
    AppendWord16(out, VideoPid);
    // 10 reserved bits, EP stream type 1 (4 bits), coarse count (16), fine count (18).
    const quint64 packed = (quint64(1) << 34) | (quint64(coarse.size() & 0xFFFF) << 18) |
                           quint64(timing.entryPoints.size() & 0x3FFFF);
    for (int shift = 40; shift >= 0; shift -= 8)
        out.append(char((packed >> shift) & 0xFF));
    AppendWord32(out, quint32(out.size() + 4)); // the table follows this address
    out.append(table);
    return out;
}

QByteArray ClipInfoWriter::ToBytes(const ClipTiming &timing, const QByteArray &version)
{
    QByteArray clipInfo;
    AppendWord32(clipInfo, ClipInfoBodySize);
    AppendWord16(clipInfo, 0);
    clipInfo.append(char(1)); // clip stream type: AV stream
    clipInfo.append(char(1)); // application type: main movie
    AppendWord32(clipInfo, 0);
    AppendWord32(clipInfo, 6000000); // recording rate, not checked by players
    AppendWord32(clipInfo, timing.sourcePackets);
    clipInfo.append(128, '\0');
    AppendWord16(clipInfo, 0); // an empty TS type info block

    const QByteArray sequenceInfo = EmptySection();
    const QByteArray programInfo = EmptySection();
    const QByteArray epMap = EpMap(timing);
    QByteArray cpi;
    AppendWord32(cpi, quint32(2 + epMap.size()));
    AppendWord16(cpi, 1); // CPI type 1: an EP map
    cpi.append(epMap);
    const QByteArray clipMark(4, '\0');

    const quint32 sequenceAt = HeaderSize + quint32(clipInfo.size());
    const quint32 programAt = sequenceAt + quint32(sequenceInfo.size());
    const quint32 cpiAt = programAt + quint32(programInfo.size());
    const quint32 clipMarkAt = cpiAt + quint32(cpi.size());

    QByteArray out("HDMV");
    out.append(version.left(4).leftJustified(4, '0'));
    AppendWord32(out, sequenceAt);
    AppendWord32(out, programAt);
    AppendWord32(out, cpiAt);
    AppendWord32(out, clipMarkAt);
    AppendWord32(out, 0); // no extension data
    out.append(HeaderSize - out.size(), '\0');
    out.append(clipInfo);
    out.append(sequenceInfo);
    out.append(programInfo);
    out.append(cpi);
    out.append(clipMark);
    return out;
}
