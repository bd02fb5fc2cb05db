#include "BluRayFolderBuilder.h"
#include "DiscImageMaker.h"
#include "DvdFolderBuilder.h"
#include "LibblurayTitles.h"
#include "disc/BluRayScan.h"
#include "disc/DiscFolder.h"
#include "disc/EngineTitleList.h"
#include "engine/EngineCommandLine.h"
#include "platform/PathBytes.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <libbluray/log_control.h>

namespace {

// Descriptors of a UDF image are little-endian and sealed by a tag: a checksum over the tag
// and a CRC over the body. The damage below is made with valid seals, so that what is tested
// is the reader's handling of what the descriptors say, not its seal checks.
quint32 Le(const QByteArray &image, qsizetype at, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(image[at + i]);
    return value;
}

void SetLe(QByteArray &image, qsizetype at, quint64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        image[at + i] = char(value >> (8 * i));
}

bool TagValid(const QByteArray &image, qsizetype at)
{
    if (at + 16 > image.size())
        return false;
    quint8 sum = 0;
    for (int i = 0; i < 16; ++i)
        sum += i == 4 ? 0 : quint8(image[at + i]);
    return sum == quint8(image[at + 4]) && Le(image, at, 2) != 0;
}

void Reseal(QByteArray &image, qsizetype at)
{
    const int length = int(Le(image, at + 10, 2));
    quint16 crc = 0;
    for (int i = 0; i < length; ++i) {
        crc ^= quint16(quint8(image[at + 16 + i]) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x8000 ? quint16(crc << 1 ^ 0x1021) : quint16(crc << 1);
    }
    SetLe(image, at + 8, crc, 2);
    quint8 sum = 0;
    for (int i = 0; i < 16; ++i)
        sum += i == 4 ? 0 : quint8(image[at + i]);
    image[at + 4] = char(sum);
}

// Reseals a file identifier and, when its directory is kept inside a file entry, that entry.
void ResealIdentifier(QByteArray &image, qsizetype at)
{
    Reseal(image, at);
    const qsizetype block = at - at % 2048;
    const quint32 tag = Le(image, block, 2);
    if (block != at && (tag == 261 || tag == 266))
        Reseal(image, block);
}

// The offset of the file identifier descriptor that names `name`.
qsizetype FindIdentifier(const QByteArray &image, const QByteArray &name)
{
    for (qsizetype at = 0; at + 40 < image.size(); at += 4) {
        if (Le(image, at, 2) != 257 || !TagValid(image, at))
            continue;
        const int nameLength = quint8(image[at + 19]);
        const qsizetype id = at + 38 + Le(image, at + 36, 2);
        if (nameLength == name.size() + 1 && image[id] == 8 &&
            image.mid(id + 1, name.size()) == name)
            return at;
    }
    return -1;
}

// The offset of the file entry of the one file of this size.
qsizetype FindFileEntry(const QByteArray &image, quint64 size)
{
    for (qsizetype at = 0; at + 64 < image.size(); at += 2048) {
        const quint32 tag = Le(image, at, 2);
        if ((tag == 261 || tag == 266) && TagValid(image, at) &&
            (quint64(Le(image, at + 60, 4)) << 32 | Le(image, at + 56, 4)) == size)
            return at;
    }
    return -1;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What a dump says of a title apart from its name and number, which follow listing order.
QString TitleContent(const QJsonObject &title)
{
    QJsonObject content = title;
    content.remove(QStringLiteral("playlist"));
    content.remove(QStringLiteral("engineTitle"));
    return QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact));
}

enum class Damage
{
    Empty,
    OneBlock,
    CutBeforeAnchor,
    CutAfterAnchor,
    CutFiles,
    CutLastBlock,
    AnchorsWiped,
    VolumeDescriptorsWiped,
    Garbage,
    PlaylistFolderLoops,
    RootLoops,
    FileClaimsTerabyte,
    FileSetSearchEndless,
};

constexpr int RawPlaylistSize = 777; // a size no other file of the damaged disc has

} // namespace

Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(DiscFolderKind)

