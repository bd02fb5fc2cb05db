// Feeds arbitrary bytes to the playlist reader and checks what it promises for any input:
// an error leaves the outputs alone, item start times add up, and one reader kept across
// inputs gives the same answer twice.

#include "../FuzzCheck.h"
#include "disc/MplsReader.h"

#include <cstdint>

namespace {

struct Outputs
{
    QVector<MplsPlayItem> items{MplsPlayItem{7, 7, 7, QStringLiteral("marker")}};
    QVector<MplsStream> subtitles{MplsStream{0xEE, "marker"}};
    QVector<MplsStream> audio{MplsStream{0xEE, "marker"}};
    QVector<quint32> marks{7};

    bool operator==(const Outputs &other) const
    {
        return items == other.items && subtitles == other.subtitles && audio == other.audio &&
               marks == other.marks;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static MplsReader reader;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    Outputs first;
    const int code =
        reader.ReadPlaylistData(bytes, first.items, first.subtitles, first.audio, first.marks);
    if (code != MplsReader::Ok) {
        Check(first == Outputs());
        return 0;
    }
    if (first.items != Outputs().items) {
        quint32 start = 0;
        for (const MplsPlayItem &item : first.items) {
            Check(quint32(item.startMs) == start);
            start += quint32(item.durationMs);
        }
    }

    // Each stream keeps its language code as the three bytes stored.
    if (first.audio != Outputs().audio) {
        for (const MplsStream &stream : first.audio + first.subtitles)
            Check(stream.language.size() == 3);
    }

    Outputs second;
    Check(reader.ReadPlaylistData(bytes, second.items, second.subtitles, second.audio,
                                  second.marks) == code);
    Check(first == second);
    return 0;
}
