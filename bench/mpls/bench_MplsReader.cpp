// How long the disc scan spends in the playlist reader: a large disc read with one reader,
// the same with a new reader per file, the slowest file the reader can be handed, and the
// time per file next to libbluray's playlist parser.
//
//   bench_mplsreader [FOLDER...] [QtTest options]
//
// Each FOLDER is searched for *.mpls files, which are timed against libbluray as well.

#include "disc/MplsReader.h"
#include "MplsWriter.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#ifdef ORVEL_HAVE_LIBBLURAY
#include <libbluray/bluray.h>
#include <libbluray/log_control.h>
#endif

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Folders named on the command line, for the comparison with libbluray.
QStringList extraFolders;

// Rounds over the whole set of files; each round is timed on its own and the best and the
// median rounds are reported, so that a stray pause on a shared machine does not count.
constexpr int Rounds = 201;

struct PerFile
{
    double bestUs = 0;
    double medianUs = 0;
};

template <typename ReadOne> PerFile TimePerFile(int fileCount, ReadOne readOne)
{
    for (int i = 0; i < fileCount; ++i) // warm the page cache and the allocator
        readOne(i);
    std::vector<double> rounds;
    rounds.reserve(Rounds);
    QElapsedTimer timer;
    for (int round = 0; round < Rounds; ++round) {
        timer.start();
        for (int i = 0; i < fileCount; ++i)
            readOne(i);
        rounds.push_back(double(timer.nsecsElapsed()) / 1000.0 / fileCount);
    }
    std::sort(rounds.begin(), rounds.end());
    return {rounds.front(), rounds[rounds.size() / 2]};
}

QStringList PlaylistsUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.mpls")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

constexpr int PlaylistsPerDisc = 100;

// Modelled on a large multi-angle film playlist: 37 clips, 10 audio and 26 subtitle streams.
MplsWriter LargePlaylist(int seed)
{
    MplsWriter writer;
    for (int i = 0; i < 37; ++i) {
        MplsWriter::Item item;
        item.clip = QByteArray::number(seed * 100 + i).rightJustified(5, '0');
        item.inTicks = 45000 * 10;
        item.outTicks = 45000 * quint32(10 + 60 + i);
        item.multiAngle = i % 9 == 1;
        item.angleCount = 4;
        item.video = {MplsWriter::Video()};
        for (int a = 0; a < 10; ++a)
            item.audio << MplsWriter::Audio(a % 2 ? 0x81 : 0x86, a % 3 ? "eng" : "deu");
        for (int s = 0; s < 26; ++s)
            item.subtitles << MplsWriter::GraphicsSubtitle(s % 2 ? "zho" : "ces");
        writer.items << item;
    }
    for (int m = 0; m < 64; ++m)
        writer.marks << MplsWriter::Mark{quint8(m % 2 ? 1 : 2), quint16(m % 37), 45000u * 20};
    return writer;
}

// An item with every stream group as full as its count byte allows.
MplsWriter::Item FullItem()
{
    MplsWriter::Item item;
    item.video = QVector<MplsWriter::Stream>(3, MplsWriter::Video());
    item.audio = QVector<MplsWriter::Stream>(127, MplsWriter::Audio(0x81, "eng"));
    item.subtitles = QVector<MplsWriter::Stream>(127, MplsWriter::GraphicsSubtitle("jpn"));
    return item;
}

// The most work a file can ask for: as many items as fit in the reader's buffer, each with
// full stream groups, so that nearly every byte is a stream entry to describe.
QByteArray LargestPlaylist()
{
    MplsWriter writer;
    MplsWriter::Item item = FullItem();
    for (int i = 0; i < 2500; ++i) {
        item.clip = QByteArray::number(i).rightJustified(5, '0');
        writer.items << item;
    }
    return writer.ToBytes();
}

// A file whose items each declare a length leading back to their own start: without the
// rule that an item stays inside its length, 32767 passes over the same streams.
QByteArray OverlappingPlaylist()
{
    MplsWriter writer;
    writer.items = {FullItem()};
    QByteArray bytes = writer.ToBytes();
    const int item0 = MplsWriter::PlayListOffset + 10;
    bytes[MplsWriter::PlayListOffset + 6] = char(0x7F);
    bytes[MplsWriter::PlayListOffset + 7] = char(0xFF);
    bytes[item0] = char(0xFF); // length -2
    bytes[item0 + 1] = char(0xFE);
    return bytes;
}

} // namespace

