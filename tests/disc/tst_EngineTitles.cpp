#include "BluRayFolderBuilder.h"
#include "LibblurayTitles.h"
#include "MplsWriter.h"
#include "disc/BluRayScan.h"
#include "disc/FileDigest.h"
#include "disc/FolderListing.h"
#include "disc/MplsReader.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <libbluray/bluray.h>
#include <libbluray/log_control.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList Names(const QVector<EngineTitleList::Entry> &entries)
{
    QStringList names;
    for (const EngineTitleList::Entry &entry : entries)
        names << entry.playlistName;
    return names;
}

struct EngineAnswer
{
    double lengthSeconds = -1;
    QStringList titlePlaylists; // ID_BLURAY_TITLE_n_PLAYLIST, in order
};

EngineAnswer AskEngine(const QString &disc, int title)
{
    QProcess engine;
    engine.start(QStringLiteral("mplayer"),
                 {QStringLiteral("-slave"), QStringLiteral("-quiet"), QStringLiteral("-identify"),
                  QStringLiteral("-demuxer"), QStringLiteral("lavf"), QStringLiteral("-vo"),
                  QStringLiteral("null"), QStringLiteral("-ao"), QStringLiteral("null"),
                  QStringLiteral("-frames"), QStringLiteral("0"),
                  QStringLiteral("br://%1").arg(title), QStringLiteral("-bluray-device"), disc});
    engine.closeWriteChannel();
    EngineAnswer answer;
    if (!engine.waitForFinished(60000))
        return answer;
    const QString out = QString::fromLocal8Bit(engine.readAllStandardOutput());
    const QRegularExpression length(QStringLiteral("^ID_LENGTH=([0-9.]+)$"),
                                    QRegularExpression::MultilineOption);
    const QRegularExpression playlist(QStringLiteral("^ID_BLURAY_TITLE_\\d+_PLAYLIST=(\\d+)$"),
                                      QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = length.match(out);
    if (match.hasMatch())
        answer.lengthSeconds = match.captured(1).toDouble();
    for (auto it = playlist.globalMatch(out); it.hasNext();)
        answer.titlePlaylists << it.next().captured(1) + QStringLiteral(".mpls");
    return answer;
}

// The length the engine reports for a title: its demuxer measures the time stamps, so a clip
// that plays again (a loop) runs on the same clock and adds nothing.
double EngineClockSeconds(const BluRayTitle &title)
{
    qint64 ms = 0;
    QSet<QString> played;
    for (const MplsPlayItem &item : title.playItems) {
        if (!played.contains(item.clipName))
            ms += item.durationMs;
        played.insert(item.clipName);
    }
    return ms / 1000.0;
}

// The numbers that counting readable playlists in listing order would give, a byte copy
// using up a number: what the engine must not be given.
QHash<QString, int> CountedNumbers(const QString &disc)
{
    QHash<QString, int> numbers;
    QVector<FolderEntry> entries;
    ListFolderEntries(disc + QStringLiteral("/BDMV/PLAYLIST"), entries);
    MplsReader reader;
    QSet<QByteArray> digests;
    int counter = 1;
    for (const FolderEntry &entry : entries) {
        QVector<MplsPlayItem> items;
        QVector<MplsStream> subtitles, audio;
        QVector<quint32> marks;
        if (entry.isDirectory ||
            reader.ReadPlaylist(entry.path, items, subtitles, audio, marks) != 0 || items.isEmpty())
            continue;
        QByteArray digest;
        FileDigestHex(entry.path, digest);
        if (!digests.contains(digest))
            numbers.insert(QFileInfo(entry.path).fileName(), counter);
        digests.insert(digest);
        ++counter;
    }
    return numbers;
}

} // namespace

// The number the engine is given for a title is the engine's own: checked against libbluray
// (which the engine uses to list titles) and against what the engine then plays.
class EngineTitlesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void numbersPlayThePlaylistsTheyName();
    void agreesWithLibblurayOnDamagedDiscs();

private:
    QTemporaryDir cache;
};

void EngineTitlesTest::initTestCase()
{
    bd_set_debug_mask(0);
    QVERIFY(cache.isValid());
}

