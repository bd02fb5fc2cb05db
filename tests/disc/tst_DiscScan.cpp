#include "BluRayFolderBuilder.h"
#include "DiscImageMaker.h"
#include "disc/BluRayScan.h"
#include "disc/DiscFolder.h"
#include "disc/DiscMetadata.h"
#include "disc/FileDigest.h"
#include "disc/FolderDiscSource.h"
#include "disc/FolderListing.h"
#include "disc/StreamMenuName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(DiscFolderKind)

namespace {

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Lays out a folder from a list of relative paths: a trailing "/" makes a folder, anything
// else an empty file.
bool Lay(const QString &root, const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString full = root + QLatin1Char('/') + path;
        if (path.endsWith(QLatin1Char('/')) ? !QDir().mkpath(full) : !WriteFile(full, "x"))
            return false;
    }
    return true;
}

} // namespace

// What the window learns from a folder before any widget is touched: which kind of disc it
// is, the metadata, the digests and the titles.
class DiscScanTest : public QObject
{
    Q_OBJECT

private slots:
    void detection_data();
    void detection();
    void metadata_data();
    void metadata();
    void digest_data();
    void digest();
    void listingJoinsWithOneSlashAndSkipsDotNames();
    void scanKeepsTheWindowsTitleRules();
    void imageReadsLargeFilesWhole();
    void playlistsReadInPartAreNotCopies();
};

void DiscScanTest::detection_data()
{
    QTest::addColumn<QString>("chosen"); // relative to the scratch folder
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<DiscFolderKind>("kind");

    QTest::newRow("blu-ray") << "d" << QStringList{"d/BDMV/STREAM/", "d/BDMV/PLAYLIST/"}
                             << DiscFolderKind::BluRay;
    QTest::newRow("chosen with a trailing slash")
        << "d/" << QStringList{"d/BDMV/STREAM/"} << DiscFolderKind::BluRay;
    QTest::newRow("both sub-folders are blu-ray")
        << "d" << QStringList{"d/BDMV/STREAM/", "d/VIDEO_TS/"} << DiscFolderKind::BluRay;
    // A BDMV folder decides, even when its marker is missing and a DVD sits beside it.
    QTest::newRow("BDMV without STREAM, beside VIDEO_TS")
        << "d" << QStringList{"d/BDMV/PLAYLIST/", "d/VIDEO_TS/"} << DiscFolderKind::None;
    QTest::newRow("dvd") << "d" << QStringList{"d/VIDEO_TS/"} << DiscFolderKind::Dvd;
    QTest::newRow("lower-case stream")
        << "d" << QStringList{"d/BDMV/stream/"} << DiscFolderKind::None;
    QTest::newRow("lower-case video_ts")
        << "d" << QStringList{"d/video_ts/"} << DiscFolderKind::None;
    QTest::newRow("STREAM is a file")
        << "d" << QStringList{"d/BDMV/STREAM"} << DiscFolderKind::None;
    QTest::newRow("BDMV is a file, VIDEO_TS a folder")
        << "d" << QStringList{"d/BDMV", "d/VIDEO_TS/"} << DiscFolderKind::Dvd;
    // The marker test runs over the whole path: the chosen folder's own name counts.
    QTest::newRow("marker in the chosen folder's path")
        << "MY STREAMS" << QStringList{"MY STREAMS/BDMV/PLAYLIST/"} << DiscFolderKind::BluRay;
    QTest::newRow("marker in a file name only")
        << "d" << QStringList{"d/BDMV/PLAYLIST/", "d/BDMV/STREAM.txt"} << DiscFolderKind::None;
    QTest::newRow("plain folder") << "d" << QStringList{"d/music/", "d/a.mp3"}
                                  << DiscFolderKind::None;
    QTest::newRow("missing folder") << "nothing-here" << QStringList{} << DiscFolderKind::None;
    QTest::newRow("empty path") << "" << QStringList{} << DiscFolderKind::None;
}

