// Reads playlist files with the player's reader and with libbluray and says, per file,
// whether the two agree on what the player uses: clip names, IN and OUT times, chapter
// starts, and the audio and subtitle menus.
//
//   orvel-mpls-conformance FILE-OR-FOLDER...     (folders are searched for *.mpls)
//
// Prints MATCH, DIFFER (each field with both values) or SKIP (with the reason) per file,
// then a count of each. Exits 1 when any file differs, 2 on a usage error.
//
// The player's reader departs from libbluray on purpose in a few places, and the
// comparison applies the reader's rule to libbluray's figures there instead of reporting
// a difference:
//  - times are whole milliseconds: each 45 kHz time is cut on its own, item starts are
//    sums of cut durations, and chapters are measured against those starts;
//  - the stream menus describe the last play item only;
//  - graphics subtitles win over text subtitles;
//  - audio of a coding type the menus have no name for is left out;
//  - a playlist whose second and third items play the same clip hands out no items and
//    no streams (its chapters still come out);
//  - more than 3 primary video streams in the last item refuses the file.
//
// libbluray is asked through its public playlist API, which needs a disc folder: each file
// is copied as BDMV/PLAYLIST/00000.mpls into a scratch disc. Nothing else is required to
// get a playlist's information; a CLIPINF folder beside the file's folder is linked in
// when there is one, so that files from a disc folder are read with their clip info.

#include "disc/MplsReader.h"
#include "disc/StreamMenuName.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <libbluray/bluray.h>
#include <libbluray/log_control.h>

#include <cstdio>
#include <memory>

