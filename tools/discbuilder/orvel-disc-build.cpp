// Builds test discs from the command line.
//
//   orvel-disc-build bluray FOLDER [OPTION...]
//   orvel-disc-build dvd FOLDER [--seconds N] [--cache DIR]
//   orvel-disc-build bench FOLDER --playlists N
//
// Every kind also takes --image FILE: after the folder is built, a UDF image of it is
// written to FILE (genisoimage), so that the same disc can be opened as a folder and as an
// image.
//
// Blu-ray options, each may be repeated; playlists are written in the order given:
//   --clip ID:SECONDS[:AUDIO,...[:SUBTITLE,...]]   a clip made by ffmpeg, e.g. 00001:6:eng,fra:eng
//                                                  (":" alone gives no audio: 00002:4::eng)
//   --synthetic-clip ID:SECONDS                    a clip information file without a stream
//   --playlist NAME=CLIP[+CLIP...][@MS,MS...]      play items and chapter starts (milliseconds)
//   --byte-copy NAME=SOURCE                        the bytes of an earlier playlist
//   --structural-copy NAME=SOURCE                  its content in other bytes
//   --loop NAME=CLIP[xTIMES]                       one clip TIMES times (default 3)
//   --raw NAME=FILE                                a playlist file copied from FILE
//   --text NAME=TEXT                               a playlist file holding TEXT
//   --folder NAME                                  a folder inside PLAYLIST
//   --name TEXT                                    disc name in META/DL/bdmt_eng.xml
//   --thumbnail FILE                               thumbnail name (default x.jpg with --name)
//   --no-thumbnail                                 metadata without a thumbnail
//   --metadata-xml FILE                            the metadata file copied from FILE
//   --no-index                                     no index.bdmv and MovieObject.bdmv
//   --clip-start SECONDS                           clips' time stamps start there, as those of
//                                                  many shop discs start at 600
//   --full-hd                                      clips in 1920x1080 H.264 High profile
//                                                  (every clip has B-frames either way)
//   --audio-formats ID:FORMAT[,FORMAT...]          how the clip's audio streams are coded, in
//                                                  order: ac3, eac3, dts, truehd, lpcm or
//                                                  dtshdma (a DTS core marked DTS-HD MA) or
//                                                  s302m (no engine decoder takes it), each
//                                                  with /1, /2 or /6 channels (default 2);
//                                                  e.g. 00001:truehd/6,lpcm/2
//   --uhd                                          clips in 2160p HEVC Main 10, HDR10
//   --aacs                                         AACS-protected: scrambled streams and
//                                                  the AACS folder, with keys of our own
//   --aacs-key-file FILE                           (with --aacs) a libaacs key file there
//                                                  (KEYDB.cfg) that opens this disc
//   --cache DIR                                    keep made streams there between runs
//                                                  (default: $ORVEL_DISCBUILDER_CACHE)
// For checking a player's clock and stream choice (applied once all clips and playlists are
// read, so they may come anywhere):
//   --clip-pts ID:MS                               the clip's time stamps start at MS
//                                                  (at least 1400), e.g. 00001:11650
//   --clip-length ID:MS                            the clip lasts MS (a multiple of 40)
//   --audio-order ID:I,J,...                       playlists list the clip's audio streams in
//                                                  this order (indexes into its languages,
//                                                  whose PIDs are 0x1100 up), e.g. 00001:1,0
//   --subtitles-from ID:MS                         the clip's first subtitle line at MS
//   --trim NAME:ITEM:START_MS:END_MS               cuts a play item (from 0) at either end
//   --connection NAME:ITEM:CONDITION               how an item joins the one before (1, 5, 6)
//   --burn-title-time NAME                         every frame of the playlist's clips shows
//                                                  its time on that title (digits and a bar
//                                                  code)
//
// After a Blu-ray build the playlist folder's entries are printed in the order the file
// system lists them, which is the order players number titles in. Exit code 0 on success,
// 1 when the build fails, 2 on a usage error.

#include "BluRayFolderBuilder.h"
#include "DiscImageMaker.h"
#include "DvdFolderBuilder.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <dirent.h>

