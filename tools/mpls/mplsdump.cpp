// Prints what the player reads from Blu-ray playlist files: items, chapters, audio and
// subtitle menus. Takes playlist files or folders (every file in a folder, in name order).

#include "MplsReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString Clock(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString Descriptions(const QVector<MplsStream> &streams)
{
    QStringList texts;
    for (const MplsStream &stream : streams)
        texts << stream.description;
    return texts.join(QStringLiteral(", "));
}

int Dump(MplsReader &reader, const QString &path, QTextStream &out)
{
    QVector<MplsPlayItem> items;
    QVector<MplsStream> subtitles;
    QVector<MplsStream> audio;
    QVector<quint32> marks;
    const int code = reader.ReadPlaylist(path, items, subtitles, audio, marks);
    out << path << ": ";
    if (code != MplsReader::Ok) {
        out << "unreadable (code " << code << ")\n";
        return 1;
    }
    if (items.isEmpty()) {
        out << "no title (" << marks.size() << " chapters)\n";
        return 0;
    }
    qint64 totalMs = 0;
    for (const MplsPlayItem &item : items)
        totalMs += item.durationMs;
    out << items.size() << " items, " << Clock(totalMs) << "\n";
    for (const MplsPlayItem &item : items) {
        out << "  " << item.clipName << "  in " << Clock(item.inTimeMs) << "  at "
            << Clock(item.startMs) << "  for " << Clock(item.durationMs) << "\n";
    }
    out << "  chapters (" << marks.size() << "):";
    for (const quint32 mark : marks)
        out << " " << Clock(mark);
    out << "\n  audio: " << Descriptions(audio) << "\n  subtitles: " << Descriptions(subtitles)
        << "\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    QTextStream out(stdout);
    if (arguments.isEmpty()) {
        QTextStream(stderr) << "usage: mplsdump PLAYLIST-FILE-OR-FOLDER...\n";
        return 2;
    }
    MplsReader reader;
    int failures = 0;
    for (const QString &argument : arguments) {
        if (!QFileInfo(argument).isDir()) {
            failures += Dump(reader, argument, out);
            continue;
        }
        const QDir folder(argument);
        for (const QString &name : folder.entryList(QDir::Files, QDir::Name))
            failures += Dump(reader, folder.filePath(name), out);
    }
    return failures == 0 ? 0 : 1;
}