// Disc images (UDF .iso files) read as their folders: the same dump, the engine's numbers as
// libbluray gives them on the image, the engine playing them, and damaged images refused.
class DiscImagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void imagesDumpAsTheirFolders();
    void numbersFollowTheImagesOwnOrder();
    void damagedImages_data();
    void damagedImages();
    void enginePlaysImages();
    void namesThatAreNotUtf8AreDiscsToo();

private:
    QTemporaryDir root;
    QString damagedBase; // the image that damagedImages damages
};

void DiscImagesTest::initTestCase()
{
    bd_set_debug_mask(0);
    QVERIFY(root.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("genisoimage")).isEmpty())
        QSKIP("genisoimage is needed");
}

void DiscImagesTest::imagesDumpAsTheirFolders()
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dvdauthor")).isEmpty())
        QSKIP("ffmpeg and dvdauthor are needed");
    QStringList folders;
    QString error;

    BluRayFolderBuilder named;
    named.AddSyntheticClip("00001", 30, {"eng", "fra"}, {"eng", "jpn"});
    named.AddSyntheticClip("00002", 10, {}, {});
    named.AddSyntheticClip("00003", 70, {"kor"});
    named.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"}, {0, 10000, 20000});
    named.AddPlaylist(QStringLiteral("00002.mpls"), {"00002"});
    named.AddByteCopy(QStringLiteral("00003.mpls"), QStringLiteral("00001.mpls"));
    named.AddStructuralCopy(QStringLiteral("00004.mpls"), QStringLiteral("00002.mpls"));
    named.AddLoop(QStringLiteral("00005.mpls"), "00003", 3);
    named.AddPlaylist(QStringLiteral("00006.mpls"), {"00003", "00002"}, {0, 70000});
    named.AddPlaylist(QStringLiteral("7.mpls"), {"00002"});
    named.AddRaw(QStringLiteral("00008.mpls"), "not a playlist");
    named.AddFolder(QStringLiteral("00009.mpls"));
    named.SetDiscName("Ünïçödé \"Disc\"", "thumb.jpg");
    folders << root.filePath(QStringLiteral("named"));
    QVERIFY2(named.Build(folders.last(), &error), qPrintable(error));

    BluRayFolderBuilder bare;
    bare.writeIndex = false;
    bare.AddRaw(QStringLiteral("00001.mpls"), "MPLS0200");
    bare.AddSyntheticClip("00002", 5);
    bare.AddPlaylist(QStringLiteral("00002.mpls"), {"00002"});
    folders << root.filePath(QStringLiteral("bare"));
    QVERIFY2(bare.Build(folders.last(), &error), qPrintable(error));
    // libbluray falls back to a backup copy of a playlist it cannot read.
    QVERIFY(QDir(folders.last()).mkpath(QStringLiteral("BDMV/BACKUP/PLAYLIST")));
    QVERIFY(WriteAll(folders.last() + QStringLiteral("/BDMV/BACKUP/PLAYLIST/00001.mpls"),
                     ReadAll(folders.last() + QStringLiteral("/BDMV/PLAYLIST/00002.mpls"))));

    DvdFolderBuilder dvd;
    dvd.seconds = 2;
    folders << root.filePath(QStringLiteral("dvd"));
    QVERIFY2(dvd.Build(folders.last(), &error), qPrintable(error));

    folders << root.filePath(QStringLiteral("lower"));
    QVERIFY(QDir().mkpath(folders.last() + QStringLiteral("/BDMV/stream")));

    QStringList images;
    for (const QString &folder : folders) {
        images << folder + QStringLiteral(".iso");
        QVERIFY2(MakeUdfImage(folder, images.last(), &error), qPrintable(error));
    }

    QProcess dump;
    dump.start(QStringLiteral(ORVEL_DISC_DUMP), folders + images);
    QVERIFY(dump.waitForFinished(60000));
    QCOMPARE(dump.exitCode(), 0);
    const QList<QByteArray> lines = dump.readAllStandardOutput().split('\n');
    QCOMPARE(lines.size(), 2 * folders.size() + 1);

    const QStringList kinds{QStringLiteral("bluray"), QStringLiteral("bluray"),
                            QStringLiteral("dvd"), QStringLiteral("none")};
    for (int i = 0; i < folders.size(); ++i) {
        const QJsonObject folder = QJsonDocument::fromJson(lines[i]).object();
        const QJsonObject image = QJsonDocument::fromJson(lines[i + folders.size()]).object();
        QCOMPARE(image.value(QStringLiteral("folder")).toString(), images[i]);
        QCOMPARE(image.value(QStringLiteral("kind")).toString(), kinds[i]);
        for (const QString &key : {QStringLiteral("kind"), QStringLiteral("name"),
                                   QStringLiteral("thumbnail"), QStringLiteral("pictureLoaded")})
            QCOMPARE(image.value(key), folder.value(key));

        // The same titles in the same menu order, apart from which of two equal files is
        // kept: that, and the numbers, follow each medium's own listing order.
        const QJsonArray folderTitles = folder.value(QStringLiteral("titles")).toArray();
        const QJsonArray imageTitles = image.value(QStringLiteral("titles")).toArray();
        QCOMPARE(imageTitles.size(), folderTitles.size());
        QStringList folderContent, imageContent;
        for (int t = 0; t < imageTitles.size(); ++t) {
            folderContent << TitleContent(folderTitles[t].toObject());
            imageContent << TitleContent(imageTitles[t].toObject());
        }
        folderContent.sort();
        imageContent.sort();
        QCOMPARE(imageContent, folderContent);
        if (!imageTitles.isEmpty())
            QCOMPARE(image.value(QStringLiteral("current")).toString(),
                     imageTitles[0].toObject().value(QStringLiteral("playlist")).toString());

        if (kinds[i] != QLatin1String("bluray"))
            continue;
        QStringList libbluray;
        QVERIFY(LibblurayTitles(images[i], libbluray));
        for (const QJsonValue &value : imageTitles) {
            const QJsonObject title = value.toObject();
            const QString playlist = title.value(QStringLiteral("playlist")).toString();
            if (title.value(QStringLiteral("engineTitle")).isNull()) {
                QVERIFY2(!libbluray.contains(playlist), qPrintable(playlist));
                continue;
            }
            const int number = title.value(QStringLiteral("engineTitle")).toInt();
            QVERIFY2(number >= 1 && number <= libbluray.size(), qPrintable(playlist));
            QCOMPARE(libbluray.at(number - 1), playlist);
        }
    }
    // Named: the 70 s title is the loop's clip played once with 10 s after it, the three
    // lengths give three titles, the copies and the loop give none, 7.mpls has no number.
    const QJsonArray namedTitles =
        QJsonDocument::fromJson(lines[folders.size()]).object().value("titles").toArray();
    QCOMPARE(namedTitles.size(), 4);
}

