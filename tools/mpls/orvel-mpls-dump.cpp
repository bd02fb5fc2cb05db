// Prints what the player's playlist reader hands out for each playlist file named on the
// command line: one JSON object per file and line, so that scripts and other readers can
// be compared with it line by line.
//
//   orvel-mpls-dump FILE...
//
// The keys always come in the same order and numbers are plain integers, so two dumps can
// be compared as text. Exit code 0 once every file has been tried, whatever each file's
// result; 2 when no file is named or an option is unknown (--help prints the usage and
// exits 0; "--" ends the options).

#include "JsonText.h"
#include "disc/MplsReader.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr char UsageText[] =
    "usage: orvel-mpls-dump [--] PLAYLIST-FILE...\n"
    "Prints what the player reads from each Blu-ray playlist file (.mpls): one JSON object\n"
    "per line with its result code, play items, chapter marks, audio and subtitles.\n";

QByteArray DumpLine(MplsReader &reader, const QString &path)
{
    QVector<MplsPlayItem> items;
    QVector<MplsStream> subtitles;
    QVector<MplsStream> audio;
    QVector<quint32> marks;
    const int code = reader.ReadPlaylist(path, items, subtitles, audio, marks);

    QByteArray out = "{\"file\":";
    AppendString(out, path);
    out += ",\"code\":" + QByteArray::number(code) + ",\"items\":[";
    for (qsizetype i = 0; i < items.size(); ++i) {
        const MplsPlayItem &item = items[i];
        if (i > 0)
            out += ',';
        out += "{\"clip\":";
        AppendString(out, item.clipName);
        out += ",\"inMs\":" + QByteArray::number(item.inTimeMs) +
               ",\"startMs\":" + QByteArray::number(item.startMs) +
               ",\"durationMs\":" + QByteArray::number(item.durationMs) + '}';
    }
    out += "],\"marks\":";
    AppendNumbers(out, marks);
    out += ",\"audio\":";
    AppendStreams(out, audio);
    out += ",\"subtitles\":";
    AppendStreams(out, subtitles);
    out += "}\n";
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList paths = app.arguments().mid(1);
    if (!paths.isEmpty() && paths.first() == QLatin1String("--help")) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (!paths.isEmpty() && paths.first() == QLatin1String("--"))
        paths.removeFirst();
    else if (!paths.isEmpty() && paths.first().startsWith(QLatin1String("--"))) {
        std::fprintf(stderr, "orvel-mpls-dump: unknown option %s\n", qPrintable(paths.first()));
        std::fputs(UsageText, stderr);
        return 2;
    }
    if (paths.isEmpty()) {
        std::fputs(UsageText, stderr);
        return 2;
    }
    // One reader for all files, as a disc scan uses it; the outputs start empty for every
    // file, so a refused file shows empty arrays rather than the previous file's results.
    MplsReader reader;
    for (const QString &path : paths) {
        const QByteArray line = DumpLine(reader, path);
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
