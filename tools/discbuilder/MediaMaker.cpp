#include "MediaMaker.h"

#include "disc/BigEndian.h"

#include "TransportStreamScan.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

// Changes whenever the recipes below change, so that a shared cache never hands out a file
// made the old way.
constexpr char RecipeVersion[] = "orvel-discbuilder-3";

constexpr int ClipWidth = 256;
constexpr int ClipHeight = 144; // a multiple of 16
constexpr int FullHdWidth = 1920;
constexpr int FullHdHeight = 1080;
constexpr int UhdWidth = 3840;
constexpr int UhdHeight = 2160;
// Shop discs use up to three B-frames between references; so do our clips, so that the
// engine reorders frames on our titles as it does on theirs.
constexpr int BFrames = 3;
constexpr int FramesPerSecond = 25;
constexpr quint16 VideoPid = 0x1011;
constexpr int ProcessTimeoutMs = 300000;
// Where ffmpeg's transport streams start their time stamps when not told otherwise.
constexpr qint64 FfmpegFirstPtsMs = 1400;

QByteArray Segment(quint32 pts, quint8 type, const QByteArray &data)
{
    QByteArray out("PG");
    AppendWord32(out, pts);
    AppendWord32(out, 0); // DTS
    out.append(char(type));
    AppendWord16(out, quint16(data.size()));
    out.append(data);
    return out;
}

// Where a subtitle line of stream INDEX sits in a frame: a bar a quarter of the frame wide
// near the bottom, as lines are placed on discs; each stream's bar in its own column, so
// that a picture shows which stream the engine draws.
struct LinePlace
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

LinePlace PlaceOfLine(int width, int height, int index)
{
    LinePlace place;
    place.width = qMax(8, width / 4);
    place.height = qMax(4, height / 18);
    place.left = width / 16 + (index % 3) * (width * 5 / 16);
    place.top = height * 13 / 16;
    return place;
}

// One line of the object's bitmap, run-length coded: a run of colour C is 00, two bits
// saying long or short and not zero, the length, then C; 00 00 ends the line.
QByteArray CodedLine(int width, quint8 colour)
{
    QByteArray line;
    int left = width;
    while (left > 0) {
        const int run = qMin(left, 16383);
        line.append('\0');
        if (run < 64) {
            line.append(char(0x80 | run));
        } else {
            line.append(char(0xC0 | (run >> 8)));
            line.append(char(run & 0xFF));
        }
        line.append(char(colour));
        left -= run;
    }
    line.append(2, '\0');
    return line;
}

// One display set: a composition with the line shown (an epoch start, as each line on a
// disc is) or with nothing (clear).
QByteArray DisplaySet(quint32 pts, int width, int height, int index, quint16 number, bool show)
{
    const LinePlace place = PlaceOfLine(width, height, index);
    QByteArray composition;
    AppendWord16(composition, quint16(width));
    AppendWord16(composition, quint16(height));
    composition.append(char(0x10)); // frame rate code
    AppendWord16(composition, number);
    composition.append(char(show ? 0x80 : 0x00)); // epoch start, or a normal update
    composition.append(char(0));                  // no palette-only update
    composition.append(char(0));                  // palette 0
    composition.append(char(show ? 1 : 0));       // composition objects
    if (show) {
        AppendWord16(composition, 0); // object 0
        composition.append(char(0));  // window 0
        composition.append(char(0));  // not cropped
        AppendWord16(composition, quint16(place.left));
        AppendWord16(composition, quint16(place.top));
    }
    QByteArray out = Segment(pts, 0x16, composition);

    QByteArray window;
    window.append(char(1));
    window.append(char(0));
    AppendWord16(window, quint16(place.left));
    AppendWord16(window, quint16(place.top));
    AppendWord16(window, quint16(place.width));
    AppendWord16(window, quint16(place.height));
    out += Segment(pts, 0x17, window);

    if (show) {
        QByteArray palette;
        palette.append(char(0)); // palette 0
        palette.append(char(0)); // version 0
        // Entry 1: white (Y, Cr, Cb), opaque.
        palette.append(QByteArray::fromHex("01EB8080FF"));
        out += Segment(pts, 0x14, palette);

        QByteArray lines;
        for (int y = 0; y < place.height; ++y)
            lines.append(CodedLine(place.width, 1));
        QByteArray object;
        AppendWord16(object, 0);   // object 0
        object.append(char(0));    // version
        object.append(char(0xC0)); // first and last piece
        const quint32 length = quint32(lines.size() + 4);
        object.append(char(length >> 16));
        AppendWord16(object, quint16(length & 0xFFFF));
        AppendWord16(object, quint16(place.width));
        AppendWord16(object, quint16(place.height));
        object.append(lines);
        out += Segment(pts, 0x15, object);
    }
    out += Segment(pts, 0x80, QByteArray());
    return out;
}