void DiscImagesTest::numbersFollowTheImagesOwnOrder()
{
    BluRayFolderBuilder builder;
    builder.AddSyntheticClip("00001", 20);
    builder.AddSyntheticClip("00002", 10);
    builder.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"});
    builder.AddPlaylist(QStringLiteral("00002.mpls"), {"00002"});
    const QString folder = root.filePath(QStringLiteral("order"));
    QString error;
    QVERIFY2(builder.Build(folder, &error), qPrintable(error));
    const QString sorted = folder + QStringLiteral(".iso");
    QVERIFY2(MakeUdfImage(folder, sorted, &error), qPrintable(error));

    // The image lists its names sorted; swapping the two identifiers in the playlist
    // folder lists 00002.mpls first, which a reader that sorted names would not see.
    QByteArray image = ReadAll(sorted);
    const qsizetype first = FindIdentifier(image, "00001.mpls");
    const qsizetype second = FindIdentifier(image, "00002.mpls");
    QVERIFY(first > 0 && second > first);
    const qsizetype length = second - first;
    QCOMPARE(FindIdentifier(image.mid(second, length), "00002.mpls"), 0);
    const QByteArray a = image.mid(first, length);
    image.replace(first, length, image.mid(second, length));
    image.replace(second, length, a);
    ResealIdentifier(image, first);
    const QString swapped = folder + QStringLiteral("-swapped.iso");
    QVERIFY(WriteAll(swapped, image));

    for (const QString &path : {sorted, swapped}) {
        QStringList libbluray;
        QVERIFY(LibblurayTitles(path, libbluray));
        QCOMPARE(libbluray.size(), 2);
        QStringList ours;
        for (const EngineTitleList::Entry &entry : EngineTitleList::ForDisc(path))
            ours << entry.playlistName;
        QCOMPARE(ours, libbluray);
        const BluRayScan scan = ScanBluRayFolder(path);
        QCOMPARE(scan.titles.size(), 2);
        QCOMPARE(scan.titles[0].playlistName, QStringLiteral("00001.mpls"));
        QCOMPARE(scan.titles[0].engineTitle, libbluray.indexOf(QStringLiteral("00001.mpls")) + 1);
        QCOMPARE(scan.titles[1].engineTitle, libbluray.indexOf(QStringLiteral("00002.mpls")) + 1);
    }
    QStringList swappedList;
    QVERIFY(LibblurayTitles(swapped, swappedList));
    QCOMPARE(swappedList.first(), QStringLiteral("00002.mpls"));
}

