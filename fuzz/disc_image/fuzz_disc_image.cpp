// Feeds arbitrary disc images to detection and the Blu-ray scan, through the UDF reader: they
// must stay inside the image (the sanitizers watch), finish, hand out only titles whose
// engine numbers point at their own playlists, and name a movie the engine reaches. Every 16th
// input is scanned twice and must give the same answer (a full second scan on every input would
// halve the runs).

#include "../FuzzCheck.h"
#include "SparseImage.h"
#include "disc/BluRayScan.h"
#include "disc/DiscFolder.h"
#include "disc/UdfImageSource.h"

#include <QSet>

#include <cstdint>
#include <utility>

namespace {

QByteArray Summary(const BluRayScan &scan)
{
    QByteArray out = scan.discNameBytes + '|' + scan.thumbnailName.toUtf8() + '|' +
                     QByteArray::number(scan.thumbnailData.size()) + '|' +
                     scan.currentTitleKey.toUtf8();
    for (const BluRayTitle &title : scan.titles) {
        out += '|' + title.key.toUtf8() + ' ' + QByteArray::number(title.engineTitle) + ' ' +
               title.durationText.toUtf8() + ' ' + QByteArray::number(title.chapters.size()) + ' ' +
               QByteArray::number(title.audioStreams.size()) + ' ' + title.digest;
    }
    for (const EngineTitleList::Entry &entry : scan.engineTitles)
        out += '|' + entry.entryName.toUtf8() + '>' + entry.playlistName.toUtf8();
    return out;
}

// The movie: a title of the disc; one the engine reaches whenever any is; and where no entry
// of the engine's list is over 30 minutes (so that only length and then streams count), none
// that the engine reaches is longer, or as long with more streams.
void CheckMovie(const BluRayScan &scan)
{
    if (scan.titles.isEmpty()) {
        Check(scan.currentTitleKey.isEmpty());
        return;
    }
    const BluRayTitle *movie = scan.Find(scan.currentTitleKey);
    Check(movie != nullptr);
    bool anyReached = false;
    bool allShort = true;
    for (const BluRayTitle &title : scan.titles)
        anyReached = anyReached || title.HasEngineTitle();
    Check(movie->HasEngineTitle() == anyReached);
    constexpr quint32 ThirtyMinutes = 30 * 60 * 45000;
    auto reached = [&scan](const EngineTitleList::Entry &entry) {
        for (const BluRayTitle &title : scan.titles) {
            if (title.HasEngineTitle() && title.playlistName == entry.playlistName)
                return true;
        }
        return false;
    };
    std::pair<quint32, int> best{0, -1};
    for (const EngineTitleList::Entry &entry : scan.engineTitles) {
        allShort = allShort && entry.facts.ticks <= ThirtyMinutes;
        if (reached(entry))
            best = std::max(best, std::make_pair(entry.facts.ticks, entry.facts.streamScore));
    }
    if (!anyReached || !allShort)
        return;
    bool movieIsBest = false;
    for (const EngineTitleList::Entry &entry : scan.engineTitles) {
        if (entry.playlistName == movie->playlistName &&
            std::make_pair(entry.facts.ticks, entry.facts.streamScore) == best)
            movieIsBest = true;
    }
    Check(movieIsBest);
}

QByteArray ScanImage(const QByteArray &image, DiscFolderKind &kind)
{
    kind = DiscFolderKind::None;
    const std::unique_ptr<UdfImageSource> source =
        UdfImageSource::FromBytes(image, QStringLiteral("/fuzz.iso"));
    if (!source)
        return "unopened";
    kind = DetectDisc(*source);
    if (kind != DiscFolderKind::BluRay)
        return "kind";
    const BluRayScan scan = ScanBluRay(*source);
    QSet<QString> keys;
    for (const BluRayTitle &title : scan.titles) {
        Check(!keys.contains(title.key));
        keys.insert(title.key);
        Check(title.key.startsWith(QStringLiteral("/fuzz.iso/BDMV/PLAYLIST/")));
        if (title.HasEngineTitle()) {
            Check(title.engineTitle >= 1 && title.engineTitle <= scan.engineTitles.size());
            Check(scan.engineTitles.at(title.engineTitle - 1).playlistName == title.playlistName);
        }
    }
    CheckMovie(scan);
    return Summary(scan);
}

} // namespace

// libudfread reserves a directory or descriptor extent whole, at the length the image states
// (up to 1 GiB), before it reads a block of it. In a product build that costs nothing until
// the blocks arrive; under the address checker every such reservation and its release mark
// an eighth of its size as shadow memory, which took most of a run's time. An image here has
// at most SparseImage::MaxBlocks blocks, so an extent above 256 MiB can never be read whole
// and fails either way: refused at once, it fails without the cost. The scan's own largest
// buffer, a file read up to DiscFileSource::MaxReadBytes, stays far below the limit, and a
// throwing allocation that is refused still stops the run.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=256";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QByteArray image;
    SparseImage::Expand(reinterpret_cast<const char *>(data), qsizetype(size), image);
    DiscFolderKind firstKind;
    const QByteArray first = ScanImage(image, firstKind);
    static unsigned runs = 0;
    if (++runs % 16 == 0) {
        DiscFolderKind secondKind;
        Check(ScanImage(image, secondKind) == first && secondKind == firstKind);
    }
    return 0;
}