// 5.1 sound with a tone of its own in every channel, the stream's tone in front left, so that
// a channel that goes missing on the way to the speakers shows in the engine's output. The
// low-frequency channel gets a tone low enough to pass the encoders' low-pass filter.
QString SurroundSource(int tone, const QString &seconds)
{
    const int channelTones[] = {tone, tone * 5 / 4, tone * 3 / 2, 60, tone * 2, tone * 9 / 4};
    QString graph;
    QString labels;
    for (int c = 0; c < 6; ++c) {
        graph += QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2[c%3];")
                     .arg(channelTones[c])
                     .arg(seconds)
                     .arg(c);
        labels += QStringLiteral("[c%1]").arg(c);
    }
    return graph + labels +
           QStringLiteral("join=inputs=6:channel_layout=5.1:map=0.0-FL|1.0-FR|2.0-FC|3.0-LFE|"
                          "4.0-BL|5.0-BR");
}

// HEVC Main 10 as UHD discs carry it: BT.2020 primaries and the PQ curve, with HDR10's
// static metadata, a key frame every second and B-frames. The fastest preset keeps a few
// seconds of 2160p within reach of a busy two-core machine.
QStringList UhdVideoArguments()
{
    return {QStringLiteral("-c:v"),
            QStringLiteral("libx265"),
            QStringLiteral("-preset"),
            QStringLiteral("ultrafast"),
            QStringLiteral("-pix_fmt"),
            QStringLiteral("yuv420p10le"),
            QStringLiteral("-profile:v"),
            QStringLiteral("main10"),
            QStringLiteral("-color_primaries"),
            QStringLiteral("bt2020"),
            QStringLiteral("-color_trc"),
            QStringLiteral("smpte2084"),
            QStringLiteral("-colorspace"),
            QStringLiteral("bt2020nc"),
            QStringLiteral("-x265-params"),
            QStringLiteral("log-level=error:keyint=%1:min-keyint=%1:scenecut=0:bframes=%2:"
                           "hdr10=1:repeat-headers=1:colorprim=bt2020:transfer=smpte2084:"
                           "colormatrix=bt2020nc:max-cll=1000,400:master-display="
                           "G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)"
                           "L(10000000,1)")
                .arg(FramesPerSecond)
                .arg(BFrames)};
}

} // namespace

