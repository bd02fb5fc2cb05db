// Feeds arbitrary disc images to detection and the Blu-ray scan, through the UDF reader: they
// must stay inside the image (the sanitizers watch), finish, and hand out only titles whose
// engine numbers point at their own playlists. Every 16th input is scanned twice and must
// give the same answer (a full second scan on every input would halve the runs).

#include "../FuzzCheck.h"
#include "SparseImage.h"
#include "disc/BluRayScan.h"
#include "disc/DiscFolder.h"
#include "disc/UdfImageSource.h"

#include <QSet>

#include <cstdint>

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
    Check(scan.titles.isEmpty() ? scan.currentTitleKey.isEmpty()
                                : scan.currentTitleKey == scan.titles.first().key);
    return Summary(scan);
}

} // namespace

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
