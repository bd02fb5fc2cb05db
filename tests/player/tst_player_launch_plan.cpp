// What a launch starts with, decided in one place for files, DVD titles and Blu-ray titles,
// and the one look at a path on its way there.
#include "SourceSamples.h"
#include "disc/BluRayScan.h"
#include "player/LaunchPlan.h"
#include "player/SourceCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <optional>

Q_DECLARE_METATYPE(LaunchPlan::Request)
Q_DECLARE_METATYPE(std::optional<ResumePoint>)
Q_DECLARE_METATYPE(SessionLaunch)
Q_DECLARE_METATYPE(SourceCheck::Verdict)
Q_DECLARE_METATYPE(DiscFolderKind)

namespace {

const QString DiscFolder = QStringLiteral("/discs/film");
const QString Movie = DiscFolder + QStringLiteral("/BDMV/PLAYLIST/00800.mpls");
const QString Extra = DiscFolder + QStringLiteral("/BDMV/PLAYLIST/00002.mpls");
const QString Lost = DiscFolder + QStringLiteral("/BDMV/PLAYLIST/00009.mpls");

// A progressive 1080p movie of an hour and an interlaced 1080i extra of half an hour.
BluRayScan Disc()
{
    BluRayScan disc;
    disc.folder = DiscFolder;
    BluRayTitle movie;
    movie.key = Movie;
    movie.engineTitle = 3;
    movie.lengthSeconds = 3600;
    movie.videoFormat = 6;
    BluRayTitle extra;
    extra.key = Extra;
    extra.engineTitle = 1;
    extra.lengthSeconds = 1800;
    extra.videoFormat = 4;
    disc.titles = {movie, extra};
    return disc;
}

LaunchPlan::Request Asked(SourceKind kind, const QString &path, const QString &titleKey = {},
                          int dvdTitle = 0, qint64 startSec = 0, bool whereLeft = true)
{
    LaunchPlan::Request request;
    request.kind = kind;
    request.path = path;
    request.titleKey = titleKey;
    request.dvdTitle = dvdTitle;
    request.startSec = startSec;
    request.whereLeft = whereLeft;
    return request;
}

ResumePoint LeftAt(qint64 position, ResumePoint::Subtitles subtitles = {}, int subtitleIndex = -1,
                   const QString &subtitleFile = {})
{
    ResumePoint point;
    point.position = position;
    point.audio = 1;
    point.subtitles = subtitles;
    point.subtitleIndex = subtitleIndex;
    point.subtitleFile = subtitleFile;
    point.volume = 140; // more than the player allows: a damaged or hand-edited store
    point.audioDelayMs = 300;
    point.subtitleDelayMs = -200;
    return point;
}

// The fields of a launch that a plan decides, for comparing two of them.
SessionLaunch Launch(SourceKind kind, const QString &path, int volume)
{
    SessionLaunch launch;
    launch.kind = kind;
    launch.path = path;
    launch.volume = volume;
    return launch;
}

} // namespace

class LaunchPlanTest : public QObject
{
    Q_OBJECT
private slots:
    void aLaunchIsPlannedFromTheRequestAndWhatIsKnown_data();
    void aLaunchIsPlannedFromTheRequestAndWhatIsKnown();
    void aPathIsLookedAtOnce_data();
    void aPathIsLookedAtOnce();

private:
    QTemporaryDir root;
};