QString MediaMaker::TitleTimeBarCode::Filters(qint64 titleStartMs, int width, int height)
{
    // The frame's number on the title's clock, kept positive for mod(): 65536 is 0 in 16 bits.
    const qint64 firstFrame = (titleStartMs * FramesPerSecond + 500) / 1000;
    const QString frame = QStringLiteral("(n+%1)").arg(firstFrame + 65536);
    const int blockWidth = width / Bits;
    const int rowHeight = qMax(2, int(height * RowHeight));
    QStringList filters;
    for (int bit = 0; bit < Bits; ++bit) {
        const QString set = QStringLiteral("mod(floor(%1/%2),2)").arg(frame).arg(1 << bit);
        for (int row = 0; row < 2; ++row) {
            // Black first, then white where the bit (or in the lower row its inverse) is set.
            filters << QStringLiteral("drawbox=x=%1:y=%2:w=%3:h=%4:color=black:t=fill")
                           .arg(bit * blockWidth)
                           .arg(row * rowHeight)
                           .arg(blockWidth)
                           .arg(rowHeight);
            filters << QStringLiteral("drawbox=x=%1:y=%2:w=%3:h=%4:color=white:t=fill:"
                                      "enable='eq(%5,%6)'")
                           .arg(bit * blockWidth)
                           .arg(row * rowHeight)
                           .arg(blockWidth)
                           .arg(rowHeight)
                           .arg(set)
                           .arg(row == 0 ? 1 : 0);
        }
    }
    // The same time in digits for people looking at the picture, where a font is installed.
    const QString font = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    if (QFileInfo::exists(font))
        filters << QStringLiteral("drawtext=fontfile=%1:fontsize=%2:fontcolor=white:box=1:"
                                  "boxcolor=black:x=(w-text_w)/2:y=h/3:"
                                  "text='%{pts\\:hms\\:%3}'")
                       .arg(font)
                       .arg(qMax(12, height / 6))
                       .arg(QString::number(double(firstFrame) / FramesPerSecond, 'f', 2));
    return filters.join(QLatin1Char(','));
}

MediaMaker::MediaMaker(const QString &cacheFolder)
{
    if (cacheFolder.isEmpty()) {
        privateFolder = std::make_unique<QTemporaryDir>();
        folder = privateFolder->path();
    } else {
        folder = cacheFolder;
        QDir().mkpath(folder);
    }
}

MediaMaker::~MediaMaker() = default;

QByteArray MediaMaker::SubtitleStream(int seconds, int width, int height, int index,
                                      int firstLineMs)
{
    // A line every two seconds from the first, each shown for a second and a half, so that
    // a line comes soon after any seek, as on a film with dialogue.
    QByteArray out;
    quint16 number = 0;
    for (int startMs = firstLineMs; startMs + 2000 <= seconds * 1000; startMs += 2000) {
        out += DisplaySet(quint32(startMs) * 90, width, height, index, number++, true);
        out += DisplaySet(quint32(startMs + 1500) * 90, width, height, index, number++, false);
    }
    return out;
}

QString MediaMaker::CachePath(const QStringList &recipe, const QString &suffix) const
{
    const QByteArray key =
        (QStringList{QString::fromLatin1(RecipeVersion)} + recipe).join(QLatin1Char('\n')).toUtf8();
    const QByteArray name = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return QDir(folder).filePath(QString::fromLatin1(name) + suffix);
}

bool MediaMaker::RunFfmpeg(const QStringList &arguments, QString *error)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::SeparateChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                             QStringLiteral("-loglevel"), QStringLiteral("error"),
                             QStringLiteral("-y")} +
                     arguments);
    if (!ffmpeg.waitForFinished(ProcessTimeoutMs) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("ffmpeg failed: ") +
                     QString::fromLocal8Bit(ffmpeg.readAllStandardError()).trimmed() +
                     ffmpeg.errorString();
        ffmpeg.kill();
        ffmpeg.waitForFinished();
        return false;
    }
    return true;
}

