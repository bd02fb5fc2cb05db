#include "BluRayFolderBuilder.h"

#include "disc/BigEndian.h"

#include "AacsWriter.h"
#include "ClipInfoWriter.h"
#include "MediaMaker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

constexpr quint32 TicksPerMs = 45;
constexpr quint8 H264 = 0x1B;
constexpr quint8 Ac3 = 0x81;

// HEVC (0x24), 2160p (8) at 25 frames per second (3, as the clips are made), HDR10 (1) in
// BT.2020 (2).
MplsWriter::Stream UhdVideoStream()
{
    MplsWriter::Stream video{0x24, QByteArray(), 0x83};
    video.hevcRangeColour = 0x12;
    return video;
}

bool WriteFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    if (error)
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return false;
}

// A hard link keeps the disc whole when a private cache goes away; a copy where links fail.
bool PlaceFile(const QString &from, const QString &to, QString *error)
{
    QFile::remove(to);
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    if (QFile::copy(from, to))
        return true;
    if (error)
        *error = QStringLiteral("cannot copy %1 to %2").arg(from, to);
    return false;
}

bool Fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// A made stream, scrambled for a protected disc: written anew, as the cache keeps it plain.
bool PlaceScrambled(const QString &from, const QString &to, const QByteArray &unitKey,
                    QString *error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("cannot read ") + from);
    QByteArray stream = in.readAll();
    if (!AacsWriter::ScrambleStream(stream, unitKey))
        return Fail(error, QStringLiteral("%1 is not a whole number of aligned units").arg(from));
    QFile::remove(to);
    return WriteFile(to, stream, error);
}

// The clip's audio streams as its playlists list them: in PID order, or in the clip's
// playlistAudioOrder with each stream keeping its own PID.
QVector<MplsWriter::Stream> PlaylistAudio(const BluRayFolderBuilder::Clip &clip)
{
    QVector<MplsWriter::Stream> streams;
    for (int i = 0; i < clip.audioLanguages.size(); ++i) {
        MplsWriter::Stream stream = MplsWriter::Audio(Ac3, clip.audioLanguages[i]);
        if (i < clip.audioFormats.size()) {
            stream.codingType = clip.audioFormats[i].PlaylistCodingType();
            stream.audioFormatRate = clip.audioFormats[i].PlaylistFormatRate();
        }
        streams << stream;
    }
    if (clip.playlistAudioOrder.isEmpty())
        return streams;
    QVector<MplsWriter::Stream> ordered;
    for (int index : clip.playlistAudioOrder) {
        if (index < 0 || index >= streams.size())
            continue;
        MplsWriter::Stream stream = streams[index];
        stream.pid = quint16(0x1100 + index);
        ordered << stream;
    }
    return ordered;
}

} // namespace

BluRayFolderBuilder::Clip &BluRayFolderBuilder::AddClip(const QByteArray &id, int seconds,
                                                        const QVector<QByteArray> &audio,
                                                        const QVector<QByteArray> &subtitles)
{
    Clip clip;
    clip.id = id;
    clip.seconds = seconds;
    clip.audioLanguages = audio;
    clip.subtitleLanguages = subtitles;
    clips.append(clip);
    return clips.last();
}

BluRayFolderBuilder::Clip &
BluRayFolderBuilder::AddSyntheticClip(const QByteArray &id, int seconds,
                                      const QVector<QByteArray> &audio,
                                      const QVector<QByteArray> &subtitles)
{
    Clip &clip = AddClip(id, seconds, audio, subtitles);
    clip.synthetic = true;
    return clip;
}

BluRayFolderBuilder::Playlist &BluRayFolderBuilder::AddPlaylist(const QString &fileName,
                                                                const QVector<QByteArray> &clipIds,
                                                                const QVector<qint64> &chapterMs)
{
    Playlist playlist;
    playlist.fileName = fileName;
    for (const QByteArray &id : clipIds)
        playlist.items.append({id, 0, 0});
    playlist.chapterMs = chapterMs;
    playlists.append(playlist);
    return playlists.last();
}

BluRayFolderBuilder::Playlist &BluRayFolderBuilder::AddByteCopy(const QString &fileName,
                                                                const QString &source)
{
    Playlist playlist;
    playlist.fileName = fileName;
    playlist.kind = PlaylistKind::ByteCopy;
    playlist.source = source;
    playlists.append(playlist);
    return playlists.last();
}