void DiscScanTest::detection()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, layout);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QVERIFY(Lay(scratch.path(), layout));
    const QString folder =
        chosen.isEmpty() ? QString() : scratch.path() + QLatin1Char('/') + chosen;
    QTEST(DetectDiscFolder(folder), "kind");
}

void DiscScanTest::metadata_data()
{
    QTest::addColumn<QByteArray>("file"); // "-" for a missing file
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("thumbnail");

    const QByteArray longValue(255, 'n');
    QTest::newRow("as real discs write it")
        << QByteArray("<di:title>\n  <di:name>Big Disc</di:name>\n</di:title>\n<di:description>\n"
                      "  <di:thumbnail href=\"x.jpg\" size=\"416x240\" />\n</di:description>\n")
        << QByteArray("Big Disc") << QByteArray("x.jpg");
    QTest::newRow("thumbnail closed without a blank")
        << QByteArray("<di:thumbnail href=\"pic.jpg\"/>\n") << QByteArray()
        << QByteArray("pic.jpg");
    QTest::newRow("no closing quote runs to the line end")
        << QByteArray("<di:thumbnail href=\"open.jpg />\nnext\n") << QByteArray()
        << QByteArray("open.jpg />\n");
    QTest::newRow("name without closing tag keeps the line end")
        << QByteArray("<di:name>Unclosed\r\n") << QByteArray("Unclosed\n") << QByteArray();
    QTest::newRow("name and thumbnail on one line: only the name")
        << QByteArray("<di:name>One</di:name><di:thumbnail href=\"one.jpg\" />\n")
        << QByteArray("One") << QByteArray();
    QTest::newRow("single quotes are not a thumbnail")
        << QByteArray("<di:thumbnail href='q.jpg' />\n") << QByteArray() << QByteArray();
    QTest::newRow("last values win")
        << QByteArray("<di:name>First</di:name>\n<di:thumbnail href=\"a.jpg\" />\n"
                      "<di:name>Second</di:name>\n<di:thumbnail href=\"b.jpg\" />\n")
        << QByteArray("Second") << QByteArray("b.jpg");
    QTest::newRow("255 bytes fit")
        << QByteArray("<di:name>" + longValue + "</di:name>\n") << longValue << QByteArray();
    QTest::newRow("256 bytes are ignored, the earlier value stays")
        << QByteArray("<di:name>Kept</di:name>\n<di:name>" + longValue +
                      "n</di:name>\n"
                      "<di:thumbnail href=\"k.jpg\" />\n<di:thumbnail href=\"" +
                      longValue + "x\" />\n")
        << QByteArray("Kept") << QByteArray("k.jpg");
    // A read takes at most 2,047 bytes: a name that starts near the end of a long line is
    // cut where the read ends, and the rest of the line is a line of its own.
    QTest::newRow("long line read in pieces")
        << QByteArray(QByteArray(2000, ' ') + "<di:name>" + QByteArray(38, 'a') +
                      "bbbb</di:name>\n")
        << QByteArray(38, 'a') << QByteArray();
    QTest::newRow("a zero byte ends the line")
        << QByteArray("<di:name>Ze", 11) + QByteArray(1, '\0') + "ro</di:name>\n"
        << QByteArray("Ze") << QByteArray();
    QTest::newRow("a carriage return alone is text")
        << QByteArray("<di:name>A\rB</di:name>\r\r\n") << QByteArray("A\rB") << QByteArray();
    // The file is read in pieces of 64 KiB: here "\r" ends the first and "\n" starts the next.
    QTest::newRow("line end across two reads")
        << QByteArray(QByteArray(65521, 'x') + "<di:name>Split\r\nnext\n") << QByteArray("Split\n")
        << QByteArray();
    QTest::newRow("line end at the read limit")
        << QByteArray(QByteArray(2046, ' ') + "\r\n<di:name>Y</di:name>\n" + QByteArray(2047, ' ') +
                      "<di:thumbnail href=\"t.jpg\" />\r")
        << QByteArray("Y") << QByteArray("t.jpg");
    // A damaged disc can hand out megabytes; the last of them still counts.
    QTest::newRow("megabytes before the name")
        << QByteArray(QByteArray("filler\r").repeated(600000) + "<di:name>Late</di:name>")
        << QByteArray("Late") << QByteArray();
    QTest::newRow("missing file") << QByteArray("-") << QByteArray() << QByteArray();
}

