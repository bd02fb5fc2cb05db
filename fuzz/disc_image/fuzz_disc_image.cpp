// Feeds arbitrary disc images to detection and the Blu-ray scan, through the UDF reader: they
// must stay inside the image (the sanitizers watch), finish, give the same answer twice, and
// hand out only titles whose engine numbers point at their own playlists.

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
                     QByteArray::number(scan.pictureBytes.size()) + '|' +
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
    const QByteArray image =
        SparseImage::Expand(reinterpret_cast<const char *>(data), qsizetype(size));
    DiscFolderKind firstKind;
    DiscFolderKind secondKind;
    const QByteArray first = ScanImage(image, firstKind);
    const QByteArray second = ScanImage(image, secondKind);
    Check(firstKind == secondKind && first == second);
    return 0;
}