BluRayFolderBuilder::Playlist &BluRayFolderBuilder::AddStructuralCopy(const QString &fileName,
                                                                      const QString &source)
{
    Playlist &playlist = AddByteCopy(fileName, source);
    playlist.kind = PlaylistKind::StructuralCopy;
    return playlist;
}

BluRayFolderBuilder::Playlist &BluRayFolderBuilder::AddLoop(const QString &fileName,
                                                            const QByteArray &clipId, int times)
{
    return AddPlaylist(fileName, QVector<QByteArray>(qMax(1, times), clipId));
}

BluRayFolderBuilder::Playlist &BluRayFolderBuilder::AddRaw(const QString &fileName,
                                                           const QByteArray &bytes)
{
    Playlist playlist;
    playlist.fileName = fileName;
    playlist.kind = PlaylistKind::Raw;
    playlist.bytes = bytes;
    playlists.append(playlist);
    return playlists.last();
}

BluRayFolderBuilder::Playlist &BluRayFolderBuilder::AddFolder(const QString &name)
{
    Playlist playlist;
    playlist.fileName = name;
    playlist.kind = PlaylistKind::Folder;
    playlists.append(playlist);
    return playlists.last();
}

void BluRayFolderBuilder::BurnTitleTime(const QString &playlistName)
{
    for (const Playlist &playlist : std::as_const(playlists)) {
        if (playlist.fileName != playlistName || playlist.kind != PlaylistKind::Normal)
            continue;
        qint64 itemStartMs = 0;
        for (const Item &item : playlist.items) {
            for (Clip &clip : clips) {
                if (clip.id != item.clip)
                    continue;
                clip.burnTitleTime = true;
                // The item's first frame is the clip's frame at trimStartMs.
                clip.titleStartMs = itemStartMs - item.trimStartMs;
                itemStartMs += LengthMs(clip) - item.trimStartMs - item.trimEndMs;
                break;
            }
        }
    }
}

void BluRayFolderBuilder::SetDiscName(const QByteArray &name, const QByteArray &thumbnail)
{
    metadata.write = true;
    metadata.name = name;
    metadata.thumbnail = thumbnail;
}

ClipTiming BluRayFolderBuilder::SyntheticTiming(int seconds)
{
    constexpr quint64 Start = 126000; // ffmpeg's streams start at 1.4 s
    constexpr quint32 PacketsPerSecond = 320;
    ClipTiming timing;
    seconds = qMax(1, seconds);
    timing.firstPts90k = Start;
    timing.lastVideoPts90k = Start + quint64(seconds * 25 - 1) * timing.frameTicks90k;
    timing.sourcePackets = quint32(seconds) * PacketsPerSecond;
    for (int second = 0; second < seconds; ++second)
        timing.entryPoints.append(
            {Start + quint64(second) * 90000, quint32(second) * PacketsPerSecond});
    return timing;
}

MplsWriter BluRayFolderBuilder::WriterFor(const Playlist &playlist) const
{
    MplsWriter writer;
    writer.version = playlist.version;
    QVector<qint64> itemStartMs;
    QVector<qint64> itemLengthMs;
    qint64 position = 0;
    for (const Item &entry : playlist.items) {
        const ClipTiming timing = timings.value(entry.clip);
        const Clip *clip = nullptr;
        for (const Clip &candidate : clips) {
            if (candidate.id == entry.clip)
                clip = &candidate;
        }
        MplsWriter::Item item;
        item.clip = entry.clip;
        // A clip with the title's time burned in starts at its first picture, which shows it.
        const quint32 firstTicks = clip && clip->burnTitleTime && !timing.entryPoints.isEmpty()
                                       ? quint32(timing.entryPoints.first().pts90k / 2)
                                       : timing.InTicks();
        item.inTicks = firstTicks + quint32(entry.trimStartMs) * TicksPerMs;
        item.connection = entry.connection;
        item.outTicks = timing.OutTicks() - quint32(entry.trimEndMs) * TicksPerMs;
        const quint8 format = playlist.videoFormat ? playlist.videoFormat : 6;
        item.video = {MplsWriter::Video(H264, format)};
        if (clip) {
            const quint8 formatRate =
                playlist.videoFormat
                    ? quint8(playlist.videoFormat << 4 | (clip->videoFormatRate & 0x0F))
                    : clip->videoFormatRate;
            item.video = {MplsWriter::Stream{clip->videoCodingType, QByteArray(), formatRate}};
            if (clip->uhdHevc)
                item.video = {UhdVideoStream()};
            item.audio = PlaylistAudio(*clip);
            for (const QByteArray &language : clip->subtitleLanguages)
                item.subtitles << MplsWriter::GraphicsSubtitle(language);
        }
        writer.items << item;
        itemStartMs << position;
        itemLengthMs << qint64(item.outTicks - item.inTicks) / TicksPerMs;
        position += itemLengthMs.last();
    }
    // A chapter is a mark on the clock of the item it falls in.
    for (qint64 chapter : playlist.chapterMs) {
        int index = 0;
        while (index + 1 < itemStartMs.size() && chapter >= itemStartMs[index + 1])
            ++index;
        if (itemStartMs.isEmpty())
            break;
        const qint64 offset = chapter - itemStartMs[index];
        writer.marks << MplsWriter::Mark{
            1, quint16(index), writer.items[index].inTicks + quint32(offset) * TicksPerMs};
    }
    return writer;
}