void DiscScanTest::metadata()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, thumbnail);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString path = scratch.filePath(QStringLiteral("bdmt_eng.xml"));
    if (file != "-")
        QVERIFY(WriteFile(path, file));
    const DiscMetadata metadata = ReadDiscMetadata(path);
    QCOMPARE(metadata.nameBytes, name);
    QCOMPARE(metadata.thumbnailBytes, thumbnail);
    QCOMPARE(metadata.name, QString::fromUtf8(name));
    // An image's file arrives whole, not in pieces: the same bytes give the same values.
    if (file != "-") {
        const DiscMetadata whole = ReadDiscMetadataBytes(file);
        QCOMPARE(whole.nameBytes, name);
        QCOMPARE(whole.thumbnailBytes, thumbnail);
    }
}

void DiscScanTest::digest_data()
{
    QTest::addColumn<QString>("path"); // "@" stands for a file holding `content`
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("hex"); // "unchanged" when the output must keep its value

    // FIPS 180-4's example digest of "abc".
    QTest::newRow("whole file")
        << "@" << QByteArray("abc") << 0
        << QByteArray("DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A"
                      "2192992A274FC1A836BA3C23A3FEEBBD454D4423643CE80E2A9AC94FA54CA49F");
    QTest::newRow("empty file") << "@" << QByteArray() << 87 << QByteArray("unchanged");
    QTest::newRow("missing file") << "missing" << QByteArray() << 87 << QByteArray("unchanged");
    QTest::newRow("a folder") << "." << QByteArray() << 87 << QByteArray("unchanged");
    // A kernel file claims a page of size and delivers a line: not read completely.
    QTest::newRow("short read") << "/sys/class/net/lo/address" << QByteArray() << 30
                                << QByteArray(128, '0');
}

void DiscScanTest::digest()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, content);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    if (path == QLatin1String("@")) {
        path = scratch.filePath(QStringLiteral("file"));
        QVERIFY(WriteFile(path, content));
    } else if (!path.startsWith(QLatin1Char('/'))) {
        path = scratch.filePath(path);
    } else if (!QFile::exists(path)) {
        QSKIP("no such kernel file here");
    }
    QByteArray hex = "unchanged";
    QTEST(FileDigestHex(path, hex), "code");
    QTEST(hex, "hex");
}

void DiscScanTest::listingJoinsWithOneSlashAndSkipsDotNames()
{
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QVERIFY(Lay(scratch.path(), {"sub/", "file", ".hidden", ".dir/"}));
    for (const QString &folder : {scratch.path(), scratch.path() + QLatin1Char('/')}) {
        QVector<FolderEntry> entries;
        QVERIFY(ListFolderEntries(folder, entries));
        QCOMPARE(entries.size(), 2);
        QMap<QString, FolderEntry> byPath;
        for (const FolderEntry &entry : entries)
            byPath.insert(entry.path, entry);
        QCOMPARE(byPath.value(scratch.path() + QStringLiteral("/sub")).isDirectory, 1);
        QCOMPARE(byPath.value(scratch.path() + QStringLiteral("/file")).isDirectory, 0);
        QCOMPARE(byPath.value(scratch.path() + QStringLiteral("/file")).size, quint64(1));
    }
    QVector<FolderEntry> none;
    QVERIFY(!ListFolderEntries(scratch.filePath(QStringLiteral("missing")), none));
    QVERIFY(none.isEmpty());
    QCOMPARE(JoinPath(QStringLiteral("/"), QStringLiteral("BDMV")), QStringLiteral("/BDMV"));
}

