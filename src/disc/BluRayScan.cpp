#include "disc/BluRayScan.h"

#include "disc/DiscFileSource.h"
#include "disc/DiscMetadata.h"
#include "disc/DiscProtection.h"
#include "disc/FileDigest.h"
#include "disc/MainTitleRules.h"
#include "disc/MplsReader.h"
#include "engine/FormatTime.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QSet>

#include <algorithm>
#include <future>

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

// Replaces value by an equal copy already in pool, or puts it there.
template <typename Value> void Share(QSet<Value> &pool, Value &value)
{
    auto kept = pool.constFind(value);
    if (kept == pool.constEnd())
        kept = pool.insert(value);
    value = *kept;
}

// The first of the longest items; -1 without items.
int LongestItem(const QVector<MplsPlayItem> &items)
{
    int longest = -1;
    for (int i = 0; i < items.size(); ++i) {
        if (longest < 0 || items[i].durationMs > items[longest].durationMs)
            longest = i;
    }
    return longest;
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

BluRayScan ScanBluRayFolder(const QString &path, BluRayScanTimings *timings)
{
    const std::unique_ptr<DiscFileSource> source = OpenDiscSource(path);
    if (!source) {
        if (timings)
            *timings = BluRayScanTimings();
        BluRayScan scan;
        scan.folder = path;
        return scan;
    }
    // libbluray decides on protection by the files in these folders; without them it would
    // only say "none", after reading every playlist itself on a disc without index.bdmv.
    // libaacs may parse a key file of many megabytes: it runs beside the playlists' reading
    // rather than after it.
    std::future<DiscProtectionInfo> protection;
    if (DiscProtection::MayBeProtected(*source))
        protection = std::async(std::launch::async, DiscProtection::Read, path);
    BluRayScan scan = ScanBluRay(*source, timings);
    QElapsedTimer waited;
    waited.start();
    if (protection.valid())
        scan.protection = protection.get();
    if (timings) {
        timings->protectionWait = waited.nsecsElapsed();
        timings->total += timings->protectionWait;
    }
    return scan;
}

BluRayScan ScanBluRay(DiscFileSource &source, BluRayScanTimings *timings)
{
    if (timings)
        *timings = BluRayScanTimings();
    PhaseClock clock(timings);
    BluRayScan scan;
    scan.folder = source.Root();

    const QString metadataFolder = QStringLiteral("BDMV/META/DL/");
    const QString playlistFolder = QStringLiteral("BDMV/PLAYLIST/");

    DiscFileBytes metadataFile;
    source.Read(metadataFolder + QStringLiteral("bdmt_eng.xml"), metadataFile);
    const DiscMetadata metadata = ReadDiscMetadataBytes(metadataFile.Bytes());
    scan.discName = metadata.name;
    scan.discNameBytes = metadata.nameBytes;
    scan.thumbnailName = metadata.thumbnail;
    if (!metadata.thumbnail.isEmpty()) {
        scan.thumbnailPath = source.Where(metadataFolder + metadata.thumbnail);
        DiscFileBytes picture;
        if (source.Read(metadataFolder + metadata.thumbnail, picture) && picture.Complete() &&
            picture.Bytes().size() <= BluRayScan::MaxThumbnailBytes)
            scan.thumbnailData = picture.Bytes().toByteArray();
    }
    clock.Into(&BluRayScanTimings::metadata);

    QVector<DiscEntry> entries;
    source.List(playlistFolder.chopped(1), entries);
    clock.Into(&BluRayScanTimings::listing);

    MplsReader reader;
    EngineTitleList engineList(source);
    QSet<QByteArray> digests;
    QSet<QString> clipNames;
    QSet<QByteArray> languages;
    QCryptographicHash hash(QCryptographicHash::Sha512);
    for (const DiscEntry &entry : entries) {
        const QString &name = entry.name;
        DiscFileBytes file;
        const bool readable = !entry.isDirectory && source.Read(playlistFolder + name, file);
        clock.Into(&BluRayScanTimings::reading);

        engineList.AddEntry(name, file.Bytes(), readable);
        clock.Into(&BluRayScanTimings::numbering);
        if (!readable)
            continue;

        BluRayTitle title;
        reader.ReadPlaylistData(file.Bytes(), title.playItems, title.subtitles, title.audioStreams,
                                title.chapters);
        title.videoFormat = reader.VideoFormat();
        title.videoCodingType = reader.VideoCodingType();
        title.videoRangeColour = reader.VideoRangeColour();
        clock.Into(&BluRayScanTimings::parsing);
        if (title.playItems.isEmpty())
            continue;
        title.itemStreams = reader.ItemStreams();
        const int film = LongestItem(title.playItems);
        if (film >= 0 && film < title.itemStreams.size()) {
            title.audioStreams = title.itemStreams[film].audio;
            title.subtitles = title.itemStreams[film].subtitles;
        }
        // Most titles' items all offer the film's streams (most have one item): the title's
        // own lists then name them all, and a disc of thousands of playlists keeps no copies.
        const bool itemsAlike = std::all_of(title.itemStreams.cbegin(), title.itemStreams.cend(),
                                            [&title](const MplsItemStreams &item) {
                                                return item.audio == title.audioStreams &&
                                                       item.subtitles == title.subtitles;
                                            });
        if (itemsAlike)
            title.itemStreams.clear();
        // A disc's thousands of playlists name the same few clips and languages: each is
        // kept once and shared, not once per stream.
        for (MplsPlayItem &item : title.playItems)
            Share(clipNames, item.clipName);
        for (QVector<MplsStream> *streams : {&title.audioStreams, &title.subtitles}) {
            for (MplsStream &stream : *streams)
                Share(languages, stream.language);
        }
        for (MplsItemStreams &item : title.itemStreams) {
            for (QVector<MplsStream> *streams : {&item.audio, &item.subtitles}) {
                for (MplsStream &stream : *streams)
                    Share(languages, stream.language);
            }
        }

        // A file read only in part digests as 128 zero digits, as FileDigestHex's code 30.
        // Those digits say nothing of the file's content: two such files are not copies of
        // each other, and each keeps its title (a damaged disc loses no more than it must).
        const bool complete = file.Complete();
        title.digest = complete ? DigestHex(hash, file.Bytes()) : IncompleteDigestHex();
        clock.Into(&BluRayScanTimings::digests);
        if (complete && digests.contains(title.digest))
            continue;
        if (complete)
            digests.insert(title.digest);

        title.key = source.Where(playlistFolder + name);
        title.playlistName = name;
        // Milliseconds are added before whole seconds are taken: each item cut to its whole
        // seconds first would lose up to a second per item.
        qint64 lengthMs = 0;
        for (const MplsPlayItem &item : title.playItems)
            lengthMs += qMax(item.durationMs, 0);
        title.lengthSeconds = lengthMs / 1000;
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
    // The movie is the title libbluray takes for the main one, when the engine reaches it;
    // else the one the same rules pick among the titles the engine reaches. A title it
    // cannot reach by number would leave Play Movie doing nothing.
    QHash<QString, const BluRayTitle *> reachable;
    for (const BluRayTitle &title : std::as_const(scan.titles)) {
        if (title.HasEngineTitle())
            reachable.insert(title.playlistName, &title);
    }
    auto reachedBy = [&reachable](const EngineTitleList::Entry &entry) {
        return entry.playlistName.isEmpty() ? nullptr : reachable.value(entry.playlistName);
    };
    QVector<MainTitleFacts> everyEntry;
    QVector<MainTitleFacts> reachableEntries;
    QVector<const BluRayTitle *> reached;
    for (const EngineTitleList::Entry &entry : std::as_const(scan.engineTitles)) {
        everyEntry << entry.facts;
        if (const BluRayTitle *title = reachedBy(entry)) {
            reachableEntries << entry.facts;
            reached << title;
        }
    }
    const int main = MainTitleRules::Pick(everyEntry);
    const BluRayTitle *movie = main >= 0 ? reachedBy(scan.engineTitles[main]) : nullptr;
    if (!movie && !reached.isEmpty())
        movie = reached[MainTitleRules::Pick(reachableEntries)];
    if (movie)
        scan.currentTitleKey = movie->key;
    if (scan.currentTitleKey.isEmpty() && !scan.titles.isEmpty())
        scan.currentTitleKey = scan.titles.first().key;
    clock.Into(&BluRayScanTimings::sorting);
    if (timings)
        timings->total = clock.Total();
    return scan;
}