quint64 BluRayFolderBuilder::PlaylistTicks(const QString &fileName) const
{
    return playlistTicks.value(fileName);
}

QByteArray BluRayFolderBuilder::KeyFileEntry() const
{
    return discId.isEmpty() ? QByteArray() : AacsWriter::KeyFileEntry(discId, aacs.volumeUniqueKey);
}

QByteArray BluRayFolderBuilder::IndexBytes()
{
    // First play, top menu and one title, all HDMV objects that call movie object 0.
    auto hdmvObject = [](QByteArray &out, quint32 typeBits) {
        AppendWord32(out, typeBits); // object type (2 bits), reserved
        AppendWord16(out, 0);        // playback type movie (2 bits), reserved
        AppendWord16(out, 0);        // movie object 0
        AppendWord32(out, 0);
    };
    QByteArray indexes;
    hdmvObject(indexes, 0x40000000); // first play
    hdmvObject(indexes, 0x40000000); // top menu
    AppendWord16(indexes, 1);        // titles
    hdmvObject(indexes, 0x40000000); // object type 1, access type 0

    QByteArray appInfo;
    AppendWord32(appInfo, 34);
    appInfo.append(34, '\0');

    constexpr quint32 HeaderSize = 40;
    QByteArray out("INDX0200");
    AppendWord32(out, HeaderSize + quint32(appInfo.size())); // indexes start
    AppendWord32(out, 0);                                    // no extension data
    out.append(int(HeaderSize) - out.size(), '\0');
    out.append(appInfo);
    AppendWord32(out, quint32(indexes.size()));
    out.append(indexes);
    return out;
}

QByteArray BluRayFolderBuilder::MovieObjectBytes()
{
    // One movie object without navigation commands.
    QByteArray objects;
    AppendWord32(objects, 0); // reserved
    AppendWord16(objects, 1); // one object
    AppendWord16(objects, 0); // resume, menu call and title search flags, reserved
    AppendWord16(objects, 0); // no commands

    QByteArray out("MOBJ0200");
    AppendWord32(out, 0); // no extension data
    out.append(40 - out.size(), '\0');
    AppendWord32(out, quint32(objects.size()));
    out.append(objects);
    return out;
}

QByteArray BluRayFolderBuilder::MetadataXml(const Metadata &metadata)
{
    if (!metadata.rawXml.isEmpty())
        return metadata.rawXml;
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
                     "<disclib xmlns=\"urn:BDA:bdmv;disclib\" xmlns:di=\"urn:BDA:bdmv;discinfo\">\n"
                     "  <di:discinfo>\n"
                     "    <di:date>2024-01-01</di:date>\n"
                     "    <di:creator>Orvel disc builder</di:creator>\n"
                     "    <di:title>\n"
                     "      <di:name>" +
                     metadata.name +
                     "</di:name>\n"
                     "    </di:title>\n"
                     "    <di:description>\n";
    if (!metadata.thumbnail.isEmpty())
        xml += "      <di:thumbnail href=\"" + metadata.thumbnail + "\" size=\"" +
               QByteArray::number(metadata.pictureWidth) + 'x' +
               QByteArray::number(metadata.pictureHeight) + "\" />\n";
    xml += "    </di:description>\n"
           "    <di:language>eng</di:language>\n"
           "  </di:discinfo>\n"
           "</disclib>\n";
    return xml;
}