namespace {

// libbluray's times are 90 kHz; the file's are 45 kHz, so every libbluray time is even.
constexpr quint64 TicksPerMs90k = 90;

struct AudioSuffix
{
    quint8 codingType;
    const char *suffix;
};
// The menu names the player gives to audio codings; any other audio is not listed.
constexpr AudioSuffix audioSuffixes[] = {
    {0x80, " LPCM"},   {0x81, " AC3"},        {0x82, " DTS"},  {0x83, " TRUEHD"}, {0x84, " EAC3"},
    {0x85, " DTS HD"}, {0x86, " DTS HD XLL"}, {0xA1, " EAC3"}, {0xA2, ""},
};

QString Quoted(const QStringList &texts)
{
    return QLatin1Char('[') + texts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QStringList Descriptions(const QVector<MplsStream> &streams)
{
    QStringList texts;
    for (const MplsStream &stream : streams)
        texts << StreamMenuName(stream);
    return texts;
}

QString Language(const BLURAY_STREAM_INFO &stream)
{
    return LanguageMenuName(QByteArrayView(reinterpret_cast<const char *>(stream.lang), 3));
}

QStringList ExpectedAudio(const BLURAY_CLIP_INFO &clip, int *unnamed)
{
    QStringList texts;
    for (int i = 0; i < clip.audio_stream_count; ++i) {
        const BLURAY_STREAM_INFO &stream = clip.audio_streams[i];
        bool named = false;
        for (const AudioSuffix &audio : audioSuffixes) {
            if (audio.codingType == stream.coding_type) {
                texts << Language(stream) + QLatin1String(audio.suffix);
                named = true;
            }
        }
        if (!named)
            ++*unnamed;
    }
    return texts;
}

// libbluray lists graphics and text subtitles together; the player shows the graphics
// ones when there are any.
QStringList ExpectedSubtitles(const BLURAY_CLIP_INFO &clip)
{
    QStringList graphics;
    QStringList text;
    for (int i = 0; i < clip.pg_stream_count; ++i) {
        const BLURAY_STREAM_INFO &stream = clip.pg_streams[i];
        if (stream.coding_type == 0x90 || stream.coding_type == 0x91)
            graphics << Language(stream);
        else if (stream.coding_type == 0x92)
            text << Language(stream);
    }
    return graphics.isEmpty() ? text : graphics;
}

struct TitleInfoDeleter
{
    void operator()(BLURAY_TITLE_INFO *info) const { bd_free_title_info(info); }
};
struct BlurayDeleter
{
    void operator()(BLURAY *bd) const { bd_close(bd); }
};
using TitleInfo = std::unique_ptr<BLURAY_TITLE_INFO, TitleInfoDeleter>;

struct Verdict
{
    enum Kind
    {
        Match,
        Differ,
        Skip
    } kind = Match;
    QStringList details; // differences, the skip reason, or the rules that were applied
};

// Builds a scratch disc holding only this playlist and asks libbluray about it.
TitleInfo ReadWithLibbluray(const QString &path, QString *problem)
{
    QTemporaryDir disc(QDir::temp().filePath(QStringLiteral("orvel-mpls-conformance-XXXXXX")));
    const QDir root(disc.path());
    if (!disc.isValid() || !root.mkpath(QStringLiteral("BDMV/PLAYLIST")) ||
        !QFile::copy(path, root.filePath(QStringLiteral("BDMV/PLAYLIST/00000.mpls")))) {
        *problem = QStringLiteral("cannot build a scratch disc");
        return {};
    }
    const QFileInfo file(path);
    const QDir playlistFolder = file.absoluteDir();
    const QString clipInfo = playlistFolder.absoluteFilePath(QStringLiteral("../CLIPINF"));
    if (playlistFolder.dirName() == QLatin1String("PLAYLIST") && QFileInfo(clipInfo).isDir())
        QFile::link(clipInfo, root.filePath(QStringLiteral("BDMV/CLIPINF")));

    std::unique_ptr<BLURAY, BlurayDeleter> bd(bd_open(QFile::encodeName(disc.path()), nullptr));
    if (!bd) {
        *problem = QStringLiteral("libbluray cannot open the scratch disc");
        return {};
    }
    TitleInfo info(bd_get_playlist_info(bd.get(), 0, 0));
    if (!info)
        *problem = QStringLiteral("libbluray refuses the playlist");
    return info;
}

Verdict Compare(MplsReader &reader, const QString &path)
{
    Verdict verdict;
    QVector<MplsPlayItem> items;
    QVector<MplsStream> subtitles;
    QVector<MplsStream> audio;
    QVector<quint32> marks;
    const int code = reader.ReadPlaylist(path, items, subtitles, audio, marks);
    QString problem;
    const TitleInfo info = ReadWithLibbluray(path, &problem);

    auto differ = [&verdict](const QString &field, const QString &ours, const QString &theirs) {
        verdict.kind = Verdict::Differ;
        verdict.details << QStringLiteral("%1: ours %2, libbluray %3").arg(field, ours, theirs);
    };

    // libbluray's parser gives up on a damaged file without saying so to the caller: the
    // playlist comes back with no items and no marks. The player refuses such a file.
    const bool libblurayEmpty = info && info->clip_count == 0 && info->chapter_count == 0;
    if (!info || (libblurayEmpty && code == MplsReader::Malformed)) {
        if (code != MplsReader::Ok) {
            verdict.details << QStringLiteral("both refuse: ours code %1, libbluray %2")
                                   .arg(code)
                                   .arg(info ? QStringLiteral("an empty playlist") : problem);
        } else {
            verdict.kind = Verdict::Skip;
            verdict.details
                << QStringLiteral("%1; ours reads %2 items").arg(problem).arg(items.size());
        }
        return verdict;
    }
    const quint32 clipCount = info->clip_count;
    const BLURAY_CLIP_INFO *lastClip = clipCount > 0 ? &info->clips[clipCount - 1] : nullptr;
    if (code != MplsReader::Ok) {
        if (code == MplsReader::TooManyVideoStreams && lastClip &&
            lastClip->video_stream_count > 3) {
            verdict.details << QStringLiteral("refused: %1 video streams in the last item")
                                   .arg(lastClip->video_stream_count);
        } else {
            differ(QStringLiteral("code"), QString::number(code), QStringLiteral("read"));
        }
        return verdict;
    }

    // The player's figures from libbluray's: each time cut to milliseconds on its own,
    // starts as sums of the cut durations.
    QVector<quint32> startMs(qsizetype(clipCount), 0);
    quint32 total = 0;
    for (quint32 i = 0; i < clipCount; ++i) {
        const BLURAY_CLIP_INFO &clip = info->clips[i];
        startMs[int(i)] = total;
        total += quint32(clip.out_time / TicksPerMs90k) - quint32(clip.in_time / TicksPerMs90k);
    }

    // A playlist that loops one clip is handed out without items and streams.
    const bool looping =
        clipCount > 2 && qstrcmp(info->clips[1].clip_id, info->clips[2].clip_id) == 0;
    if (looping) {
        verdict.details << QStringLiteral("looping: items and streams withheld");
        if (!items.isEmpty() || !audio.isEmpty() || !subtitles.isEmpty())
            differ(QStringLiteral("looping playlist items"), QString::number(items.size()),
                   QStringLiteral("withheld"));
    } else if (quint32(items.size()) != clipCount) {
        differ(QStringLiteral("items"), QString::number(items.size()), QString::number(clipCount));
    } else {
        for (quint32 i = 0; i < clipCount; ++i) {
            const BLURAY_CLIP_INFO &clip = info->clips[i];
            const MplsPlayItem &item = items[int(i)];
            const QString field = QStringLiteral("item %1 ").arg(i);
            // libbluray gives the five-character clip name without the codec identifier.
            const QString clipId = QString::fromLatin1(clip.clip_id);
            if (item.clipName.left(6) != clipId + QLatin1Char('.'))
                differ(field + QStringLiteral("clip"), item.clipName, clipId);
            const quint32 inMs = quint32(clip.in_time / TicksPerMs90k);
            const quint32 outMs = quint32(clip.out_time / TicksPerMs90k);
            if (quint32(item.inTimeMs) != inMs)
                differ(field + QStringLiteral("in"), QString::number(item.inTimeMs),
                       QString::number(inMs));
            if (quint32(item.durationMs) != outMs - inMs)
                differ(field + QStringLiteral("out"),
                       QString::number(quint32(item.inTimeMs) + quint32(item.durationMs)),
                       QString::number(outMs));
            if (quint32(item.startMs) != startMs[int(i)])
                differ(field + QStringLiteral("start"), QString::number(item.startMs),
                       QString::number(startMs[int(i)]));
        }
    }

    // Chapters: libbluray measures a mark from the item's exact start; the player from
    // the sum of the cut durations. The mark's own time stamp is recovered from
    // libbluray's chapter start to apply the player's rule.
    QVector<quint32> expectedMarks;
    for (quint32 i = 0; i < info->chapter_count; ++i) {
        const BLURAY_TITLE_CHAPTER &chapter = info->chapters[i];
        if (chapter.clip_ref >= clipCount) {
            differ(QStringLiteral("chapter %1 item").arg(i), QStringLiteral("-"),
                   QString::number(chapter.clip_ref));
            continue;
        }
        const BLURAY_CLIP_INFO &clip = info->clips[chapter.clip_ref];
        const quint64 markTicks45 = (chapter.start - clip.start_time + clip.in_time) / 2;
        expectedMarks << startMs[int(chapter.clip_ref)] - quint32(clip.in_time / TicksPerMs90k) +
                             quint32(markTicks45 / 45);
    }
    if (marks != expectedMarks) {
        QStringList ours;
        QStringList theirs;
        for (const quint32 mark : marks)
            ours << QString::number(mark);
        for (const quint32 mark : expectedMarks)
            theirs << QString::number(mark);
        differ(QStringLiteral("chapters"), Quoted(ours), Quoted(theirs));
    }

    if (!looping && lastClip) {
        int unnamed = 0;
        const QStringList expectedAudio = ExpectedAudio(*lastClip, &unnamed);
        if (unnamed > 0)
            verdict.details
                << QStringLiteral("%1 audio stream(s) of an unnamed coding left out").arg(unnamed);
        if (Descriptions(audio) != expectedAudio)
            differ(QStringLiteral("audio"), Quoted(Descriptions(audio)), Quoted(expectedAudio));
        const QStringList expectedSubtitles = ExpectedSubtitles(*lastClip);
        if (Descriptions(subtitles) != expectedSubtitles)
            differ(QStringLiteral("subtitles"), Quoted(Descriptions(subtitles)),
                   Quoted(expectedSubtitles));
        // Earlier items may list other streams; the menus follow the last one.
        for (quint32 i = 0; i + 1 < clipCount; ++i) {
            int ignored = 0;
            if (ExpectedAudio(info->clips[i], &ignored) != expectedAudio ||
                ExpectedSubtitles(info->clips[i]) != expectedSubtitles) {
                verdict.details << QStringLiteral("streams differ between items; last item used");
                break;
            }
        }
    }
    return verdict;
}

QStringList PlaylistFiles(const QStringList &arguments, bool *missing)
{
    QStringList files;
    for (const QString &argument : arguments) {
        const QFileInfo info(argument);
        if (info.isDir()) {
            QStringList found;
            QDirIterator it(argument, {QStringLiteral("*.mpls")}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                found << it.next();
            found.sort();
            files << found;
        } else if (info.exists()) {
            files << argument;
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", qPrintable(argument));
            *missing = true;
        }
    }
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs("usage: orvel-mpls-conformance PLAYLIST-FILE-OR-FOLDER...\n", stderr);
        return 2;
    }
    // libbluray complains on stderr about every file a scratch disc lacks.
    bd_set_debug_mask(0);

    bool missing = false;
    const QStringList files = PlaylistFiles(arguments, &missing);
    MplsReader reader;
    int counts[3] = {0, 0, 0};
    static const char *const names[] = {"MATCH", "DIFFER", "SKIP"};
    for (const QString &file : files) {
        const Verdict verdict = Compare(reader, file);
        ++counts[verdict.kind];
        QString line =
            QStringLiteral("%1 %2").arg(QLatin1String(names[verdict.kind]), -6).arg(file);
        if (!verdict.details.isEmpty())
            line += QStringLiteral("  (") + verdict.details.join(QStringLiteral("; ")) +
                    QLatin1Char(')');
        std::printf("%s\n", line.toUtf8().constData());
    }
    std::printf("files %lld: %d match, %d differ, %d skipped\n", qlonglong(files.size()),
                counts[Verdict::Match], counts[Verdict::Differ], counts[Verdict::Skip]);
    if (missing)
        return 2;
    return counts[Verdict::Differ] > 0 ? 1 : 0;
}