// A disc with everything the scan has to tell apart, built without streams.
void DiscScanTest::scanKeepsTheWindowsTitleRules()
{
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    BluRayFolderBuilder disc;
    disc.writeIndex = false;
    disc.AddSyntheticClip("00001", 59, {"eng", "jpn"}, {"eng", "fra"});
    disc.AddSyntheticClip("00002", 3600, {}, {});
    disc.AddSyntheticClip("00003", 61, {"fra"}, {});
    disc.AddPlaylist("00001.mpls", {"00001"}, {0, 30000});
    disc.AddPlaylist("00002.mpls", {"00002"});
    disc.AddPlaylist("00003.mpls", {"00003", "00001"});
    disc.AddByteCopy("00004.mpls", "00003.mpls");
    disc.AddPlaylist("00005.mpls", {"00001", "00003", "00003"}); // rejected: items 2, 3 alike
    disc.AddRaw("00006.mpls", "not a playlist\n");
    disc.AddFolder("00007.mpls");
    disc.SetDiscName("Ünïçödé \"Disc\"", "pic.jpg");
    disc.metadata.writePicture = false;
    const QString folder = scratch.filePath(QStringLiteral("disc"));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));

    const BluRayScan scan = ScanBluRayFolder(folder);
    QCOMPARE(scan.discName, QStringLiteral("Ünïçödé \"Disc\""));
    QCOMPARE(scan.thumbnailName, QStringLiteral("pic.jpg"));
    QCOMPARE(scan.thumbnailPath, folder + QStringLiteral("/BDMV/META/DL/pic.jpg"));

    // The byte copy is one title, under whichever name the folder lists first.
    QCOMPARE(scan.titles.size(), 3);
    const BluRayTitle &longest = scan.titles[0];
    QCOMPARE(longest.playlistName, QStringLiteral("00002.mpls"));
    QCOMPARE(longest.key, folder + QStringLiteral("/BDMV/PLAYLIST/00002.mpls"));
    QCOMPARE(longest.durationText, QStringLiteral("01:00:00"));
    QCOMPARE(longest.audioChoice, 0);
    QCOMPARE(scan.currentTitleKey, longest.key);
    // Its items offer nothing but the film's streams: no copies are kept of them.
    QVERIFY(longest.itemStreams.isEmpty());

    const BluRayTitle &pair = scan.titles[1];
    QVERIFY(pair.playlistName == QLatin1String("00003.mpls") ||
            pair.playlistName == QLatin1String("00004.mpls"));
    QCOMPARE(pair.lengthSeconds, 120); // 61 s and 59 s
    QCOMPARE(pair.durationText, QStringLiteral("00:02:00"));
    QCOMPARE(pair.audioChoice, 1);
    // The disc page offers the longest item's streams (the film's), and every item keeps its
    // own for the menus while it plays.
    QCOMPARE(pair.audioStreams.size(), 1);
    QCOMPARE(StreamMenuName(pair.audioStreams[0]), QStringLiteral("French AC3"));
    QCOMPARE(pair.itemStreams.size(), 2);
    QCOMPARE(StreamMenuName(pair.itemStreams[1].audio[1]), QStringLiteral("Japanese AC3"));
    QCOMPARE(pair.itemStreams[1].audio[1].pid, quint16(0x1101));
    QCOMPARE(pair.digest, DigestHex(disc.PlaylistBytes(QStringLiteral("00003.mpls"))));

    const BluRayTitle &shortest = scan.titles[2];
    QCOMPARE(shortest.playlistName, QStringLiteral("00001.mpls"));
    QCOMPARE(shortest.durationText, QStringLiteral("00:00:59"));
    QCOMPARE(shortest.chapters, (QVector<quint32>{0, 30000}));
    QCOMPARE(shortest.subtitles.size(), 2);

    // Every title here is one the engine lists, and each number names its own playlist.
    for (const BluRayTitle &title : scan.titles) {
        QVERIFY2(title.HasEngineTitle(), qPrintable(title.playlistName));
        QCOMPARE(scan.engineTitles.at(title.engineTitle - 1).playlistName, title.playlistName);
    }
}

