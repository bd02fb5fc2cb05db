#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// One audio stream of a test clip as shop discs carry it: how ffmpeg encodes it and what the
// playlist's stream table says of it.
struct DiscAudioFormat
{
    enum class Coding
    {
        Ac3,    // Dolby Digital
        Eac3,   // Dolby Digital Plus
        Dts,    // DTS core
        TrueHd, // Dolby TrueHD alone: ffmpeg's muxer writes no AC-3 core beside it
        Lpcm,   // Blu-ray LPCM (pcm_bluray)
        // ffmpeg cannot encode DTS-HD Master Audio; a DTS core under the playlist's DTS-HD MA
        // type is what a player that decodes the core alone meets on such a disc.
        DtsHdMaCore,
        // Not a disc format: SMPTE 302M, which the engine's lavf demuxer reads but for which
        // it has no decoder, so that a test meets a stream it cannot sound ("Audio: no
        // sound"). The playlist calls it LPCM, the nearest a disc has.
        NoEngineDecoder,
    };

    Coding coding = Coding::Ac3;
    int channels = 2; // 1, 2 or 6 (5.1)

    // The playlist's coding type (0x80 LPCM, 0x81 AC-3, 0x82 DTS, 0x83 TrueHD, 0x84 E-AC-3,
    // 0x86 DTS-HD MA) and its attribute byte: layout in the high four bits (1 mono,
    // 3 stereo, 6 multi-channel), 48 kHz (1) in the low ones.
    quint8 PlaylistCodingType() const;
    quint8 PlaylistFormatRate() const;

    // ffmpeg's options for output audio stream `index`.
    QStringList EncoderArguments(int index) const;
    // Whether ffmpeg wants "-strict -2" for this encoder (its DTS and TrueHD encoders are
    // marked experimental).
    bool Experimental() const;
    // A short name for cache recipes and the command line: "eac3/6", "lpcm/2".
    QString Name() const;
    // The reverse of Name(); a missing "/N" means stereo. False for anything else.
    static bool Parse(const QString &text, DiscAudioFormat &format);

    friend bool operator==(const DiscAudioFormat &a, const DiscAudioFormat &b)
    {
        return a.coding == b.coding && a.channels == b.channels;
    }
};