bool MediaMaker::MakeClip(const ClipRequest &request, QString &path, ClipTiming &timing,
                          QString *error)
{
    const QString seconds = request.lengthMs > 0
                                ? QString::number(request.lengthMs / 1000.0, 'f', 3)
                                : QString::number(qMax(1, request.seconds));
    const int width = request.uhdHevc ? UhdWidth : request.fullHd ? FullHdWidth : ClipWidth;
    const int height = request.uhdHevc ? UhdHeight : request.fullHd ? FullHdHeight : ClipHeight;
    QStringList inputs{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("testsrc=size=%1x%2:rate=%3:duration=%4")
                           .arg(width)
                           .arg(height)
                           .arg(FramesPerSecond)
                           .arg(seconds)};
    QStringList maps{QStringLiteral("-map"), QStringLiteral("0:v")};
    QStringList metadata;
    int input = 1;
    for (int i = 0; i < request.audioLanguages.size(); ++i, ++input) {
        // A different tone per stream, so that a switch of stream can be heard.
        const int tone = 440 + 110 * i;
        const bool surround =
            i < request.audioFormats.size() && request.audioFormats[i].channels == 6;
        inputs << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
               << (surround ? SurroundSource(tone, seconds)
                            : QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2")
                                  .arg(tone)
                                  .arg(seconds));
        maps << QStringLiteral("-map") << QStringLiteral("%1:a").arg(input);
        metadata << QStringLiteral("-metadata:s:a:%1").arg(i)
                 << QStringLiteral("language=") + QString::fromLatin1(request.audioLanguages[i]);
    }
    QStringList recipe{QStringLiteral("clip"), seconds,
                       QString::number(request.timestampOffsetSeconds),
                       request.fullHd ? QStringLiteral("1080p-high") : QStringLiteral("small")};
    recipe << metadata << QStringLiteral("subtitles");
    // Only clips that differ from the AC-3, H.264 ones say so, so that those keep their names
    // in a shared cache.
    for (const DiscAudioFormat &format : request.audioFormats)
        recipe.insert(recipe.indexOf(QStringLiteral("subtitles")), format.Name());
    if (request.uhdHevc)
        recipe << QStringLiteral("uhd-hevc-main10-hdr10");
    for (const QByteArray &language : request.subtitleLanguages)
        recipe << QString::fromLatin1(language);
    // Named only when asked for, so that streams made before these existed are still found.
    if (request.firstTimestampMs >= 0)
        recipe << QStringLiteral("first-pts-ms=%1").arg(request.firstTimestampMs);
    if (request.burnTitleTime)
        recipe << QStringLiteral("title-time-from=%1").arg(request.titleStartMs);
    if (request.firstSubtitleLineMs != 1000)
        recipe << QStringLiteral("first-line-at-ms=%1").arg(request.firstSubtitleLineMs);

    const QString streamPath = CachePath(recipe, QStringLiteral(".m2ts"));
    if (!QFileInfo::exists(streamPath)) {
        QTemporaryDir work(QDir(folder).filePath(QStringLiteral("work-XXXXXX")));
        if (!work.isValid()) {
            if (error)
                *error = QStringLiteral("cannot make a work folder in ") + folder;
            return false;
        }
        for (int i = 0; i < request.subtitleLanguages.size(); ++i, ++input) {
            const QString sup = work.filePath(QStringLiteral("s%1.sup").arg(i));
            QFile file(sup);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(
                    SubtitleStream(request.lengthMs > 0 ? request.lengthMs / 1000 : request.seconds,
                                   width, height, i, request.firstSubtitleLineMs)) < 0) {
                if (error)
                    *error = QStringLiteral("cannot write ") + sup;
                return false;
            }
            file.close();
            // ffmpeg moves every input to start at 0; a stream whose first line comes late
            // is moved back to it.
            if (request.firstSubtitleLineMs != 1000)
                inputs << QStringLiteral("-itsoffset")
                       << QString::number(request.firstSubtitleLineMs / 1000.0, 'f', 3);
            inputs << QStringLiteral("-i") << sup;
            maps << QStringLiteral("-map") << QStringLiteral("%1:s").arg(input);
            metadata << QStringLiteral("-metadata:s:s:%1").arg(i)
                     << QStringLiteral("language=") +
                            QString::fromLatin1(request.subtitleLanguages[i]);
        }
        const QString made = work.filePath(QStringLiteral("clip.m2ts"));
        QStringList arguments = inputs;
        if (request.burnTitleTime)
            arguments << QStringLiteral("-filter_complex")
                      << QStringLiteral("[0:v]%1[timed]")
                             .arg(TitleTimeBarCode::Filters(request.titleStartMs, width, height));
        if (request.burnTitleTime)
            maps[1] = QStringLiteral("[timed]");
        arguments << maps;
        if (request.uhdHevc)
            arguments << UhdVideoArguments();
        else
            arguments << QStringLiteral("-c:v") << QStringLiteral("libx264")
                      << QStringLiteral("-preset") << QStringLiteral("ultrafast")
                      << QStringLiteral("-pix_fmt")
                      << QStringLiteral("yuv420p")
                      // Without force-cfr the engine reads twice the frame rate. The fastest
                      // preset drops what makes High profile (CABAC, 8x8 transforms): asked back.
                      << QStringLiteral("-x264-params")
                      << (request.fullHd ? QStringLiteral("force-cfr=1:cabac=1:8x8dct=1")
                                         : QStringLiteral("force-cfr=1"))
                      << QStringLiteral("-g") << QString::number(FramesPerSecond)
                      << QStringLiteral("-keyint_min") << QString::number(FramesPerSecond)
                      << QStringLiteral("-sc_threshold") << QStringLiteral("0")
                      << QStringLiteral("-bf") << QString::number(BFrames);
        arguments << QStringLiteral("-c:a") << QStringLiteral("ac3") << QStringLiteral("-b:a")
                  << QStringLiteral("64k") << QStringLiteral("-ac") << QStringLiteral("2")
                  << QStringLiteral("-c:s") << QStringLiteral("copy");
        bool experimental = false;
        for (int i = 0; i < request.audioFormats.size() && i < request.audioLanguages.size(); ++i) {
            arguments << request.audioFormats[i].EncoderArguments(i);
            experimental = experimental || request.audioFormats[i].Experimental();
        }
        if (experimental)
            arguments << QStringLiteral("-strict") << QStringLiteral("-2");
        arguments << metadata;
        if (request.fullHd && !request.uhdHevc)
            arguments << QStringLiteral("-profile:v") << QStringLiteral("high")
                      << QStringLiteral("-level:v") << QStringLiteral("4.1");
        if (request.firstTimestampMs >= 0)
            arguments << QStringLiteral("-output_ts_offset")
                      << QString::number((request.firstTimestampMs - FfmpegFirstPtsMs) / 1000.0,
                                         'f', 3);
        else if (request.timestampOffsetSeconds != 0)
            arguments << QStringLiteral("-output_ts_offset")
                      << QString::number(request.timestampOffsetSeconds);
        arguments << QStringLiteral("-f") << QStringLiteral("mpegts")
                  << QStringLiteral("-mpegts_m2ts_mode") << QStringLiteral("1") << made;
        if (!RunFfmpeg(arguments, error))
            return false;
        QFile file(made);
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("ffmpeg wrote no ") + made;
            return false;
        }
        QByteArray stream = file.readAll();
        file.close();
        TransportStreamScan::PadToAlignedUnit(stream);
        QSaveFile out(streamPath);
        if (!out.open(QIODevice::WriteOnly) || out.write(stream) != stream.size() ||
            !out.commit()) {
            if (error)
                *error = QStringLiteral("cannot write ") + streamPath;
            return false;
        }
    }

    QFile file(streamPath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read ") + streamPath;
        return false;
    }
    if (!TransportStreamScan::Scan(file.readAll(), VideoPid, timing, error))
        return false;
    path = streamPath;
    return true;
}