class MplsReaderBench : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;
    QStringList paths;

    static void ReadAll(MplsReader &reader, const QString &path)
    {
        QVector<MplsPlayItem> items;
        QVector<MplsStream> subtitles;
        QVector<MplsStream> audio;
        QVector<quint32> marks;
        if (reader.ReadPlaylist(path, items, subtitles, audio, marks) != MplsReader::Ok)
            qFatal("unreadable %s", qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        for (int i = 0; i < PlaylistsPerDisc; ++i) {
            paths << folder.filePath(QStringLiteral("%1.mpls").arg(i, 5, 10, QLatin1Char('0')));
            QVERIFY(LargePlaylist(i).WriteTo(paths.last()));
        }
        qInfo("%d playlists of %lld bytes each", PlaylistsPerDisc,
              qlonglong(QFileInfo(paths.first()).size()));
    }

    void discWithOneReader()
    {
        QBENCHMARK
        {
            MplsReader reader;
            for (const QString &path : paths)
                ReadAll(reader, path);
        }
    }

    void discWithReaderPerFile()
    {
        QBENCHMARK
        {
            for (const QString &path : paths) {
                MplsReader reader;
                ReadAll(reader, path);
            }
        }
    }

    void worstFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("itemCount");
        QTest::newRow("largest") << LargestPlaylist() << int(MplsReader::Ok) << 2500;
        QTest::newRow("overlapping items")
            << OverlappingPlaylist() << int(MplsReader::Malformed) << 0;
    }
    void worstFiles()
    {
        QFETCH(QByteArray, bytes);
        MplsReader reader;
        QVector<MplsPlayItem> items;
        QVector<MplsStream> subtitles;
        QVector<MplsStream> audio;
        QVector<quint32> marks;
        QBENCHMARK
        {
            QTEST(reader.ReadPlaylistData(bytes, items, subtitles, audio, marks), "code");
        }
        QTEST(int(items.size()), "itemCount");
    }

    // Both parsers read each file from disk into their own structures and free them again;
    // the player's reader is kept across files, as the disc scan keeps it.
    void againstLibbluray()
    {
#ifdef ORVEL_HAVE_LIBBLURAY
        bd_set_debug_mask(0);
        QVector<QPair<QString, QStringList>> sets{{ QStringLiteral("written"), paths }};
        for (const QString &folder : extraFolders)
            sets.append({folder, PlaylistsUnder(folder)});
        std::printf("%-44s %6s %22s %22s %9s\n", "set", "files", "ours us/file best/med",
                    "libbluray best/med", "ours/lib");
        for (const auto &set : sets) {
            const QStringList &files = set.second;
            if (files.isEmpty()) {
                std::printf("%-44s %6d  no playlists\n", qPrintable(set.first), 0);
                continue;
            }
            QVector<QByteArray> encoded;
            for (const QString &file : files)
                encoded << QFile::encodeName(file);
            MplsReader reader;
            QVector<MplsPlayItem> items;
            QVector<MplsStream> subtitles;
            QVector<MplsStream> audio;
            QVector<quint32> marks;
            const PerFile ours = TimePerFile(int(files.size()), [&](int i) {
                reader.ReadPlaylist(files[i], items, subtitles, audio, marks);
            });
            const PerFile theirs = TimePerFile(int(files.size()), [&](int i) {
                if (struct mpls_pl *playlist = bd_read_mpls(encoded[i].constData()))
                    bd_free_mpls(playlist);
            });
            std::printf("%-44s %6lld %10.2f /%10.2f %10.2f /%10.2f %9.2f\n",
                        qPrintable(set.first.right(44)), qlonglong(files.size()), ours.bestUs,
                        ours.medianUs, theirs.bestUs, theirs.medianUs,
                        ours.medianUs / theirs.medianUs);
        }
#else
        QSKIP("built without libbluray");
#endif
    }
};

int main(int argc, char **argv)
{
    // Folders go to the comparison with libbluray, everything else to QtTest.
    QStringList testArguments;
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (i > 0 && !argument.startsWith(QLatin1Char('-')) && QFileInfo(argument).isDir())
            extraFolders << argument;
        else
            testArguments << argument;
    }
    MplsReaderBench bench;
    return QTest::qExec(&bench, testArguments);
}
#include "bench_MplsReader.moc"