// A file of an image arrives in pieces into a buffer that grows as they come.
void DiscScanTest::imageReadsLargeFilesWhole()
{
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    BluRayFolderBuilder disc;
    disc.writeIndex = false;
    disc.AddSyntheticClip("00001", 10);
    disc.AddPlaylist("00001.mpls", {"00001"});
    disc.SetDiscName("Big Picture", "big.jpg");
    disc.metadata.writePicture = false;
    const QString folder = scratch.filePath(QStringLiteral("disc"));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    // Five and a bit pieces of 256 KiB, each byte telling where it is.
    QByteArray picture(5 * 256 * 1024 + 4099, Qt::Uninitialized);
    for (qsizetype i = 0; i < picture.size(); ++i)
        picture[i] = char((i * 7 + i / 251) & 0xFF);
    QVERIFY(WriteFile(folder + QStringLiteral("/BDMV/META/DL/big.jpg"), picture));
    const QString image = scratch.filePath(QStringLiteral("disc.iso"));
    QVERIFY2(MakeUdfImage(folder, image, &error), qPrintable(error));

    const BluRayScan scan = ScanBluRayFolder(image);
    QCOMPARE(scan.discName, QStringLiteral("Big Picture"));
    QCOMPARE(scan.thumbnailData.size(), picture.size());
    QVERIFY(scan.thumbnailData == picture);
    QCOMPARE(scan.titles.size(), 1);
}

// A folder whose named files arrive without their last bytes, as from a damaged disc.
class CutDiscSource : public DiscFileSource
{
public:
    CutDiscSource(const QString &folder, const QStringList &cut)
        : DiscFileSource(folder), folder(folder), cut(cut)
    {
    }
    bool List(const QString &relative, QVector<DiscEntry> &entries) override
    {
        return folder.List(relative, entries);
    }
    bool IsFolder(const QString &relative) override { return folder.IsFolder(relative); }
    bool Read(const QString &relative, DiscFileBytes &out) override
    {
        if (!folder.Read(relative, out))
            return false;
        if (cut.contains(relative.section(QLatin1Char('/'), -1))) {
            const QByteArray whole = out.Bytes().toByteArray();
            out.Clear();
            out.Hold(whole.chopped(8), whole.size());
        }
        return true;
    }

private:
    FolderDiscSource folder;
    QStringList cut;
};

// Two different playlists that could be read only in part (their last bytes, past everything
// a title needs, missing) are two titles, not one the copy of the other.
void DiscScanTest::playlistsReadInPartAreNotCopies()
{
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    BluRayFolderBuilder disc;
    disc.writeIndex = false;
    disc.AddSyntheticClip("00001", 50);
    disc.AddSyntheticClip("00002", 70);
    disc.AddPlaylist("00001.mpls", {"00001"});
    disc.AddPlaylist("00002.mpls", {"00002"});
    // Their content again with 16 bytes after it, which the cut takes half of.
    disc.AddStructuralCopy("00003.mpls", "00001.mpls");
    disc.AddStructuralCopy("00004.mpls", "00002.mpls");
    disc.AddByteCopy("00005.mpls", "00001.mpls");
    const QString folder = scratch.filePath(QStringLiteral("disc"));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));

    CutDiscSource source(folder, {"00003.mpls", "00004.mpls"});
    const BluRayScan scan = ScanBluRay(source);
    QStringList names;
    for (const BluRayTitle &title : scan.titles)
        names << title.playlistName;
    names.sort();
    // 00005 is still a byte copy of 00001, read whole; the cut ones are both there.
    QCOMPARE(names.size(), 4);
    QVERIFY2(names.contains("00003.mpls") && names.contains("00004.mpls"),
             qPrintable(names.join(' ')));
    for (const BluRayTitle &title : scan.titles) {
        if (title.playlistName == QLatin1String("00004.mpls"))
            QCOMPARE(title.lengthSeconds, 70);
    }
}

QTEST_APPLESS_MAIN(DiscScanTest)
#include "tst_DiscScan.moc"