void DiscImagesTest::damagedImages_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<DiscFolderKind>("kind");
    QTest::addColumn<int>("titles"); // -1: any number up to the undamaged disc's two

    QTest::newRow("empty file") << Damage::Empty << DiscFolderKind::None << 0;
    QTest::newRow("one block") << Damage::OneBlock << DiscFolderKind::None << 0;
    QTest::newRow("cut before the anchor") << Damage::CutBeforeAnchor << DiscFolderKind::None << 0;
    QTest::newRow("cut after the anchor") << Damage::CutAfterAnchor << DiscFolderKind::None << 0;
    QTest::newRow("cut through the files") << Damage::CutFiles << DiscFolderKind::BluRay << -1;
    QTest::newRow("last block cut") << Damage::CutLastBlock << DiscFolderKind::BluRay << 2;
    QTest::newRow("anchors wiped") << Damage::AnchorsWiped << DiscFolderKind::None << 0;
    QTest::newRow("volume descriptors wiped")
        << Damage::VolumeDescriptorsWiped << DiscFolderKind::None << 0;
    QTest::newRow("random bytes") << Damage::Garbage << DiscFolderKind::None << 0;
    QTest::newRow("playlist folder is its own parent")
        << Damage::PlaylistFolderLoops << DiscFolderKind::BluRay << 0;
    QTest::newRow("BDMV is the root") << Damage::RootLoops << DiscFolderKind::None << 0;
    QTest::newRow("a file claims a terabyte")
        << Damage::FileClaimsTerabyte << DiscFolderKind::BluRay << 2;
    QTest::newRow("file set searched without end")
        << Damage::FileSetSearchEndless << DiscFolderKind::None << 0;
}

