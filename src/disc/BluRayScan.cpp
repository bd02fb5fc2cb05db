#include "disc/BluRayScan.h"

#include "disc/DiscMetadata.h"
#include "disc/FileDigest.h"
#include "disc/FolderListing.h"
#include "disc/MplsReader.h"
#include "disc/ReadOnlyFile.h"
#include "engine/FormatTime.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>

#include <algorithm>

namespace {

// Accumulates the time of one phase into a timings field, when timings are wanted.
class PhaseClock
{
public:
    explicit PhaseClock(BluRayScanTimings *timings) : timings(timings)
    {
        if (timings)
            clock.start();
    }
    void Into(qint64 BluRayScanTimings::*field)
    {
        if (!timings)
            return;
        const qint64 now = clock.nsecsElapsed();
        timings->*field += now - last;
        last = now;
    }
    qint64 Total() const { return timings ? clock.nsecsElapsed() : 0; }

private:
    BluRayScanTimings *timings;
    QElapsedTimer clock;
    qint64 last = 0;
};

// A playlist file's bytes, read once. Larger files than the playlist reader's buffer are
// mapped instead of read, so that a huge stray file costs no memory.
class PlaylistFile
{
public:
    bool Read(const QString &path)
    {
        ReadOnlyFile file;
        if (file.Open(path) != 0)
            return false;
        const qint64 size = file.RegularFileSize();
        if (size < 0)
            return false;
        expected = size;
        if (size > MplsReader::BufferSize) {
            mapped.setFileName(path);
            if (!mapped.open(QIODevice::ReadOnly))
                return false;
            const uchar *data = mapped.map(0, size);
            if (!data)
                return false;
            view = QByteArrayView(data, size);
            return true;
        }
        buffer.resize(size);
        qint64 got = 0;
        file.ReadAt(buffer.data(), size, 0, got);
        buffer.truncate(got);
        view = buffer;
        return true;
    }
    QByteArrayView Bytes() const { return view; }
    bool Complete() const { return view.size() == expected; }

private:
    QByteArray buffer;
    QFile mapped;
    QByteArrayView view;
    qint64 expected = 0;
};

// The disc picture, read here rather than by whoever shows it: the scan runs aside, so a
// picture that is a named pipe, or on a disc that stalls, can hold up nothing else.
QByteArray ReadThumbnail(const QString &path)
{
    ReadOnlyFile file;
    if (file.Open(path) != 0)
        return QByteArray();
    const qint64 size = file.RegularFileSize();
    if (size < 0 || size > BluRayScan::MaxThumbnailBytes)
        return QByteArray();
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 got = 0;
    if (file.ReadAt(bytes.data(), size, 0, got) != 0)
        return QByteArray();
    return bytes;
}

} // namespace

const BluRayTitle *BluRayScan::Find(const QString &key) const
{
    for (const BluRayTitle &title : titles) {
        if (title.key == key)
            return &title;
    }
    return nullptr;
}

BluRayScan ScanBluRayFolder(const QString &folder, BluRayScanTimings *timings)
{
    if (timings)
        *timings = BluRayScanTimings();
    PhaseClock clock(timings);
    BluRayScan scan;
    scan.folder = folder;

    const QString root = JoinPath(folder, QStringLiteral("BDMV"));
    const QString metadataFolder = root + QStringLiteral("/META/DL");
    const QString playlistFolder = root + QStringLiteral("/PLAYLIST");

    const DiscMetadata metadata =
        ReadDiscMetadata(metadataFolder + QStringLiteral("/bdmt_eng.xml"));
    scan.discName = metadata.name;
    scan.discNameBytes = metadata.nameBytes;
    scan.thumbnailName = metadata.thumbnail;
    if (!metadata.thumbnail.isEmpty()) {
        scan.thumbnailPath = JoinPath(metadataFolder, metadata.thumbnail);
        scan.thumbnailData = ReadThumbnail(scan.thumbnailPath);
    }
    clock.Into(&BluRayScanTimings::metadata);

    QVector<FolderEntry> entries;
    ListFolderEntries(playlistFolder, entries);
    const qsizetype nameStart = playlistFolder.size() + 1;
    clock.Into(&BluRayScanTimings::listing);

    MplsReader reader;
    EngineTitleList engineList(folder);
    QSet<QByteArray> digests;
    QCryptographicHash hash(QCryptographicHash::Sha512);
    for (const FolderEntry &entry : entries) {
        const QString name = entry.path.mid(nameStart);
        PlaylistFile file;
        const bool readable = !entry.isDirectory && file.Read(entry.path);
        clock.Into(&BluRayScanTimings::reading);

        engineList.AddEntry(name, file.Bytes(), readable);
        clock.Into(&BluRayScanTimings::numbering);
        if (!readable)
            continue;

        BluRayTitle title;
        reader.ReadPlaylistData(file.Bytes(), title.playItems, title.subtitles, title.audioStreams,
                                title.chapters);
        clock.Into(&BluRayScanTimings::parsing);
        if (title.playItems.isEmpty())
            continue;

        // A file read only in part digests as 128 zero digits, as FileDigestHex's code 30.
        title.digest = file.Complete() ? DigestHex(hash, file.Bytes()) : IncompleteDigestHex();
        clock.Into(&BluRayScanTimings::digests);
        if (digests.contains(title.digest))
            continue;
        digests.insert(title.digest);

        title.key = entry.path;
        title.playlistName = name;
        for (const MplsPlayItem &item : title.playItems)
            title.lengthSeconds += item.durationMs / 1000;
        title.durationText = FormatTime(title.lengthSeconds);
        title.audioChoice = title.audioStreams.isEmpty() ? 0 : 1;
        scan.titles.append(title);
    }

    scan.engineTitles = engineList.Finish();
    clock.Into(&BluRayScanTimings::numbering);

    // The first entry of the engine's list that plays a playlist gives its number.
    QHash<QString, int> numbers;
    for (int i = 0; i < scan.engineTitles.size(); ++i) {
        const QString &playlist = scan.engineTitles.at(i).playlistName;
        if (!playlist.isEmpty() && !numbers.contains(playlist))
            numbers.insert(playlist, i + 1);
    }
    for (BluRayTitle &title : scan.titles)
        title.engineTitle = numbers.value(title.playlistName, BluRayTitle::NoEngineTitle);

    std::stable_sort(
        scan.titles.begin(), scan.titles.end(),
        [](const BluRayTitle &a, const BluRayTitle &b) { return a.durationText > b.durationText; });
    // The movie is the longest title the engine can play: a longer one it cannot reach by
    // number would leave Play Movie doing nothing.
    for (const BluRayTitle &title : scan.titles) {
        if (title.HasEngineTitle()) {
            scan.currentTitleKey = title.key;
            break;
        }
    }
    if (scan.currentTitleKey.isEmpty() && !scan.titles.isEmpty())
        scan.currentTitleKey = scan.titles.first().key;
    clock.Into(&BluRayScanTimings::sorting);
    if (timings)
        timings->total = clock.Total();
    return scan;
}