bool BluRayFolderBuilder::Build(const QString &discFolder, QString *error)
{
    timings.clear();
    writtenPlaylists.clear();
    playlistTicks.clear();

    const QDir disc(discFolder);
    const QString bdmv = disc.filePath(QStringLiteral("BDMV"));
    const QString playlistFolder = bdmv + QStringLiteral("/PLAYLIST");
    const QString clipFolder = bdmv + QStringLiteral("/CLIPINF");
    const QString streamFolder = bdmv + QStringLiteral("/STREAM");
    for (const QString &folder : {playlistFolder, clipFolder, streamFolder}) {
        if (!QDir().mkpath(folder))
            return Fail(error, QStringLiteral("cannot make ") + folder);
    }

    MediaMaker maker(streamCache);
    for (const Clip &clip : clips) {
        ClipTiming timing;
        const QString stream = streamFolder + QLatin1Char('/') + QString::fromLatin1(clip.id) +
                               QStringLiteral(".m2ts");
        if (clip.synthetic) {
            timing = SyntheticTiming(clip.seconds);
        } else {
            MediaMaker::ClipRequest request;
            request.seconds = clip.seconds;
            request.audioLanguages = clip.audioLanguages;
            request.subtitleLanguages = clip.subtitleLanguages;
            request.timestampOffsetSeconds = clip.timestampOffsetSeconds;
            request.fullHd = clip.fullHd;
            request.audioFormats = clip.audioFormats;
            request.uhdHevc = clip.uhdHevc;
            request.firstTimestampMs = clip.firstTimestampMs;
            request.lengthMs = clip.lengthMs;
            request.burnTitleTime = clip.burnTitleTime;
            request.titleStartMs = clip.titleStartMs;
            request.firstSubtitleLineMs = clip.firstSubtitleLineMs;
            QString made;
            if (!maker.MakeClip(request, made, timing, error))
                return false;
            if (!(aacs.enabled ? PlaceScrambled(made, stream, aacs.unitKey, error)
                               : PlaceFile(made, stream, error)))
                return false;
        }
        timings.insert(clip.id, timing);
        if (!WriteFile(clipFolder + QLatin1Char('/') + QString::fromLatin1(clip.id) +
                           QStringLiteral(".clpi"),
                       ClipInfoWriter::ToBytes(timing), error))
            return false;
    }

    QHash<QString, MplsWriter> writers;
    for (const Playlist &playlist : playlists) {
        const QString path = playlistFolder + QLatin1Char('/') + playlist.fileName;
        QByteArray bytes;
        switch (playlist.kind) {
        case PlaylistKind::Folder:
            if (!QDir().mkpath(path))
                return Fail(error, QStringLiteral("cannot make ") + path);
            continue;
        case PlaylistKind::Raw:
            bytes = playlist.bytes;
            break;
        case PlaylistKind::Normal: {
            const MplsWriter writer = WriterFor(playlist);
            writers.insert(playlist.fileName, writer);
            bytes = writer.ToBytes();
            quint64 ticks = 0;
            for (const MplsWriter::Item &item : writer.items)
                ticks += quint32(item.outTicks - item.inTicks);
            playlistTicks.insert(playlist.fileName, ticks);
            break;
        }
        case PlaylistKind::ByteCopy:
            if (!writtenPlaylists.contains(playlist.source))
                return Fail(error, QStringLiteral("%1 copies %2, which comes later or is missing")
                                       .arg(playlist.fileName, playlist.source));
            bytes = writtenPlaylists.value(playlist.source);
            playlistTicks.insert(playlist.fileName, playlistTicks.value(playlist.source));
            break;
        case PlaylistKind::StructuralCopy: {
            if (!writers.contains(playlist.source))
                return Fail(error, QStringLiteral("%1 copies %2, which is not a built playlist")
                                       .arg(playlist.fileName, playlist.source));
            // The same content in other bytes: another version and trailing bytes, which
            // players ignore.
            MplsWriter writer = writers.value(playlist.source);
            writer.version = writer.version == "0100" ? "0200" : "0100";
            bytes = writer.ToBytes() + QByteArray(16, '\0');
            playlistTicks.insert(playlist.fileName, playlistTicks.value(playlist.source));
            break;
        }
        }
        writtenPlaylists.insert(playlist.fileName, bytes);
        if (!WriteFile(path, bytes, error))
            return false;
    }

    discId.clear();
    if (aacs.enabled) {
        const QString aacsFolder = disc.filePath(QStringLiteral("AACS"));
        if (!QDir().mkpath(aacsFolder))
            return Fail(error, QStringLiteral("cannot make ") + aacsFolder);
        const QByteArray unitKeyFile = AacsWriter::UnitKeyFile(aacs.unitKey, aacs.volumeUniqueKey);
        if (!WriteFile(aacsFolder + QStringLiteral("/Unit_Key_RO.inf"), unitKeyFile, error) ||
            !WriteFile(aacsFolder + QStringLiteral("/MKB_RO.inf"), AacsWriter::MediaKeyBlock(),
                       error) ||
            !WriteFile(aacsFolder + QStringLiteral("/CPSUnit00001.cci"),
                       AacsWriter::CopyControlFile(), error))
            return false;
        discId = AacsWriter::DiscId(unitKeyFile);
    }

    if (writeIndex) {
        if (!WriteFile(bdmv + QStringLiteral("/index.bdmv"), IndexBytes(), error) ||
            !WriteFile(bdmv + QStringLiteral("/MovieObject.bdmv"), MovieObjectBytes(), error))
            return false;
    }

    if (metadata.write) {
        const QString metaFolder = bdmv + QStringLiteral("/META/DL");
        if (!QDir().mkpath(metaFolder))
            return Fail(error, QStringLiteral("cannot make ") + metaFolder);
        if (!WriteFile(metaFolder + QStringLiteral("/bdmt_eng.xml"), MetadataXml(metadata), error))
            return false;
        if (metadata.writePicture && !metadata.thumbnail.isEmpty()) {
            QString picture;
            if (!maker.MakeJpeg(metadata.pictureWidth, metadata.pictureHeight, picture, error) ||
                !PlaceFile(picture,
                           metaFolder + QLatin1Char('/') + QFile::decodeName(metadata.thumbnail),
                           error))
                return false;
        }
    }
    return true;
}

