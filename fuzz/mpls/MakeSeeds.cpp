// Writes a few well-formed playlists as the fuzzer's starting corpus.

#include "MplsWriter.h"

#include <QDir>
#include <QTextStream>

namespace {

constexpr quint32 TicksPerSecond = 45000;

MplsWriter::Item Clip(const QByteArray &name, quint32 inSeconds, quint32 outSeconds)
{
    MplsWriter::Item item;
    item.clip = name;
    item.inTicks = inSeconds * TicksPerSecond;
    item.outTicks = outSeconds * TicksPerSecond;
    item.video = {MplsWriter::Video()};
    return item;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: fuzz_mpls_seeds FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;

    MplsWriter film;
    film.items = {Clip("00001", 600, 1800), Clip("00002", 600, 2400)};
    film.items[1].audio = {MplsWriter::Audio(0x81, "eng"), MplsWriter::Audio(0x86, "jpn")};
    film.items[1].subtitles = {MplsWriter::GraphicsSubtitle("eng"),
                               MplsWriter::TextSubtitle("fra")};
    film.marks = {
        {1, 0, 600 * TicksPerSecond}, {2, 0, 700 * TicksPerSecond}, {1, 1, 900 * TicksPerSecond}};

    MplsWriter angles = film;
    angles.items[0].multiAngle = true;
    angles.items[0].angleCount = 3;

    MplsWriter looping;
    looping.items = QVector<MplsWriter::Item>(4, Clip("00009", 0, 30));
    looping.marks = {{1, 0, 0}};

    MplsWriter empty;

    const bool written = film.WriteTo(folder.filePath(QStringLiteral("film.mpls"))) &&
                         angles.WriteTo(folder.filePath(QStringLiteral("angles.mpls"))) &&
                         looping.WriteTo(folder.filePath(QStringLiteral("looping.mpls"))) &&
                         empty.WriteTo(folder.filePath(QStringLiteral("empty.mpls")));
    return written ? 0 : 1;
}