namespace {

int Usage(const QString &problem)
{
    std::fprintf(stderr, "orvel-disc-build: %s\n", qPrintable(problem));
    std::fputs("usage: orvel-disc-build bluray FOLDER [--clip ID:SECONDS[:AUDIO,..[:SUBS,..]]]\n"
               "         [--synthetic-clip ID:SECONDS] [--playlist NAME=CLIP[+CLIP..][@MS,..]]\n"
               "         [--byte-copy NAME=SOURCE] [--structural-copy NAME=SOURCE]\n"
               "         [--loop NAME=CLIP[xTIMES]] [--raw NAME=FILE] [--text NAME=TEXT]\n"
               "         [--folder NAME] [--name TEXT] [--thumbnail FILE] [--no-thumbnail]\n"
               "         [--metadata-xml FILE] [--no-index] [--cache DIR]\n"
               "         [--clip-start SECONDS] [--full-hd] [--aacs] [--aacs-key-file FILE]\n"
               "         [--audio-formats ID:FORMAT[,FORMAT..]] [--uhd]\n"
               "         [--clip-pts ID:MS] [--clip-length ID:MS] [--audio-order ID:I,..]\n"
               "         [--subtitles-from ID:MS] [--trim NAME:ITEM:START_MS:END_MS]\n"
               "         [--connection NAME:ITEM:1|5|6] [--burn-title-time NAME]\n"
               "       orvel-disc-build dvd FOLDER [--seconds N] [--cache DIR]\n"
               "       orvel-disc-build bench FOLDER --playlists N\n"
               "       (each kind also takes --image FILE: a UDF image of the built folder)\n",
               stderr);
    return 2;
}

QVector<QByteArray> Languages(const QString &list)
{
    QVector<QByteArray> languages;
    for (const QString &language : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        languages << language.toLatin1();
    return languages;
}

bool SplitAssignment(const QString &value, QString &name, QString &rest)
{
    const int at = value.indexOf(QLatin1Char('='));
    if (at <= 0)
        return false;
    name = value.left(at);
    rest = value.mid(at + 1);
    return true;
}

void PrintListing(const QString &folder)
{
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    std::printf("%s:\n", qPrintable(folder));
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            std::printf("  %s\n", entry->d_name);
    }
    ::closedir(dir);
}

BluRayFolderBuilder::Clip *FindClip(BluRayFolderBuilder &disc, const QString &id)
{
    for (BluRayFolderBuilder::Clip &clip : disc.clips) {
        if (clip.id == id.toLatin1())
            return &clip;
    }
    return nullptr;
}

BluRayFolderBuilder::Item *FindItem(BluRayFolderBuilder &disc, const QString &playlist,
                                    const QString &index)
{
    for (BluRayFolderBuilder::Playlist &candidate : disc.playlists) {
        bool ok = false;
        const int item = index.toInt(&ok);
        if (candidate.fileName == playlist && ok && item >= 0 && item < candidate.items.size())
            return &candidate.items[item];
    }
    return nullptr;
}

// The options that describe clips and items already given; an empty string when all apply,
// else what is wrong.
QString ApplyClockOptions(BluRayFolderBuilder &disc, const QList<QPair<QString, QString>> &options)
{
    QStringList burned;
    for (const auto &[option, value] : options) {
        const QStringList parts = value.split(QLatin1Char(':'));
        bool ok = true;
        if (option == QLatin1String("--burn-title-time")) {
            burned << value;
            continue;
        }
        if (option == QLatin1String("--trim") || option == QLatin1String("--connection")) {
            BluRayFolderBuilder::Item *item = FindItem(disc, parts.value(0), parts.value(1));
            if (!item || parts.size() != (option == QLatin1String("--trim") ? 4 : 3))
                return QStringLiteral("bad item in %1 %2").arg(option, value);
            if (option == QLatin1String("--trim")) {
                bool endOk = false;
                item->trimStartMs = parts[2].toInt(&ok);
                item->trimEndMs = parts[3].toInt(&endOk);
                ok = ok && endOk && item->trimStartMs >= 0 && item->trimEndMs >= 0;
            } else {
                const int condition = parts[2].toInt(&ok);
                ok = ok && (condition == 1 || condition == 5 || condition == 6);
                item->connection = quint8(condition);
            }
        } else {
            BluRayFolderBuilder::Clip *clip = FindClip(disc, parts.value(0));
            if (!clip || parts.size() != 2)
                return QStringLiteral("bad clip in %1 %2").arg(option, value);
            if (option == QLatin1String("--clip-pts")) {
                clip->firstTimestampMs = parts[1].toLongLong(&ok);
                ok = ok && clip->firstTimestampMs >= 1400;
            } else if (option == QLatin1String("--clip-length")) {
                clip->lengthMs = parts[1].toInt(&ok);
                ok = ok && clip->lengthMs > 0 && clip->lengthMs % 40 == 0;
            } else if (option == QLatin1String("--subtitles-from")) {
                clip->firstSubtitleLineMs = parts[1].toInt(&ok);
                ok = ok && clip->firstSubtitleLineMs >= 0;
            } else {
                for (const QString &index : parts[1].split(QLatin1Char(','))) {
                    bool indexOk = false;
                    clip->playlistAudioOrder << index.toInt(&indexOk);
                    ok = ok && indexOk;
                }
            }
        }
        if (!ok)
            return QStringLiteral("bad value in %1 %2").arg(option, value);
    }
    // Last: the title's times follow from the clips' lengths and the items' trims.
    for (const QString &playlist : std::as_const(burned))
        disc.BurnTitleTime(playlist);
    return QString();
}

const QStringList ClockOptions{"--clip-pts",       "--clip-length", "--audio-order",
                               "--subtitles-from", "--trim",        "--connection",
                               "--burn-title-time"};

int BuildBluRay(const QString &folder, const QStringList &options)
{
    QList<QPair<QString, QString>> clockOptions;
    BluRayFolderBuilder disc;
    disc.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    bool thumbnailSet = false;
    QString keyFile;
    bool fullHd = false;
    bool uhd = false;
    int clipStart = 0;
    for (int i = 0; i < options.size(); ++i) {
        const QString option = options[i];
        const bool takesValue =
            option != QLatin1String("--no-thumbnail") && option != QLatin1String("--no-index") &&
            option != QLatin1String("--aacs") && option != QLatin1String("--full-hd") &&
            option != QLatin1String("--uhd");
        if (takesValue && i + 1 >= options.size())
            return Usage(option + QStringLiteral(" needs a value"));
        const QString value = takesValue ? options[++i] : QString();
        QString name;
        QString rest;
        if (ClockOptions.contains(option)) {
            clockOptions.append({option, value});
        } else if (option == QLatin1String("--clip") ||
                   option == QLatin1String("--synthetic-clip")) {
            const QStringList parts = value.split(QLatin1Char(':'));
            bool ok = false;
            const int seconds = parts.value(1).toInt(&ok);
            if (parts.size() < 2 || parts[0].size() != 5 || !ok || seconds <= 0)
                return Usage(QStringLiteral("bad clip: ") + value);
            BluRayFolderBuilder::Clip &clip =
                disc.AddClip(parts[0].toLatin1(), seconds,
                             parts.size() > 2 ? Languages(parts[2]) : QVector<QByteArray>{"eng"},
                             Languages(parts.value(3)));
            clip.synthetic = option == QLatin1String("--synthetic-clip");
        } else if (option == QLatin1String("--playlist")) {
            if (!SplitAssignment(value, name, rest))
                return Usage(QStringLiteral("bad playlist: ") + value);
            const QString clipsText = rest.section(QLatin1Char('@'), 0, 0);
            QVector<QByteArray> clipIds;
            for (const QString &id : clipsText.split(QLatin1Char('+'), Qt::SkipEmptyParts))
                clipIds << id.toLatin1();
            QVector<qint64> chapters;
            for (const QString &ms :
                 rest.section(QLatin1Char('@'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
                chapters << ms.toLongLong();
            disc.AddPlaylist(name, clipIds, chapters);
        } else if (option == QLatin1String("--byte-copy") ||
                   option == QLatin1String("--structural-copy")) {
            if (!SplitAssignment(value, name, rest))
                return Usage(QStringLiteral("bad copy: ") + value);
            if (option == QLatin1String("--byte-copy"))
                disc.AddByteCopy(name, rest);
            else
                disc.AddStructuralCopy(name, rest);
        } else if (option == QLatin1String("--loop")) {
            if (!SplitAssignment(value, name, rest))
                return Usage(QStringLiteral("bad loop: ") + value);
            const int times =
                rest.contains(QLatin1Char('x')) ? rest.section(QLatin1Char('x'), 1).toInt() : 3;
            disc.AddLoop(name, rest.section(QLatin1Char('x'), 0, 0).toLatin1(), times);
        } else if (option == QLatin1String("--raw")) {
            if (!SplitAssignment(value, name, rest))
                return Usage(QStringLiteral("bad raw playlist: ") + value);
            QFile file(rest);
            if (!file.open(QIODevice::ReadOnly))
                return Usage(QStringLiteral("cannot read ") + rest);
            disc.AddRaw(name, file.readAll());
        } else if (option == QLatin1String("--text")) {
            if (!SplitAssignment(value, name, rest))
                return Usage(QStringLiteral("bad text playlist: ") + value);
            disc.AddRaw(name, rest.toUtf8());
        } else if (option == QLatin1String("--folder")) {
            disc.AddFolder(value);
        } else if (option == QLatin1String("--name")) {
            disc.metadata.write = true;
            disc.metadata.name = value.toUtf8();
        } else if (option == QLatin1String("--thumbnail")) {
            disc.metadata.write = true;
            disc.metadata.thumbnail = QFile::encodeName(value);
            thumbnailSet = true;
        } else if (option == QLatin1String("--no-thumbnail")) {
            disc.metadata.thumbnail.clear();
            thumbnailSet = true;
        } else if (option == QLatin1String("--metadata-xml")) {
            QFile file(value);
            if (!file.open(QIODevice::ReadOnly))
                return Usage(QStringLiteral("cannot read ") + value);
            disc.metadata.write = true;
            disc.metadata.rawXml = file.readAll();
            disc.metadata.writePicture = false;
        } else if (option == QLatin1String("--no-index")) {
            disc.writeIndex = false;
        } else if (option == QLatin1String("--cache")) {
            disc.streamCache = value;
        } else if (option == QLatin1String("--aacs")) {
            disc.aacs.enabled = true;
        } else if (option == QLatin1String("--full-hd")) {
            fullHd = true;
        } else if (option == QLatin1String("--uhd")) {
            uhd = true;
        } else if (option == QLatin1String("--audio-formats")) {
            BluRayFolderBuilder::Clip *clip = nullptr;
            for (BluRayFolderBuilder::Clip &each : disc.clips) {
                if (each.id == value.section(QLatin1Char(':'), 0, 0).toLatin1())
                    clip = &each;
            }
            if (!clip)
                return Usage(QStringLiteral("--audio-formats names no clip given before: ") +
                             value);
            clip->audioFormats.clear();
            for (const QString &text :
                 value.section(QLatin1Char(':'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                DiscAudioFormat format;
                if (!DiscAudioFormat::Parse(text, format))
                    return Usage(QStringLiteral("bad audio format: ") + text);
                clip->audioFormats << format;
            }
        } else if (option == QLatin1String("--clip-start")) {
            bool ok = false;
            clipStart = value.toInt(&ok);
            if (!ok || clipStart < 0 || clipStart > 86400)
                return Usage(QStringLiteral("bad clip start: ") + value);
        } else if (option == QLatin1String("--aacs-key-file")) {
            keyFile = value;
        } else {
            return Usage(QStringLiteral("unknown option ") + option);
        }
    }
    Q_UNUSED(thumbnailSet);
    for (BluRayFolderBuilder::Clip &clip : disc.clips) {
        clip.fullHd = fullHd;
        clip.uhdHevc = uhd;
        clip.timestampOffsetSeconds = clipStart;
    }
    const QString clockProblem = ApplyClockOptions(disc, clockOptions);
    if (!clockProblem.isEmpty())
        return Usage(clockProblem);
    QString error;
    if (!disc.Build(folder, &error)) {
        std::fprintf(stderr, "orvel-disc-build: %s\n", qPrintable(error));
        return 1;
    }
    if (!keyFile.isEmpty()) {
        QFile file(keyFile);
        if (!disc.aacs.enabled || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(disc.KeyFileEntry()) < 0) {
            std::fprintf(stderr, "orvel-disc-build: cannot write the key file %s (needs --aacs)\n",
                         qPrintable(keyFile));
            return 1;
        }
    }
    PrintListing(folder + QStringLiteral("/BDMV/PLAYLIST"));
    return 0;
}

int BuildFolder(const QString &kind, const QString &folder, const QStringList &options)
{
    QString error;
    if (kind == QLatin1String("bluray"))
        return BuildBluRay(folder, options);
    if (kind == QLatin1String("dvd")) {
        DvdFolderBuilder dvd;
        dvd.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
        for (int i = 0; i + 1 < options.size(); i += 2) {
            if (options[i] == QLatin1String("--seconds"))
                dvd.seconds = options[i + 1].toInt();
            else if (options[i] == QLatin1String("--cache"))
                dvd.streamCache = options[i + 1];
            else
                return Usage(QStringLiteral("unknown option ") + options[i]);
        }
        if (options.size() % 2 != 0)
            return Usage(QStringLiteral("an option needs a value"));
        if (!dvd.Build(folder, &error)) {
            std::fprintf(stderr, "orvel-disc-build: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (kind == QLatin1String("bench")) {
        if (options.size() != 2 || options[0] != QLatin1String("--playlists") ||
            options[1].toInt() <= 0)
            return Usage(QStringLiteral("bench needs --playlists N"));
        BluRayFolderBuilder disc = BluRayFolderBuilder::BenchmarkDisc(options[1].toInt());
        if (!disc.Build(folder, &error)) {
            std::fprintf(stderr, "orvel-disc-build: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    return Usage(QStringLiteral("unknown kind ") + kind);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2)
        return Usage(QStringLiteral("a kind and a folder are needed"));
    QStringList options = arguments.mid(2);
    QString image;
    const qsizetype imageOption = options.indexOf(QStringLiteral("--image"));
    if (imageOption >= 0) {
        if (imageOption + 1 >= options.size())
            return Usage(QStringLiteral("--image needs a value"));
        image = options[imageOption + 1];
        options.remove(imageOption, 2);
    }
    const int built = BuildFolder(arguments[0], arguments[1], options);
    if (built != 0 || image.isEmpty())
        return built;
    QString error;
    if (!MakeUdfImage(arguments[1], image, &error)) {
        std::fprintf(stderr, "orvel-disc-build: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
