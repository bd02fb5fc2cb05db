#include "DiscAudioFormat.h"

namespace {

struct CodingRow
{
    DiscAudioFormat::Coding coding;
    const char *name;
    const char *encoder;
    const char *bitRate; // nullptr: lossless, no rate
    quint8 playlistType;
    bool experimental;
};

// Bit rates as discs use them for 5.1; stereo needs no more.
constexpr CodingRow Codings[] = {
    {DiscAudioFormat::Coding::Ac3, "ac3", "ac3", "448k", 0x81, false},
    {DiscAudioFormat::Coding::Eac3, "eac3", "eac3", "640k", 0x84, false},
    {DiscAudioFormat::Coding::Dts, "dts", "dca", "768k", 0x82, true},
    {DiscAudioFormat::Coding::TrueHd, "truehd", "truehd", nullptr, 0x83, true},
    {DiscAudioFormat::Coding::Lpcm, "lpcm", "pcm_bluray", nullptr, 0x80, false},
    {DiscAudioFormat::Coding::DtsHdMaCore, "dtshdma", "dca", "768k", 0x86, true},
    {DiscAudioFormat::Coding::NoEngineDecoder, "s302m", "s302m", nullptr, 0x80, true},
};

const CodingRow &RowOf(DiscAudioFormat::Coding coding)
{
    for (const CodingRow &row : Codings) {
        if (row.coding == coding)
            return row;
    }
    return Codings[0];
}

} // namespace

quint8 DiscAudioFormat::PlaylistCodingType() const
{
    return RowOf(coding).playlistType;
}

quint8 DiscAudioFormat::PlaylistFormatRate() const
{
    const quint8 layout = channels == 1 ? 1 : channels == 2 ? 3 : 6;
    return quint8(layout << 4 | 1);
}

QStringList DiscAudioFormat::EncoderArguments(int index) const
{
    const CodingRow &row = RowOf(coding);
    const QString stream = QString::number(index);
    QStringList arguments{QStringLiteral("-c:a:") + stream, QString::fromLatin1(row.encoder),
                          QStringLiteral("-ac:a:") + stream, QString::number(channels)};
    if (row.bitRate)
        arguments << QStringLiteral("-b:a:") + stream << QString::fromLatin1(row.bitRate);
    // TrueHD and LPCM on discs are 24-bit or at least 16-bit integer samples.
    if (coding == Coding::TrueHd || coding == Coding::Lpcm)
        arguments << QStringLiteral("-sample_fmt:a:") + stream << QStringLiteral("s16");
    return arguments;
}

bool DiscAudioFormat::Experimental() const
{
    return RowOf(coding).experimental;
}

QString DiscAudioFormat::Name() const
{
    return QString::fromLatin1(RowOf(coding).name) + QLatin1Char('/') + QString::number(channels);
}

bool DiscAudioFormat::Parse(const QString &text, DiscAudioFormat &format)
{
    const QString name = text.section(QLatin1Char('/'), 0, 0);
    const QString count = text.section(QLatin1Char('/'), 1);
    int channels = 2;
    if (!count.isEmpty()) {
        bool ok = false;
        channels = count.toInt(&ok);
        if (!ok || (channels != 1 && channels != 2 && channels != 6))
            return false;
    }
    for (const CodingRow &row : Codings) {
        if (name == QLatin1String(row.name)) {
            format.coding = row.coding;
            format.channels = channels;
            return true;
        }
    }
    return false;
}
