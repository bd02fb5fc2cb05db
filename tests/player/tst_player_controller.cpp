// The player controller without any window, against the scripted stand-in engine: the rules
// every road shares (where a launch starts, when the place is kept, what opens as a disc).
#include "BluRayFolderBuilder.h"
#include "FakeEngine.h"
#include "PlayerControllerTestAccess.h"
#include "engine/EngineProcess.h"
#include "player/DiscLocation.h"
#include "player/PlayerController.h"
#include "player/ResumeStore.h"

#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

using State = PlaybackSession::State;
Q_DECLARE_METATYPE(PlayerRequest)
Q_DECLARE_METATYPE(SourceCheck::Verdict)

class PlayerControllerTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void aChapterStartsWhereTheChapterStarts_data();
    void aChapterStartsWhereTheChapterStarts();
    void everyWayOutKeepsThePlaceOfTheMoment_data();
    void everyWayOutKeepsThePlaceOfTheMoment();
    void oneCheckSaysWhatOpensAsADisc_data();
    void oneCheckSaysWhatOpensAsADisc();
    void muteReturnsToTheLevelBefore();
    void aTitleStartsInThePreferredLanguages_data();
    void aTitleStartsInThePreferredLanguages();
    void whatCannotPlayFromOutsideLeavesWhatPlays_data();
    void whatCannotPlayFromOutsideLeavesWhatPlays();

private:
    // A Blu-ray folder with one 600 s title and chapters at 0, 120 and 300 s, loaded.
    void LoadDisc(PlayerController &controller);
    // Plays until the engine says the source is at `second`, then leaves by `way`.
    void PlayThenLeave(PlayerController &controller, const PlayerRequest &play, int second,
                       const PlayerRequest &way, bool activeAfter = false);

    FakeEngine fake;
    QString dataFolder;
};

void PlayerControllerTest::initTestCase()
{
    QVERIFY(FakeEngine::IsBesideTheTest());
}

void PlayerControllerTest::init()
{
    fake.Begin();
    dataFolder = fake.FilePath(QStringLiteral("data-%1-%2/")
                                   .arg(QTest::currentTestFunction())
                                   .arg(QString::fromUtf8(QTest::currentDataTag())));
    QVERIFY(QDir().mkpath(dataFolder));
}

void PlayerControllerTest::LoadDisc(PlayerController &controller)
{
    const QString folder = fake.FilePath("disc");
    if (!QFile::exists(folder + "/BDMV/PLAYLIST/00001.mpls")) {
        BluRayFolderBuilder disc;
        disc.AddSyntheticClip("00001", 600);
        disc.AddPlaylist("00001.mpls", {"00001"}, {0, 120000, 300000});
        QString error;
        QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    }
    QSignalSpy changes(&controller, &PlayerController::changed);
    QVERIFY(controller.Handle(Ask::Open{{folder}, Ask::From::DiscDialog}));
    QTRY_VERIFY_WITH_TIMEOUT(ChangesOf(changes, StateChange::Disc) == 1, 20000);
    QVERIFY(controller.State().DiscLoaded());
}

void PlayerControllerTest::PlayThenLeave(PlayerController &controller, const PlayerRequest &play,
                                         int second, const PlayerRequest &way, bool activeAfter)
{
    // A disc title's engine tells the picture's time stamp on its clip's clock, which starts
    // at 1.4 s in the builder's clips.
    fake.UseScript(QStringLiteral("length 600.0\nposition-runs %1\n"
                                  "print Playing x.\nprint VIDEO:  [H264]  320x240\n")
                       .arg(second + 1.4));
    QVERIFY(controller.Handle(play));
    PlaybackSession &session = SessionOf(controller);
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    QTRY_VERIFY2(session.PositionMs() >= second * 1000,
                 qPrintable(QString::number(session.PositionMs())));
    QVERIFY(controller.Handle(way));
    QCOMPARE(session.IsActive(), activeAfter);
}

