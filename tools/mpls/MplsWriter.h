#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

// Builds Blu-ray playlist files from a short description, laid out as players expect them,
// so that tests and test discs never need a real disc's files.
class MplsWriter
{
public:
    struct Stream
    {
        quint8 codingType = 0x1B;
        QByteArray language;           // three letters; unused for video
        quint8 videoFormatRate = 0x61; // video: format (high nibble) and rate; 1080p, 23.976
        quint8 audioFormatRate =
            0x31; // audio: channel layout (high nibble) and rate; stereo, 48 kHz
        // HEVC video: dynamic range (high nibble: 0 SDR, 1 HDR10, 2 Dolby Vision) and colour
        // space (low nibble: 1 BT.709, 2 BT.2020), the byte after the format and rate.
        quint8 hevcRangeColour = 0;
        // The stream's PID; 0: the next one after the kind's first (0x1100 audio, 0x1200
        // subtitles) in table order.
        quint16 pid = 0;
    };

    struct Item
    {
        QByteArray clip = "00001"; // five characters
        QByteArray codec = "M2TS"; // four characters
        quint32 inTicks = 0;       // 45 kHz ticks on the clip's clock
        quint32 outTicks = 0;
        bool multiAngle = false;
        quint8 angleCount = 0; // with multiAngle: the count written in the angle block
        QVector<Stream> video;
        QVector<Stream> audio;
        QVector<Stream> subtitles;
        qint16 lengthAdjust = 0; // added to the written item length, to build damaged files
        // How the item joins the one before: 1 not seamless, 5 or 6 seamless.
        quint8 connection = 1;
    };

    struct Mark
    {
        quint8 type = 1; // 1 entry mark (a chapter), 2 link point
        quint16 itemIndex = 0;
        quint32 ticks = 0; // on the item's clip clock, so IN time plus an offset
    };

    // Where the play list section starts in every file written here.
    static constexpr int PlayListOffset = 58;
    // Bytes of a play item before its stream table, without a multi-angle block.
    static constexpr int ItemHeadSize = 34;
    static constexpr int StreamTableHeadSize = 16;

    QVector<Item> items;
    QVector<Mark> marks;
    QByteArray version = "0200";

    QByteArray ToBytes() const;
    // Offset of the mark section in ToBytes().
    int MarkOffset() const;
    bool WriteTo(const QString &path) const;

    static Stream Video() { return {0x1B, QByteArray()}; }
    // format: 4 1080i, 6 1080p, ... at 23.976 frames per second.
    static Stream Video(quint8 codingType, quint8 format)
    {
        return {codingType, QByteArray(), quint8(format << 4 | 0x01)};
    }
    static Stream Audio(quint8 codingType, const QByteArray &language)
    {
        return {codingType, language};
    }
    static Stream GraphicsSubtitle(const QByteArray &language) { return {0x90, language}; }
    static Stream TextSubtitle(const QByteArray &language) { return {0x92, language}; }

private:
    QByteArray PlayListSection() const;
    QByteArray MarkSection() const;
    static QByteArray PlayItem(const Item &item);
    static QByteArray StreamTable(const Item &item);
    static QByteArray StreamEntry(const Stream &stream, quint16 pid);
};