bool MediaMaker::MakeJpeg(int width, int height, QString &path, QString *error)
{
    const QString picture =
        CachePath({QStringLiteral("jpeg"), QString::number(width), QString::number(height)},
                  QStringLiteral(".jpg"));
    if (!QFileInfo::exists(picture)) {
        const QString made = picture + QStringLiteral(".part.jpg");
        if (!RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("testsrc=size=%1x%2:rate=1").arg(width).arg(height),
                        QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-q:v"),
                        QStringLiteral("5"), made},
                       error))
            return false;
        QFile::remove(picture);
        if (!QFile::rename(made, picture)) {
            if (error)
                *error = QStringLiteral("cannot keep ") + picture;
            return false;
        }
    }
    path = picture;
    return true;
}

bool MediaMaker::MakeDvdProgramStream(int seconds, QString &path, QString *error)
{
    const QString length = QString::number(qMax(1, seconds));
    const QString stream = CachePath({QStringLiteral("dvd"), length}, QStringLiteral(".mpg"));
    if (!QFileInfo::exists(stream)) {
        const QString made = stream + QStringLiteral(".part.mpg");
        if (!RunFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("testsrc=size=720x576:rate=25:duration=") + length,
                        QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("sine=frequency=440:duration=") + length,
                        QStringLiteral("-target"), QStringLiteral("pal-dvd"),
                        QStringLiteral("-aspect"), QStringLiteral("16:9"), made},
                       error))
            return false;
        QFile::remove(stream);
        if (!QFile::rename(made, stream)) {
            if (error)
                *error = QStringLiteral("cannot keep ") + stream;
            return false;
        }
    }
    path = stream;
    return true;
}