void PlayerControllerTest::aChapterStartsWhereTheChapterStarts_data()
{
    QTest::addColumn<PlayerRequest>("request");
    QTest::addColumn<int>("startSec");
    QTest::addColumn<bool>("resumed");
    // Left at 300 s: the movie resumes a little before, a chapter starts at its own start,
    // the first one too, whose start 0 is a start like any other.
    QTest::newRow("the movie") << PlayerRequest(Ask::PlayMovie{}) << 295 << true;
    QTest::newRow("chapter 1 at 0 s") << PlayerRequest(Ask::Chapter{0}) << 0 << false;
    QTest::newRow("chapter 2 at 120 s") << PlayerRequest(Ask::Chapter{1}) << 120 << false;
    QTest::newRow("play after stop") << PlayerRequest(Ask::PlayPause{}) << 295 << true;
}

void PlayerControllerTest::aChapterStartsWhereTheChapterStarts()
{
    QFETCH(PlayerRequest, request);
    QFETCH(int, startSec);
    QFETCH(bool, resumed);
    PlayerController controller(dataFolder);
    LoadDisc(controller);
    PlayThenLeave(controller, Ask::PlayMovie{}, 300, Ask::Stop{});

    QSignalSpy changes(&controller, &PlayerController::changed);
    fake.UseScript("print Playing x.\nprint VIDEO:  [H264]  320x240\n");
    QVERIFY(controller.Handle(request));
    const SessionLaunch &launch = SessionOf(controller).CurrentLaunch();
    QCOMPARE(launch.startSec, startSec);
    QCOMPARE(ChangesOf(changes, StateChange::ResumeNotice), resumed ? 1 : 0);
    QCOMPARE(controller.State().resumedAt.has_value(), resumed);
    QTRY_COMPARE(SessionOf(controller).CurrentState(), State::Playing);
    const QStringList seeks = fake.LastEngineCommands().filter(QRegularExpression("^seek "));
    QCOMPARE(seeks,
             startSec > 0 ? QStringList{QStringLiteral("seek %1 2").arg(startSec)} : QStringList());
}

void PlayerControllerTest::everyWayOutKeepsThePlaceOfTheMoment_data()
{
    QTest::addColumn<PlayerRequest>("way");
    QTest::addColumn<bool>("active");
    QTest::newRow("stop") << PlayerRequest(Ask::Stop{}) << false;
    QTest::newRow("navigation") << PlayerRequest(Ask::Navigation{}) << false;
    QTest::newRow("exit") << PlayerRequest(Ask::Quit{}) << false;
    // Another source: the one that played is kept before the next starts.
    QTest::newRow("another file") << PlayerRequest(Ask::Open{{}, Ask::From::Recent}) << true;
}

void PlayerControllerTest::everyWayOutKeepsThePlaceOfTheMoment()
{
    QFETCH(PlayerRequest, way);
    QFETCH(bool, active);
    if (auto *open = std::get_if<Ask::Open>(&way))
        open->paths = {fake.MakeFile("other.mkv")};
    {
        // Well before the first periodic save: only the way out can have kept the place.
        PlayerController controller(dataFolder);
        LoadDisc(controller);
        PlayThenLeave(controller, Ask::PlayMovie{}, 200, way, active);
    }
    ResumeStore store(ResumeStore::FilePathIn(dataFolder));
    store.Load();
    const std::optional<ResumePoint> point = store.Find(
        ResumeKey::ForBluRay(QFileInfo(fake.FilePath("disc")).absoluteFilePath(), "00001.mpls"));
    QVERIFY(point);
    QVERIFY2(point->position >= 200 && point->position < 260,
             qPrintable(QString::number(point->position)));
}

void PlayerControllerTest::oneCheckSaysWhatOpensAsADisc_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make");
    QTest::addColumn<bool>("disc");
    QTest::newRow("folder") << "VIDEO_DISC"
                            << "folder" << true;
    QTest::newRow("image") << "film.iso"
                           << "file" << true;
    QTest::newRow("image, upper case") << "FILM.ISO"
                                       << "file" << true;
    QTest::newRow("media file") << "film.mkv"
                                << "file" << false;
    QTest::newRow("image name on a pipe") << "pipe.iso"
                                          << "fifo" << false;
    QTest::newRow("missing image") << "gone.iso"
                                   << "" << false;
    QTest::newRow("character device") << "/dev/null"
                                      << "" << false;
}