void DiscImagesTest::damagedImages()
{
    QFETCH(Damage, damage);
    QFETCH(DiscFolderKind, kind);
    QFETCH(int, titles);
    QString error;
    if (damagedBase.isEmpty()) {
        BluRayFolderBuilder builder;
        builder.AddSyntheticClip("00001", 20);
        builder.AddSyntheticClip("00002", 10);
        builder.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"});
        builder.AddPlaylist(QStringLiteral("00002.mpls"), {"00002"});
        builder.AddRaw(QStringLiteral("00003.mpls"), QByteArray(RawPlaylistSize, 'x'));
        const QString folder = root.filePath(QStringLiteral("damaged"));
        QVERIFY2(builder.Build(folder, &error), qPrintable(error));
        damagedBase = folder + QStringLiteral(".iso");
        QVERIFY2(MakeUdfImage(folder, damagedBase, &error), qPrintable(error));
        const BluRayScan undamaged = ScanBluRayFolder(damagedBase);
        QCOMPARE(undamaged.titles.size(), 2);
    }
    QByteArray image = ReadAll(damagedBase);
    QVERIFY(image.size() > 300 * 2048);
    const qsizetype blocks = image.size() / 2048;
    auto block = [](qsizetype n) { return n * 2048; };

    switch (damage) {
    case Damage::Empty:
        image.clear();
        break;
    case Damage::OneBlock:
        image.truncate(2048);
        break;
    case Damage::CutBeforeAnchor:
        image.truncate(block(200));
        break;
    case Damage::CutAfterAnchor:
        image.truncate(block(257));
        break;
    case Damage::CutFiles:
        image.truncate(block(blocks - 30));
        break;
    case Damage::CutLastBlock:
        image.truncate(block(blocks - 1) + 100);
        break;
    case Damage::AnchorsWiped:
    case Damage::VolumeDescriptorsWiped: {
        QVector<qsizetype> anchors;
        for (qsizetype n = 0; n < blocks; ++n) {
            if (Le(image, block(n), 2) == 2 && TagValid(image, block(n)))
                anchors << block(n);
        }
        QVERIFY(!anchors.isEmpty());
        for (const qsizetype anchor : anchors) {
            if (damage == Damage::AnchorsWiped) {
                image.replace(anchor, 2048, QByteArray(2048, '\0'));
                continue;
            }
            for (const int extent : {16, 24}) {
                const qsizetype start = block(Le(image, anchor + extent + 4, 4));
                const qsizetype length = Le(image, anchor + extent, 4);
                QVERIFY(start + length <= image.size());
                image.replace(start, length, QByteArray(length, '\0'));
            }
        }
        break;
    }
    case Damage::Garbage: {
        QRandomGenerator random(7);
        for (char &c : image)
            c = char(random.bounded(256));
        break;
    }
    case Damage::PlaylistFolderLoops:
    case Damage::RootLoops: {
        // The identifier's ICB (a long allocation descriptor at byte 20) points at another
        // folder's entry: PLAYLIST at BDMV, whose listing then holds PLAYLIST itself, or BDMV
        // at the root folder, which has no STREAM beside it.
        const qsizetype bdmv = FindIdentifier(image, "BDMV");
        const qsizetype playlist = FindIdentifier(image, "PLAYLIST");
        const qsizetype parentOfRoot = [&] {
            // The root's own entry is the parent identifier at the root folder's start.
            for (qsizetype at = bdmv - 4; at >= bdmv - 2048 && at >= 0; at -= 4) {
                if (Le(image, at, 2) == 257 && TagValid(image, at) && (image[at + 18] & 8))
                    return at;
            }
            return qsizetype(-1);
        }();
        QVERIFY(bdmv > 0 && playlist > 0 && parentOfRoot >= 0);
        const qsizetype target = damage == Damage::PlaylistFolderLoops ? playlist : bdmv;
        const qsizetype source = damage == Damage::PlaylistFolderLoops ? bdmv : parentOfRoot;
        image.replace(target + 20, 16, image.mid(source + 20, 16));
        ResealIdentifier(image, target);
        break;
    }
    case Damage::FileSetSearchEndless: {
        // The logical volume's file set extent (a long allocation descriptor at byte 248)
        // gets length 0 and a start whose last block, as the reader counts, is the largest
        // block number: a search that never ends.
        bool found = false;
        for (qsizetype n = 0; n < blocks; ++n) {
            if (Le(image, block(n), 2) == 6 && TagValid(image, block(n))) {
                SetLe(image, block(n) + 248, 0, 4);
                SetLe(image, block(n) + 252, 0xFFE00000u, 4);
                Reseal(image, block(n));
                found = true;
            }
        }
        QVERIFY(found);
        break;
    }
    case Damage::FileClaimsTerabyte: {
        const qsizetype entry = FindFileEntry(image, RawPlaylistSize);
        QVERIFY(entry > 0);
        SetLe(image, entry + 56, quint64(1) << 40, 8);
        Reseal(image, entry);
        break;
    }
    }
    const QString path = root.filePath(QStringLiteral("damaged-%1.iso").arg(int(damage)));
    QVERIFY(WriteAll(path, image));

    QCOMPARE(DetectDiscFolder(path), kind);
    const BluRayScan scan = ScanBluRayFolder(path);
    if (titles >= 0)
        QCOMPARE(scan.titles.size(), titles);
    else
        QVERIFY(scan.titles.size() <= 2);
    for (const BluRayTitle &title : scan.titles)
        QVERIFY(!title.HasEngineTitle() ||
                scan.engineTitles.at(title.engineTitle - 1).playlistName == title.playlistName);
}