namespace {

// One part of a recipe, its length first, so that parts holding line breaks (a comment, a
// subtitle file) can never run into the next and make two recipes read alike.
QString RecipePart(const QString &value)
{
    return QString::number(value.size()) + QLatin1Char(':') + value;
}

QString RecipePart(int value)
{
    return QString::number(value);
}

QString ChapterMetadata(const QVector<MediaMaker::FileRequest::Chapter> &chapters)
{
    QString text = QStringLiteral(";FFMETADATA1\n");
    for (const MediaMaker::FileRequest::Chapter &chapter : chapters) {
        text += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\n")
                    .arg(chapter.startMs)
                    .arg(chapter.endMs);
        if (!chapter.title.isEmpty())
            text += QStringLiteral("title=") + chapter.title + QLatin1Char('\n');
    }
    return text;
}

bool WriteWhole(const QString &path, const QByteArray &content, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        if (error)
            *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

} // namespace

bool MediaMaker::MakeFile(const FileRequest &request, QString &path, QString *error)
{
    const int seconds = qMax(1, request.seconds);
    QStringList recipe{QStringLiteral("file"),
                       RecipePart(request.suffix),
                       RecipePart(seconds),
                       RecipePart(request.picture),
                       RecipePart(request.width),
                       RecipePart(request.height),
                       RecipePart(request.framesPerSecond),
                       RecipePart(request.videoCodec),
                       RecipePart(request.keyFrameInterval),
                       RecipePart(request.interlaced ? 1 : 0),
                       RecipePart(request.pictureFilter),
                       RecipePart(int(request.codingOptions.size()))};
    for (const QString &option : request.codingOptions)
        recipe << RecipePart(option);
    recipe << RecipePart(request.audioCodec) << RecipePart(int(request.tones.size()));
    for (const FileRequest::Tone &tone : request.tones)
        recipe << RecipePart(tone.frequency) << RecipePart(tone.language) << RecipePart(tone.title);
    recipe << RecipePart(int(request.subtitles.size()));
    for (const FileRequest::TextStream &text : request.subtitles)
        recipe << RecipePart(QString::fromLatin1(text.subRip.toBase64()))
               << RecipePart(text.language) << RecipePart(text.title);
    recipe << RecipePart(ChapterMetadata(request.chapters))
           << RecipePart(int(request.chapters.size())) << RecipePart(int(request.tags.size()));
    for (const auto &[key, value] : request.tags)
        recipe << RecipePart(key) << RecipePart(value);

    const QString made = CachePath(recipe, QLatin1Char('.') + request.suffix);
    if (QFileInfo::exists(made)) {
        path = made;
        return true;
    }
    QTemporaryDir work(QDir(folder).filePath(QStringLiteral("work-XXXXXX")));
    if (!work.isValid()) {
        if (error)
            *error = QStringLiteral("cannot make a work folder in ") + folder;
        return false;
    }
    const QString length = QString::number(seconds);
    QStringList inputs;
    QStringList maps;
    QStringList metadata;
    int input = 0;
    if (!request.picture.isEmpty()) {
        const QChar joint =
            request.picture.contains(QLatin1Char('=')) ? QLatin1Char(':') : QLatin1Char('=');
        inputs << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
               << request.picture + joint +
                      QStringLiteral("size=%1x%2:rate=%3:duration=%4")
                          .arg(request.width)
                          .arg(request.height)
                          .arg(request.framesPerSecond)
                          .arg(length);
        maps << QStringLiteral("-map") << QStringLiteral("%1:v").arg(input++);
    }
    const auto describe = [&metadata](const QString &stream, const QString &language,
                                      const QString &title) {
        if (!language.isEmpty())
            metadata << QStringLiteral("-metadata:s:") + stream
                     << QStringLiteral("language=") + language;
        if (!title.isEmpty())
            metadata << QStringLiteral("-metadata:s:") + stream << QStringLiteral("title=") + title;
    };
    for (int i = 0; i < request.tones.size(); ++i) {
        const FileRequest::Tone &tone = request.tones[i];
        inputs << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
               << QStringLiteral("sine=frequency=%1:duration=%2").arg(tone.frequency).arg(length);
        maps << QStringLiteral("-map") << QStringLiteral("%1:a").arg(input++);
        describe(QStringLiteral("a:%1").arg(i), tone.language, tone.title);
    }
    for (int i = 0; i < request.subtitles.size(); ++i) {
        const FileRequest::TextStream &text = request.subtitles[i];
        const QString srt = work.filePath(QStringLiteral("s%1.srt").arg(i));
        if (!WriteWhole(srt, text.subRip, error))
            return false;
        inputs << QStringLiteral("-i") << srt;
        maps << QStringLiteral("-map") << QStringLiteral("%1:s").arg(input++);
        describe(QStringLiteral("s:%1").arg(i), text.language, text.title);
    }
    if (!request.chapters.isEmpty()) {
        const QString chapters = work.filePath(QStringLiteral("chapters.txt"));
        if (!WriteWhole(chapters, ChapterMetadata(request.chapters).toUtf8(), error))
            return false;
        inputs << QStringLiteral("-i") << chapters;
        maps << QStringLiteral("-map_chapters") << QString::number(input++);
    }
    QStringList arguments = inputs + maps;
    if (!request.picture.isEmpty()) {
        arguments << QStringLiteral("-c:v") << request.videoCodec;
        if (request.keyFrameInterval > 0)
            arguments << QStringLiteral("-g") << QString::number(request.keyFrameInterval);
        if (request.interlaced)
            arguments << QStringLiteral("-flags") << QStringLiteral("+ilme+ildct")
                      << QStringLiteral("-top") << QStringLiteral("1");
        if (!request.pictureFilter.isEmpty())
            arguments << QStringLiteral("-vf") << request.pictureFilter;
    }
    if (!request.tones.isEmpty())
        arguments << QStringLiteral("-c:a") << request.audioCodec;
    if (!request.subtitles.isEmpty())
        arguments << QStringLiteral("-c:s") << QStringLiteral("srt");
    arguments << request.codingOptions << metadata;
    for (const auto &[key, value] : request.tags)
        arguments << QStringLiteral("-metadata") << key + QLatin1Char('=') + value;
    const QString output = work.filePath(QStringLiteral("made.") + request.suffix);
    arguments << output;
    if (!RunFfmpeg(arguments, error))
        return false;
    // Another maker sharing the folder may have kept the same file meanwhile: as good.
    if (!QFile::rename(output, made) && !QFileInfo::exists(made)) {
        if (error)
            *error = QStringLiteral("cannot keep ") + made;
        return false;
    }
    path = made;
    return true;
}

bool MediaMaker::MakeFileAs(const FileRequest &request, const QString &target, QString *error)
{
    QString made;
    if (!MakeFile(request, made, error))
        return false;
    QFile::remove(target);
    if (!QFile::copy(made, target)) {
        if (error)
            *error = QStringLiteral("cannot copy ") + made + QStringLiteral(" to ") + target;
        return false;
    }
    return true;
}