BluRayFolderBuilder BluRayFolderBuilder::BenchmarkDisc(int playlistCount)
{
    BluRayFolderBuilder disc;
    disc.writeIndex = false;
    const QVector<QByteArray> audio{"eng", "fra", "deu"};
    const QVector<QByteArray> subtitles{"eng", "fra", "spa", "zho"};
    disc.AddSyntheticClip("00001", 2700, audio, subtitles);
    disc.AddSyntheticClip("00002", 1500, audio, subtitles);
    disc.AddSyntheticClip("00003", 600, audio, subtitles);
    disc.AddSyntheticClip("00004", 90, {"eng"}, {});
    int distinct = 0;
    for (int i = 0; i < playlistCount; ++i) {
        const QString name = QStringLiteral("%1.mpls").arg(i, 5, 10, QLatin1Char('0'));
        if (i > 0 && i % 20 == 7) {
            disc.AddByteCopy(name, QStringLiteral("%1.mpls").arg(i - 7, 5, 10, QLatin1Char('0')));
            continue;
        }
        if (i > 0 && i % 50 == 13) {
            disc.AddStructuralCopy(name,
                                   QStringLiteral("%1.mpls").arg(i - 13, 5, 10, QLatin1Char('0')));
            continue;
        }
        if (i % 25 == 19) {
            disc.AddLoop(name, "00004", 3 + i % 3);
            continue;
        }
        // Distinct titles: one to three clips, cut by a different number of frames, with a
        // chapter every five minutes.
        QVector<QByteArray> clipIds;
        const int itemCount = 1 + distinct % 3;
        for (int k = 0; k < itemCount; ++k)
            clipIds << QByteArray("0000") + char('1' + (distinct + k) % 3);
        Playlist &playlist = disc.AddPlaylist(name, clipIds);
        playlist.items.last().trimEndMs = 40 * (distinct % 500);
        playlist.items.first().trimStartMs = 40 * (distinct / 500);
        for (qint64 chapter = 0; chapter < 2400000 && playlist.chapterMs.size() < 9;
             chapter += 300000)
            playlist.chapterMs << chapter;
        ++distinct;
    }
    return disc;
}