void DiscImagesTest::enginePlaysImages()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mplayer")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dvdauthor")).isEmpty())
        QSKIP("mplayer, ffmpeg and dvdauthor are needed");
    QString error;
    BluRayFolderBuilder bluray;
    bluray.AddClip("00001", 3);
    bluray.AddClip("00002", 6, {"eng", "fra"});
    bluray.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"});
    bluray.AddPlaylist(QStringLiteral("00002.mpls"), {"00002"}, {0, 3000});
    const QString blurayFolder = root.filePath(QStringLiteral("played"));
    QVERIFY2(bluray.Build(blurayFolder, &error), qPrintable(error));
    const QString blurayImage = blurayFolder + QStringLiteral(".iso");
    QVERIFY2(MakeUdfImage(blurayFolder, blurayImage, &error), qPrintable(error));

    DvdFolderBuilder dvd;
    dvd.seconds = 3;
    const QString dvdFolder = root.filePath(QStringLiteral("played-dvd"));
    QVERIFY2(dvd.Build(dvdFolder, &error), qPrintable(error));
    const QString dvdImage = dvdFolder + QStringLiteral(".iso");
    QVERIFY2(MakeUdfImage(dvdFolder, dvdImage, &error), qPrintable(error));
    QCOMPARE(DetectDiscFolder(dvdImage), DiscFolderKind::Dvd);

    auto play = [](const QStringList &arguments) {
        QProcess engine;
        engine.start(QStringLiteral("mplayer"),
                     QStringList{QStringLiteral("-identify")} + HeadlessEngineArguments(arguments));
        engine.closeWriteChannel();
        engine.waitForFinished(60000);
        return QString::fromLocal8Bit(engine.readAllStandardOutput());
    };
    const QRegularExpression length(QStringLiteral("^ID_LENGTH=([0-9.]+)$"),
                                    QRegularExpression::MultilineOption);

    // The longest title is the one the disc page plays first, by the engine's number.
    const BluRayScan scan = ScanBluRayFolder(blurayImage);
    QCOMPARE(scan.titles.size(), 2);
    const BluRayTitle &longest = scan.titles.first();
    QVERIFY(longest.HasEngineTitle());
    const QString played = play(
        EngineArguments(EngineSource::BluRayFolder, blurayImage, 0, true, longest.engineTitle));
    QVERIFY2(played.contains(QStringLiteral("VIDEO:")), qPrintable(played));
    QVERIFY2(played.contains(QStringLiteral("-aid 1")), qPrintable(played)); // its 2nd language
    const QRegularExpressionMatch match = length.match(played);
    QVERIFY2(match.hasMatch(), qPrintable(played));
    QVERIFY2(qAbs(match.captured(1).toDouble() - longest.lengthSeconds) < 1.0,
             qPrintable(match.captured(1)));

    const QString dvdPlayed = play(EngineArguments(EngineSource::DvdFolder, dvdImage, 0));
    QVERIFY2(dvdPlayed.contains(QStringLiteral("VIDEO:  [MPG2]")), qPrintable(dvdPlayed));
    QVERIFY2(dvdPlayed.contains(QStringLiteral("Exiting... (End of file)")), qPrintable(dvdPlayed));
}