void LaunchPlanTest::aLaunchIsPlannedFromTheRequestAndWhatIsKnown_data()
{
    QTest::addColumn<LaunchPlan::Request>("request");
    QTest::addColumn<QString>("fieldOrder");
    QTest::addColumn<std::optional<ResumePoint>>("point");
    QTest::addColumn<SessionLaunch>("expected");
    QTest::addColumn<qint64>("resumedAt"); // -1: starts afresh

    const QString film = QStringLiteral("/films/film.mkv");
    const QString dvd = QStringLiteral("/discs/dvd");
    const std::optional<ResumePoint> none;

    SessionLaunch plain = Launch(SourceKind::MediaFile, film, 40);
    QTest::newRow("a file never played")
        << Asked(SourceKind::MediaFile, film) << QString() << none << plain << qint64(-1);

    SessionLaunch interlaced = plain;
    interlaced.deinterlace = true;
    QTest::newRow("a file the probe found interlaced")
        << Asked(SourceKind::MediaFile, film) << QStringLiteral("top first") << none << interlaced
        << qint64(-1);

    // Where it was left, less the lead-in; the choices it was left with; the level held to
    // what the player allows.
    SessionLaunch resumed = plain;
    resumed.startSec = 595;
    resumed.latestStartSec = 600;
    resumed.audioChoice = 2;
    resumed.subtitleChoice = 3;
    resumed.volume = 100;
    resumed.audioDelayMs = 300;
    resumed.subtitleDelayMs = -200;
    QTest::newRow("a file left at 600 s with its second subtitle stream")
        << Asked(SourceKind::MediaFile, film) << QString()
        << std::optional(LeftAt(600, ResumePoint::Subtitles::Stream, 2)) << resumed << qint64(595);

    SessionLaunch withFile = resumed;
    withFile.subtitleChoice = SessionLaunch::NoChoice;
    withFile.subtitleFile = QStringLiteral("/films/film.de.srt");
    QTest::newRow("a file left with a subtitle file")
        << Asked(SourceKind::MediaFile, film) << QString()
        << std::optional(LeftAt(600, ResumePoint::Subtitles::File, -1, withFile.subtitleFile))
        << withFile << qint64(595);

    SessionLaunch subtitlesOff = resumed;
    subtitlesOff.subtitleChoice = 0;
    QTest::newRow("a file left with subtitles off")
        << Asked(SourceKind::MediaFile, film) << QString()
        << std::optional(LeftAt(600, ResumePoint::Subtitles::Off)) << subtitlesOff << qint64(595);

    // The first seconds are no place to come back to.
    QTest::newRow("a file left in its first seconds")
        << Asked(SourceKind::MediaFile, film) << QString() << std::optional(LeftAt(4)) << plain
        << qint64(-1);

    SessionLaunch dvdTitle = Launch(SourceKind::Dvd, dvd, 40);
    dvdTitle.engineTitle = 4;
    dvdTitle.deinterlace = true;
    QTest::newRow("a DVD title") << Asked(SourceKind::Dvd, dvd, QString(), 4) << QString() << none
                                 << dvdTitle << qint64(-1);

    SessionLaunch dvdResumed = dvdTitle;
    dvdResumed.startSec = 1195;
    dvdResumed.latestStartSec = 1200;
    dvdResumed.audioChoice = 2;
    dvdResumed.volume = 100;
    dvdResumed.audioDelayMs = 300;
    dvdResumed.subtitleDelayMs = -200;
    QTest::newRow("a DVD title left at 1200 s")
        << Asked(SourceKind::Dvd, dvd, QString(), 4) << QString() << std::optional(LeftAt(1200))
        << dvdResumed << qint64(1195);

    // A Blu-ray title takes its number, length and shape from its playlist, the stream
    // choices the disc page holds for it, and its playlist's video format decides the
    // deinterlacing.
    SessionLaunch movie = Launch(SourceKind::BluRay, DiscFolder, 40);
    movie.titleKey = Movie;
    movie.engineTitle = 3;
    movie.durationSec = 3600;
    movie.pictureShape = QSize(16, 9);
    movie.audioChoice = 2;
    movie.subtitleChoice = 1;
    QTest::newRow("the movie") << Asked(SourceKind::BluRay, DiscFolder, Movie) << QString() << none
                               << movie << qint64(-1);

    SessionLaunch extra = movie;
    extra.titleKey = Extra;
    extra.engineTitle = 1;
    extra.durationSec = 1800;
    extra.deinterlace = true;
    QTest::newRow("an interlaced extra")
        << Asked(SourceKind::BluRay, DiscFolder, Extra) << QString() << none << extra << qint64(-1);

    // A chapter starts at its own start, wherever the title was left.
    SessionLaunch chapter = movie;
    chapter.startSec = 1200;
    QTest::newRow("a chapter of a movie left elsewhere")
        << Asked(SourceKind::BluRay, DiscFolder, Movie, 0, 1200, false) << QString()
        << std::optional(LeftAt(2400)) << chapter << qint64(-1);

    SessionLaunch movieResumed = movie;
    movieResumed.startSec = 2395;
    movieResumed.latestStartSec = 2400;
    movieResumed.volume = 100;
    movieResumed.audioDelayMs = 300;
    movieResumed.subtitleDelayMs = -200;
    QTest::newRow("the movie left at 2400 s")
        << Asked(SourceKind::BluRay, DiscFolder, Movie) << QString() << std::optional(LeftAt(2400))
        << movieResumed << qint64(2395);

    // A place beyond the title's end belongs to another cut of it.
    QTest::newRow("the movie left beyond its end")
        << Asked(SourceKind::BluRay, DiscFolder, Movie) << QString() << std::optional(LeftAt(4000))
        << movie << qint64(-1);

    SessionLaunch lost = Launch(SourceKind::BluRay, DiscFolder, 40);
    lost.titleKey = Lost;
    lost.audioChoice = 2;
    lost.subtitleChoice = 1;
    QTest::newRow("a title the disc does not have")
        << Asked(SourceKind::BluRay, DiscFolder, Lost) << QString() << none << lost << qint64(-1);
}