void EngineTitlesTest::numbersPlayThePlaylistsTheyName()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mplayer")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        QSKIP("mplayer and ffmpeg are needed");

    // Raw directory order is the file system's (hash order on ext4): the names are moved
    // until the order puts a skipped playlist before a counted one, so that counting would
    // give at least one title a wrong number.
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QString disc;
    BluRayScan scan;
    QHash<QString, int> counted;
    auto name = [](int base, int n) {
        return QStringLiteral("%1.mpls").arg(base + n, 5, 10, QLatin1Char('0'));
    };
    for (int attempt = 0; attempt < 12 && disc.isEmpty(); ++attempt) {
        const int base = attempt * 20;
        BluRayFolderBuilder builder;
        builder.streamCache = cache.path();
        builder.AddClip("00001", 3);
        builder.AddClip("00002", 5, {"eng", "fra"}, {"eng"});
        builder.AddClip("00003", 7, {"jpn"});
        builder.AddClip("00004", 9, {});
        builder.AddPlaylist(name(base, 1), {"00001"});
        builder.AddPlaylist(name(base, 2), {"00002"}, {0, 2000});
        builder.AddByteCopy(name(base, 3), name(base, 1));
        builder.AddStructuralCopy(name(base, 4), name(base, 2));
        builder.AddLoop(name(base, 5), "00003", 3); // dropped by both
        builder.AddLoop(name(base, 6), "00003", 2); // twice is a title
        builder.AddPlaylist(name(base, 7), {"00004"});
        builder.AddPlaylist(QStringLiteral("%1.mpls").arg(base + 8), {"00001", "00002"});
        BluRayFolderBuilder::Playlist &rejected = // the engine lists it, the window does not
            builder.AddPlaylist(name(base, 9), {"00001", "00002", "00002"});
        rejected.items[2].trimStartMs = 1000;
        builder.AddPlaylist(name(base, 10), {}); // no items
        builder.AddRaw(name(base, 11), "#EXTM3U\n");
        const QString candidate = root.filePath(QStringLiteral("disc%1").arg(attempt));
        QString error;
        QVERIFY2(builder.Build(candidate, &error), qPrintable(error));

        scan = ScanBluRayFolder(candidate);
        counted = CountedNumbers(candidate);
        for (const BluRayTitle &title : scan.titles) {
            if (title.HasEngineTitle() && counted.value(title.playlistName) != title.engineTitle)
                disc = candidate;
        }
    }
    QVERIFY2(!disc.isEmpty(), "no listing order made counting differ from the engine");

    QStringList libbluray;
    QVERIFY(LibblurayTitles(disc, libbluray));
    QCOMPARE(Names(scan.engineTitles), libbluray);

    // Byte copies are one title; the structural copy is a title the engine does not list;
    // the title named "N.mpls" without five digits is listed but cannot be played by number.
    QCOMPARE(scan.titles.size(), 6);
    int unreachable = 0;
    QSet<int> lengths;
    for (const BluRayTitle &title : scan.titles) {
        if (!title.HasEngineTitle()) {
            ++unreachable;
            QVERIFY2(!libbluray.contains(title.playlistName), qPrintable(title.playlistName));
            continue;
        }
        QCOMPARE(libbluray.at(title.engineTitle - 1), title.playlistName);
        const EngineAnswer answer = AskEngine(disc, title.engineTitle);
        QCOMPARE(answer.titlePlaylists, libbluray.filter(QRegularExpression(QStringLiteral("."))));
        QVERIFY2(qAbs(answer.lengthSeconds - EngineClockSeconds(title)) < 0.25,
                 qPrintable(QStringLiteral("br://%1 (%2) plays %3 s, the title lasts %4 s")
                                .arg(title.engineTitle)
                                .arg(title.playlistName)
                                .arg(answer.lengthSeconds)
                                .arg(EngineClockSeconds(title))));
        lengths.insert(qRound(answer.lengthSeconds));
    }
    QCOMPARE(unreachable, 2);
    // The clips' lengths tell every numbered title apart.
    QCOMPARE(lengths.size(), scan.titles.size() - unreachable);
}