// "Café" as an old Latin-1 system wrote it: a Blu-ray folder, a Blu-ray image and a DVD image
// under such names are the discs they are, for the scan and for the dump alike.
void DiscImagesTest::namesThatAreNotUtf8AreDiscsToo()
{
    QString error;
    BluRayFolderBuilder bluray;
    bluray.AddSyntheticClip("00001", 20, {"eng"}, {});
    bluray.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"}, {0, 10000});
    const QString blurayBuilt = root.filePath(QStringLiteral("latin-bd"));
    QVERIFY2(bluray.Build(blurayBuilt, &error), qPrintable(error));
    QVERIFY2(MakeUdfImage(blurayBuilt, blurayBuilt + ".iso", &error), qPrintable(error));
    DvdFolderBuilder dvd;
    dvd.seconds = 2;
    const QString dvdBuilt = root.filePath(QStringLiteral("latin-dvd"));
    QVERIFY2(dvd.Build(dvdBuilt, &error), qPrintable(error));
    QVERIFY2(MakeUdfImage(dvdBuilt, dvdBuilt + ".iso", &error), qPrintable(error));

    const QByteArray base = QFile::encodeName(root.path()) + "/Caf\xe9";
    const QList<QPair<QString, QByteArray>> moves{{blurayBuilt, base + " BD"},
                                                  {blurayBuilt + ".iso", base + " BD.iso"},
                                                  {dvdBuilt + ".iso", base + " DVD.iso"}};
    for (const auto &[from, to] : moves)
        QCOMPARE(::rename(QFile::encodeName(from).constData(), to.constData()), 0);
    // Qt could not remove these names with the temporary folder.
    const auto cleanUp = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("/bin/sh"),
                          {"-c", "rm -rf \"$0\"/Caf?\\ BD*  \"$0\"/Caf?\\ DVD.iso", root.path()});
    });
    const QString folder = PathBytes::FromBytes(base + " BD");
    const QString blurayImage = PathBytes::FromBytes(base + " BD.iso");
    const QString dvdImage = PathBytes::FromBytes(base + " DVD.iso");

    QCOMPARE(DetectDiscFolder(folder), DiscFolderKind::BluRay);
    QCOMPARE(DetectDiscFolder(blurayImage), DiscFolderKind::BluRay);
    QCOMPARE(DetectDiscFolder(dvdImage), DiscFolderKind::Dvd);
    for (const QString &disc : {folder, blurayImage}) {
        const BluRayScan scan = ScanBluRayFolder(disc);
        QCOMPARE(scan.titles.size(), 1);
        QCOMPARE(scan.titles.first().lengthSeconds, 20);
    }

    // The dump gets the names as bytes, the way a shell hands them over.
    QProcess dump;
    dump.start(QStringLiteral("/bin/sh"),
               {"-c",
                "exec \"$0\" \"$1/$(printf 'Caf\\351') BD\" \"$1/$(printf "
                "'Caf\\351') BD.iso\" \"$1/$(printf 'Caf\\351') DVD.iso\"",
                QStringLiteral(ORVEL_DISC_DUMP), root.path()});
    QVERIFY(dump.waitForFinished(60000));
    const QList<QByteArray> lines = dump.readAllStandardOutput().split('\n');
    QCOMPARE(lines.size(), 4);
    for (int i : {0, 1})
        QVERIFY2(lines[i].contains("\"kind\":\"bluray\"") && lines[i].contains("00001.mpls"),
                 lines[i].constData());
    QVERIFY2(lines[2].contains("\"kind\":\"dvd\""), lines[2].constData());
}

QTEST_GUILESS_MAIN(DiscImagesTest)
#include "tst_DiscImages.moc"