void LaunchPlanTest::aLaunchIsPlannedFromTheRequestAndWhatIsKnown()
{
    QFETCH(LaunchPlan::Request, request);
    QFETCH(QString, fieldOrder);
    QFETCH(std::optional<ResumePoint>, point);
    QFETCH(SessionLaunch, expected);
    QFETCH(qint64, resumedAt);

    const BluRayScan disc = Disc();
    LaunchPlan::Known known;
    known.volume = 40;
    known.disc = &disc;
    known.audioChoice = 2;
    known.subtitleChoice = 1;
    known.fieldOrder = fieldOrder;
    QList<SessionLaunch> asked;
    known.whereLeft = [&](const SessionLaunch &launch) {
        asked << launch;
        return point;
    };
    const LaunchPlan::Result plan = LaunchPlan::Plan(request, known);
    const SessionLaunch &launch = plan.launch;

    // The place is looked up by the source and title that will play, and only when the
    // launch may start where it was left.
    QCOMPARE(asked.size(), request.whereLeft ? 1 : 0);
    for (const SessionLaunch &source : asked) {
        QCOMPARE(source.kind, expected.kind);
        QCOMPARE(source.path, expected.path);
        QCOMPARE(source.titleKey, expected.titleKey);
        QCOMPARE(source.engineTitle, expected.engineTitle);
        QCOMPARE(source.durationSec, expected.durationSec);
    }
    QCOMPARE(launch.kind, expected.kind);
    QCOMPARE(launch.path, expected.path);
    QCOMPARE(launch.titleKey, expected.titleKey);
    QCOMPARE(launch.engineTitle, expected.engineTitle);
    QCOMPARE(launch.durationSec, expected.durationSec);
    QCOMPARE(launch.pictureShape, expected.pictureShape);
    QCOMPARE(launch.startSec, expected.startSec);
    QCOMPARE(launch.latestStartSec, expected.latestStartSec);
    QCOMPARE(launch.audioChoice, expected.audioChoice);
    QCOMPARE(launch.subtitleChoice, expected.subtitleChoice);
    QCOMPARE(launch.subtitleFile, expected.subtitleFile);
    QCOMPARE(launch.volume, expected.volume);
    QCOMPARE(launch.audioDelayMs, expected.audioDelayMs);
    QCOMPARE(launch.subtitleDelayMs, expected.subtitleDelayMs);
    QCOMPARE(launch.deinterlace, expected.deinterlace);
    QCOMPARE(plan.resumedAt.value_or(-1), resumedAt);
}

void LaunchPlanTest::aPathIsLookedAtOnce_data()
{
    QVERIFY(root.isValid());
    const QString made = MakeSourceSamples(root.path(), "damaged.ISO", "pipe.iso");
    QVERIFY2(made.isEmpty(), qPrintable(made));

    QTest::addColumn<QString>("path");
    QTest::addColumn<SourceCheck::Verdict>("verdict");
    QTest::addColumn<bool>("discLocation");
    QTest::addColumn<DiscFolderKind>("disc");
    using V = SourceCheck::Verdict;
    QTest::newRow("a Blu-ray folder")
        << root.filePath("Blu-ray") << V::Disc << true << DiscFolderKind::BluRay;
    QTest::newRow("a film") << root.filePath("film.mkv") << V::MediaFile << false
                            << DiscFolderKind::None;
    // Named like an image, whatever the case of its name, it opens as a disc, and is none.
    QTest::newRow("a damaged image")
        << root.filePath("damaged.ISO") << V::NotADisc << true << DiscFolderKind::None;
    QTest::newRow("a folder of photos")
        << root.filePath("holiday photos") << V::NotADisc << true << DiscFolderKind::None;
    // A pipe named like an image is no regular file: neither a disc nor anything to play.
    QTest::newRow("a pipe named like an image")
        << root.filePath("pipe.iso") << V::NotMedia << false << DiscFolderKind::None;
    QTest::newRow("nothing") << root.filePath("gone.mkv") << V::Missing << false
                             << DiscFolderKind::None;
}

void LaunchPlanTest::aPathIsLookedAtOnce()
{
    QFETCH(QString, path);
    QFETCH(SourceCheck::Verdict, verdict);
    QFETCH(bool, discLocation);
    QFETCH(DiscFolderKind, disc);
    const SourceCheck::Look look = SourceCheck::Examine(path);
    QCOMPARE(look.verdict, verdict);
    QCOMPARE(look.discLocation, discLocation);
    QCOMPARE(look.disc, disc);
    // The verdict from outside is the same look's.
    QCOMPARE(SourceCheck::Check(path), verdict);
}

QTEST_GUILESS_MAIN(LaunchPlanTest)
#include "tst_player_launch_plan.moc"