void PlayerControllerTest::oneCheckSaysWhatOpensAsADisc()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(bool, disc);
    const QString path = name.startsWith('/') ? name : fake.FilePath(name);
    if (make == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (make == "file")
        fake.MakeFile(name);
    else if (make == "fifo")
        QVERIFY(QFile::exists(path) || ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    QCOMPARE(IsDiscLocation(path), disc);

    // What the roads open as a disc, the session plays as one, and nothing else.
    PlaybackSession session;
    SessionLaunch launch;
    launch.kind = SourceKind::Dvd;
    launch.path = path;
    session.Start(launch);
    QTRY_VERIFY(session.CurrentState() != State::Starting);
    QCOMPARE(session.CurrentState() == State::Failed, !disc);
    QCOMPARE(fake.Log().filter("argv ").size(), disc ? 1 : 0);
}

void PlayerControllerTest::muteReturnsToTheLevelBefore()
{
    PlayerController controller(dataFolder);
    QSignalSpy shown(&controller, &PlayerController::changed);
    QVERIFY(controller.Handle(Ask::Volume{70}));
    QVERIFY(controller.Handle(Ask::ToggleMute{}));
    QVERIFY(controller.State().muted);
    QCOMPARE(SessionOf(controller).Volume(), 0);
    QVERIFY(controller.Handle(Ask::VolumeStep{5}));
    QVERIFY(!controller.State().muted);
    QVERIFY(controller.Handle(Ask::ToggleMute{}));
    QVERIFY(controller.Handle(Ask::ToggleMute{}));
    // Back to the level before the last mute, not to the one before the first.
    QCOMPARE(SessionOf(controller).Volume(), 5);
    QVERIFY(shown.last().value(0).value<StateChanges>() & StateChange::Volume);
    QCOMPARE(controller.State().volume, 5);
    QVERIFY(!controller.State().muted);
    QVERIFY(controller.Handle(Ask::Volume{150}));
    QCOMPARE(SessionOf(controller).Volume(), 100);
}

void PlayerControllerTest::aTitleStartsInThePreferredLanguages_data()
{
    QTest::addColumn<QString>("audio");
    QTest::addColumn<QString>("subtitle");
    QTest::addColumn<int>("pageAudio"); // chosen on the disc page first; -1: nothing chosen
    QTest::addColumn<int>("audioChoice");
    QTest::addColumn<int>("subtitleChoice");
    // The title: audio English, French, German; subtitles English, French.
    QTest::newRow("nothing preferred: the disc's own") << ""
                                                       << "" << -1 << 1 << 0;
    QTest::newRow("German, French subtitles") << "deu"
                                              << "fra" << -1 << 3 << 2;
    QTest::newRow("no subtitles under audio in their language") << "ger"
                                                                << "de" << -1 << 3 << 0;
    QTest::newRow("no stream in the language") << "jpn"
                                               << "" << -1 << 1 << 0;
    QTest::newRow("the page's choice wins") << "deu"
                                            << "fra" << 1 << 1 << 2;
}

void PlayerControllerTest::aTitleStartsInThePreferredLanguages()
{
    QFETCH(QString, audio);
    QFETCH(QString, subtitle);
    QFETCH(int, pageAudio);
    QFETCH(int, audioChoice);
    QFETCH(int, subtitleChoice);
    const QString folder = fake.FilePath("languages disc");
    if (!QFile::exists(folder + "/BDMV/PLAYLIST/00001.mpls")) {
        BluRayFolderBuilder disc;
        disc.AddSyntheticClip("00001", 600, {"eng", "fra", "deu"}, {"eng", "fra"});
        disc.AddPlaylist("00001.mpls", {"00001"}, {0});
        QString error;
        QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    }
    // The languages come from the user's settings file, as they do in the window.
    const QString settings = fake.FilePath("languages config.ini");
    QFile file(settings);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("[Player]\nAudioLanguage=%1\nSubtitleLanguage=%2\n")
                   .arg(audio, subtitle)
                   .toUtf8());
    file.close();
    PlayerController controller(dataFolder, settings);
    QSignalSpy changes(&controller, &PlayerController::changed);
    QVERIFY(controller.Handle(Ask::Open{{folder}, Ask::From::DiscDialog}));
    QTRY_VERIFY_WITH_TIMEOUT(ChangesOf(changes, StateChange::Disc) == 1, 20000);
    if (pageAudio >= 0)
        QVERIFY(controller.Handle(Ask::DiscAudio{{pageAudio}}));
    // The page shows what the title will start with.
    QCOMPARE(controller.State().currentTitleAudio, audioChoice);
    QCOMPARE(controller.State().currentTitleSubtitle, subtitleChoice);

    fake.UseScript("print Playing x.\n"
                   "print [lavf] stream 1: audio (ac3), -aid 0\n"
                   "print [lavf] stream 2: audio (ac3), -aid 1\n"
                   "print [lavf] stream 3: audio (ac3), -aid 2\n"
                   "print [lavf] stream 4: subtitle (hdmv_pgs_subtitle), -sid 0\n"
                   "print [lavf] stream 5: subtitle (hdmv_pgs_subtitle), -sid 1\n"
                   "print VIDEO:  [H264]  320x240\n");
    QVERIFY(controller.Handle(Ask::PlayMovie{}));
    QCOMPARE(SessionOf(controller).CurrentLaunch().audioChoice, audioChoice);
    QCOMPARE(SessionOf(controller).CurrentLaunch().subtitleChoice, subtitleChoice);
    QTRY_COMPARE(SessionOf(controller).CurrentState(), State::Playing);
    QTRY_VERIFY(fake.LastEngineCommands().contains(
        QStringLiteral("pausing_keep switch_audio %1").arg(audioChoice - 1)));
}