// Playlists built from a few originals with damage of every kind (cut, flipped bytes,
// trailing bytes, extension data, odd versions and names, folders, backup copies): the
// title list must be libbluray's on every disc. ORVEL_DISC_DIFFERENTIAL_ROUNDS sets the
// number of discs.
void EngineTitlesTest::agreesWithLibblurayOnDamagedDiscs()
{
    const int rounds = qEnvironmentVariableIsSet("ORVEL_DISC_DIFFERENTIAL_ROUNDS")
                           ? qEnvironmentVariableIntValue("ORVEL_DISC_DIFFERENTIAL_ROUNDS")
                           : 300;
    QRandomGenerator random(20261207);
    int compared = 0;
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QDir disc(folder.path());
        QVERIFY(disc.mkpath(QStringLiteral("BDMV/PLAYLIST")));
        const bool backup = random.bounded(4) == 0;
        if (backup)
            QVERIFY(disc.mkpath(QStringLiteral("BDMV/BACKUP/PLAYLIST")));

        QVector<QByteArray> originals;
        for (int k = 0; k < 4; ++k) {
            MplsWriter writer;
            const int items = int(random.bounded(5));
            for (int i = 0; i < items; ++i) {
                MplsWriter::Item item;
                item.clip = QByteArray::number(random.bounded(3) + 1).rightJustified(5, '0');
                item.inTicks = 63000;
                item.outTicks = 63000 + 45000 * (1 + random.bounded(3));
                item.video = {MplsWriter::Video()};
                for (int a = int(random.bounded(3)); a > 0; --a)
                    item.audio << MplsWriter::Audio(0x81, random.bounded(2) ? "eng" : "fra");
                for (int s = int(random.bounded(3)); s > 0; --s)
                    item.subtitles << (random.bounded(2) ? MplsWriter::GraphicsSubtitle("eng")
                                                         : MplsWriter::TextSubtitle("jpn"));
                item.multiAngle = random.bounded(6) == 0;
                item.angleCount = quint8(random.bounded(4));
                writer.items << item;
            }
            for (int m = items ? int(random.bounded(4)) : 0; m > 0; --m)
                writer.marks << MplsWriter::Mark{quint8(1 + random.bounded(2)),
                                                 quint16(random.bounded(items)),
                                                 63000u + 45000u * random.bounded(3)};
            writer.version = random.bounded(8) == 0 ? "0250" : random.bounded(2) ? "0200" : "0100";
            originals << writer.ToBytes();
        }

        for (int files = 3 + int(random.bounded(12)); files > 0; --files) {
            QByteArray bytes = originals[int(random.bounded(originals.size()))];
            switch (random.bounded(10)) {
            case 0:
                bytes.truncate(int(random.bounded(bytes.size() + 1)));
                break;
            case 1:
                for (int k = 1 + int(random.bounded(3)); k > 0 && !bytes.isEmpty(); --k)
                    bytes[int(random.bounded(bytes.size()))] = char(random.bounded(256));
                break;
            case 2:
                bytes.append(QByteArray(int(random.bounded(40)), char(random.bounded(256))));
                break;
            case 3:
                if (bytes.size() > 41) {
                    const int at = 40 + int(random.bounded(bytes.size() - 40));
                    bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
                }
                break;
            case 4: {
                // Extension data with a sub-path extension, whose count libbluray compares.
                const quint32 at = quint32(bytes.size());
                if (at < 20)
                    break;
                for (int b = 0; b < 4; ++b)
                    bytes[16 + b] = char(at >> (24 - 8 * b));
                const auto word32 = [&bytes](quint32 v) {
                    for (int b = 0; b < 4; ++b)
                        bytes.append(char(v >> (24 - 8 * b)));
                };
                word32(40);
                word32(0);
                bytes.append(3, '\0');
                bytes.append(char(1));
                bytes.append(QByteArray::fromHex("0002"));
                bytes.append(random.bounded(2) ? QByteArray::fromHex("0002")
                                               : QByteArray::fromHex("0001"));
                word32(24);
                word32(16);
                bytes.append(QByteArray(int(at + 24 - bytes.size()), '\0'));
                word32(12);
                bytes.append(char(0));
                bytes.append(char(random.bounded(3)));
                for (int s = 0; s < 3; ++s) {
                    word32(random.bounded(2) ? 6 : 100000);
                    bytes.append(QByteArray::fromHex("000200000000"));
                }
                break;
            }
            default:
                break;
            }
            QString name;
            switch (random.bounded(20)) {
            case 0:
                name = QStringLiteral("%1.mpls").arg(random.bounded(30));
                break;
            case 1:
                name = QStringLiteral("%1.bak").arg(random.bounded(30), 5, 10, QLatin1Char('0'));
                break;
            case 2:
                name = QStringLiteral(".%1.mpls").arg(random.bounded(30), 5, 10, QLatin1Char('0'));
                break;
            case 3:
                disc.mkpath(QStringLiteral("BDMV/PLAYLIST/%1.mpls")
                                .arg(random.bounded(30), 5, 10, QLatin1Char('0')));
                continue;
            default:
                name = QStringLiteral("%1.mpls").arg(random.bounded(30), 5, 10, QLatin1Char('0'));
            }
            const QString sub = backup && random.bounded(3) == 0
                                    ? QStringLiteral("BDMV/BACKUP/PLAYLIST/")
                                    : QStringLiteral("BDMV/PLAYLIST/");
            QFile file(disc.filePath(sub + name));
            if (file.exists())
                continue;
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }

        QStringList libbluray;
        if (!LibblurayTitles(folder.path(), libbluray))
            continue; // libbluray crashed or could not open it: nothing to compare with
        ++compared;
        const QStringList ours = Names(EngineTitleList::ForDisc(folder.path()));
        if (ours != libbluray) {
            folder.setAutoRemove(false);
            QFAIL(qPrintable(QStringLiteral("round %1, %2:\n libbluray: %3\n ours:      %4")
                                 .arg(round)
                                 .arg(folder.path(), libbluray.join(QLatin1Char(' ')),
                                      ours.join(QLatin1Char(' ')))));
        }
    }
    // Most discs must have been compared, or the test proves little.
    QVERIFY2(compared > rounds * 8 / 10, qPrintable(QString::number(compared)));
}

QTEST_GUILESS_MAIN(EngineTitlesTest)
#include "tst_EngineTitles.moc"
