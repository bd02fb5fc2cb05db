// Prints what the player makes of each disc folder or disc image (a UDF .iso file or a block
// device) named on the command line, running the same detection and scan as the window: one
// JSON object per disc and line, keys always in this order.
//
//   orvel-disc-dump DISC...
//
//   {"folder":"PATH","kind":"bluray","name":"Disc Name","thumbnail":"x.jpg",
//    "pictureLoaded":true,"current":"00001.mpls","titles":[{"playlist":"00001.mpls",
//    "engineTitle":1,"durationText":"01:30:00","chapters":[0,600000],
//    "audio":["English AC3"],"subtitles":["English"]}]}
//
// "folder" is the path as given. "kind" is "bluray", "dvd" or "none" (what the window
// answers with MSG0102). "name"
// and "thumbnail" are what the metadata file gives; "pictureLoaded" says whether the picture
// loads. "titles" follow the title menus (longest first): "playlist" is the title's file,
// "engineTitle" the number the engine plays it by (null when the engine cannot reach it by
// number), "chapters" the chapter starts in milliseconds, "audio" and "subtitles" the menu
// entries after "Disable". A DVD has no titles; for "none" the strings are empty too.
// Exit code 0 once every disc has been tried; 2 when none is named or an option is unknown
// (--help prints the usage and exits 0; "--" ends the options).

#include "JsonText.h"
#include "disc/BluRayScan.h"
#include "disc/DiscFileSource.h"
#include "disc/DiscFolder.h"
#include "platform/PathBytes.h"

#include <QCoreApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>

namespace {

constexpr char UsageText[] =
    "usage: orvel-disc-dump [--] DISC...\n"
    "Prints what the player makes of each disc folder or disc image (.iso file or block\n"
    "device): one JSON object per line with its kind, name, picture and titles.\n";

bool PictureLoads(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return false;
    QImage picture;
    return picture.loadFromData(bytes) && !picture.isNull();
}

QByteArray DumpLine(const QString &folder)
{
    // One source for detection and scan, so that an image is opened once.
    const std::unique_ptr<DiscFileSource> source = OpenDiscSource(folder);
    const DiscFolderKind kind = source ? DetectDisc(*source) : DiscFolderKind::None;
    BluRayScan scan;
    if (kind == DiscFolderKind::BluRay)
        scan = ScanBluRay(*source);

    QByteArray out = "{\"folder\":";
    AppendString(out, folder);
    out += ",\"kind\":";
    out += kind == DiscFolderKind::BluRay ? "\"bluray\""
           : kind == DiscFolderKind::Dvd  ? "\"dvd\""
                                          : "\"none\"";
    out += ",\"name\":";
    AppendString(out, scan.discName);
    out += ",\"thumbnail\":";
    AppendString(out, scan.thumbnailName);
    out += ",\"pictureLoaded\":";
    out += PictureLoads(scan.thumbnailData) ? "true" : "false";
    out += ",\"current\":";
    const BluRayTitle *current = scan.Find(scan.currentTitleKey);
    AppendString(out, current ? current->playlistName : QString());
    out += ",\"titles\":[";
    for (qsizetype i = 0; i < scan.titles.size(); ++i) {
        const BluRayTitle &title = scan.titles[i];
        if (i > 0)
            out += ',';
        out += "{\"playlist\":";
        AppendString(out, title.playlistName);
        out += ",\"engineTitle\":";
        out += title.HasEngineTitle() ? QByteArray::number(title.engineTitle) : "null";
        out += ",\"durationText\":";
        AppendString(out, title.durationText);
        out += ",\"chapters\":";
        AppendNumbers(out, title.chapters);
        out += ",\"audio\":";
        AppendStreams(out, title.audioStreams);
        out += ",\"subtitles\":";
        AppendStreams(out, title.subtitles);
        out += '}';
    }
    out += "]}\n";
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Taken as bytes: a folder named in Latin-1 must still name that folder.
    QStringList folders;
    for (int i = 1; i < argc; ++i)
        folders << PathBytes::FromBytes(argv[i]);
    if (!folders.isEmpty() && folders.first() == QLatin1String("--help")) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (!folders.isEmpty() && folders.first() == QLatin1String("--"))
        folders.removeFirst();
    else if (!folders.isEmpty() && folders.first().startsWith(QLatin1String("--"))) {
        std::fprintf(stderr, "orvel-disc-dump: unknown option %s\n", qPrintable(folders.first()));
        std::fputs(UsageText, stderr);
        return 2;
    }
    if (folders.isEmpty()) {
        std::fputs(UsageText, stderr);
        return 2;
    }
    for (const QString &folder : folders) {
        const QByteArray line = DumpLine(folder);
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