void PlayerControllerTest::whatCannotPlayFromOutsideLeavesWhatPlays_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("make");
    QTest::addColumn<SourceCheck::Verdict>("verdict");
    QTest::newRow("missing") << "gone.mkv"
                             << "" << SourceCheck::Verdict::Missing;
    QTest::newRow("pipe") << "pipe.mkv"
                          << "fifo" << SourceCheck::Verdict::NotMedia;
    QTest::newRow("folder that is no disc") << "photos"
                                            << "folder" << SourceCheck::Verdict::NotADisc;
    QTest::newRow("damaged image") << "damaged.iso"
                                   << "file" << SourceCheck::Verdict::NotADisc;
}

void PlayerControllerTest::whatCannotPlayFromOutsideLeavesWhatPlays()
{
    QFETCH(QString, name);
    QFETCH(QString, make);
    QFETCH(SourceCheck::Verdict, verdict);
    const QString path = fake.FilePath(name);
    if (make == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (make == "file")
        fake.MakeFile(name);
    else if (make == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    PlayerController controller(dataFolder);
    fake.UseScript("print Playing x.\nprint VIDEO:  [H264]  320x240\n");
    const QString film = fake.MakeFile("playing.mkv");
    QVERIFY(controller.Handle(Ask::Open{{film}, Ask::From::Outside}));
    QTRY_COMPARE(SessionOf(controller).CurrentState(), State::Playing);
    const qint64 engine = SessionOf(controller).Engine()->ProcessId();

    QSignalSpy refused(&controller, &PlayerController::refusedFromOutside);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("asked to play it from outside"));
    QVERIFY(!controller.Handle(Ask::Open{{path}, Ask::From::Outside}));
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.first().at(0).toString(), path);
    QCOMPARE(refused.first().at(1).value<SourceCheck::Verdict>(), verdict);
    // Nothing was stopped or started for it.
    QCOMPARE(SessionOf(controller).CurrentState(), State::Playing);
    QCOMPARE(SessionOf(controller).Engine()->ProcessId(), engine);
    QCOMPARE(SessionOf(controller).CurrentLaunch().path, film);
    QCOMPARE(fake.Log().filter("argv ").size(), 1);
    QVERIFY(!controller.State().recentFiles.contains(path));
}

QTEST_GUILESS_MAIN(PlayerControllerTest)
#include "tst_player_controller.moc"
