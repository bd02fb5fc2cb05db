// The playback session without any window, against the scripted stand-in engine, which logs
// every argument and command and prints what each test scripts.
#include "FakeEngine.h"
#include "engine/EngineProcess.h"
#include "player/PlaybackSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using State = PlaybackSession::State;

namespace {

// The state letter the kernel gives a process ('R', 'S', 'T' for stopped ...); 0 when it is
// gone.
char ProcessState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The program's name, in parentheses, may hold spaces; the state follows it.
    const qsizetype end = line.lastIndexOf(')');
    return end >= 0 && end + 2 < line.size() ? line[end + 2] : 0;
}

} // namespace

class PlaybackSessionTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void pauseTogglesAndResumeAsksAtOnce();
    void aNewLaunchKillsTheOldEngineAndCarriesNothingOver();
    void choicesAreSentSoTheEngineAgreesWithTheMenus_data();
    void choicesAreSentSoTheEngineAgreesWithTheMenus();
    void theEngineEndingEndsTheSession_data();
    void theEngineEndingEndsTheSession();
    void anEngineEndingWhilePausedIsSeen();
    void aStoppedEngineIsSeenOnlyWhilePlaying();
    void subtitleFilesReachTheEngineAsCheckedCopies();
    void stopEndsAHungEngine();
    void aSourceThatIsNoRegularFileFailsWithoutAnEngine();
    void aSnapshotWhilePausedKeepsThePause();
    void aDiscTitlePlaysByNumberOnItsOwnTimeLine();
    void aStartThatLandsTooLateIsSentBack_data();
    void aStartThatLandsTooLateIsSentBack();

private:
    SessionLaunch FileLaunch(const QString &path) const
    {
        SessionLaunch launch;
        launch.path = path;
        return launch;
    }

    FakeEngine fake;
};

void PlaybackSessionTest::initTestCase()
{
    QVERIFY(FakeEngine::IsBesideTheTest());
}

void PlaybackSessionTest::init()
{
    fake.Begin();
}

void PlaybackSessionTest::pauseTogglesAndResumeAsksAtOnce()
{
    PlaybackSession session;
    session.Start(FileLaunch(fake.MakeFile("pause.mkv")));
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    QTRY_VERIFY(fake.Commands().contains("volume 50 2"));

    session.TogglePause();
    QCOMPARE(session.CurrentState(), State::Paused);
    QVERIFY(!session.IsPolling());
    QTRY_COMPARE(fake.Commands().last(), QStringLiteral("pause"));
    const qint64 held = session.PositionMs();
    // A fixed wait, as nothing may happen in it: the paused clock stands.
    QTest::qWait(300);
    QCOMPARE(session.PositionMs(), held);

    const int sent = int(fake.Commands().size());
    session.TogglePause();
    QCOMPARE(session.CurrentState(), State::Playing);
    QVERIFY(session.IsPolling());
    // A question without the keep-pause prefix ends the engine's pause at once, so the
    // engine does not lag the clock by a poll period.
    QTRY_COMPARE(fake.Commands().value(sent), QStringLiteral("get_time_length"));
}

void PlaybackSessionTest::aNewLaunchKillsTheOldEngineAndCarriesNothingOver()
{
    PlaybackSession session;
    SessionLaunch chapter = FileLaunch(fake.MakeFile("first.mkv"));
    chapter.startSec = 754;
    chapter.audioChoice = 2;
    session.Start(chapter);
    QCOMPARE(session.PositionMs(), 754000);
    QTRY_VERIFY(fake.Commands().size() >= 2);
    QCOMPARE(fake.Commands().mid(0, 2), QStringList({"volume 50 2", "seek 754 2"}));
    QTRY_VERIFY(session.Engine() && session.Engine()->ProcessId() > 0);
    const qint64 firstPid = session.Engine()->ProcessId();

    const QString second = fake.MakeFile("second.mkv");
    QElapsedTimer sinceSecond;
    sinceSecond.start();
    session.Start(FileLaunch(second));
    QTRY_COMPARE(fake.Log().filter("argv ").size(), 2);
    QVERIFY(!fake.Commands().contains("q"));
    QVERIFY(fake.Log().filter("argv ").last().contains(second));
    // The first launch's start and choice belonged to it alone.
    QVERIFY2(session.PositionMs() < 1000 + sinceSecond.elapsed(),
             qPrintable(QString::number(session.PositionMs())));
    QCOMPARE(session.CurrentLaunch().startSec, 0);
    QTRY_VERIFY(!QFile::exists(QStringLiteral("/proc/%1/status").arg(firstPid)));
    QCOMPARE(fake.Commands().filter("seek").size(), 1);
}

void PlaybackSessionTest::choicesAreSentSoTheEngineAgreesWithTheMenus_data()
{
    QTest::addColumn<QString>("streams");
    QTest::addColumn<int>("audioChoice");
    QTest::addColumn<int>("subtitleChoice");
    QTest::addColumn<int>("audioShown");
    QTest::addColumn<int>("subtitleShown");
    QTest::addColumn<QStringList>("commands");

    const QString two = "print [lavf] stream 1: audio (ac3), -aid 0, -alang eng\n"
                        "print [lavf] stream 2: audio (ac3), -aid 1, -alang ger\n"
                        "print [lavf] stream 3: subtitle (srt), -sid 0, -slang eng\n"
                        "print [lavf] stream 4: audio (aac), -aid 2\n";
    // A film may mark its second audio stream or its subtitle as the default: the engine is
    // told what the menus will show, never left to its own default.
    QTest::newRow("nothing chosen")
        << two << -1 << -1 << 1 << 0
        << QStringList{"pausing_keep switch_audio 0", "pausing_keep sub_select -1"};
    QTest::newRow("chosen streams")
        << two << 2 << 1 << 2 << 1
        << QStringList{"pausing_keep switch_audio 1", "pausing_keep sub_file -1",
                       "pausing_keep sub_demux 0"};
    QTest::newRow("a choice the source does not have")
        << two << 5 << 3 << 1 << 0
        << QStringList{"pausing_keep switch_audio 0", "pausing_keep sub_select -1"};
    QTest::newRow("a silent film")
        << QString() << 2 << -1 << 0 << 0 << QStringList{"pausing_keep sub_select -1"};
    // The engine shows a subtitle file it finds beside the film by itself; the menu says so,
    // and a later file the user loads is shown instead.
    QTest::newRow("a subtitle file beside the film")
        << two + "print VIDEO:  [H264]  320x240  24bpp\n"
                 "print SUB: Added subtitle file (1): /films/film.srt\n"
        << -1 << -1 << 1 << 2
        << QStringList{"pausing_keep switch_audio 0", "pausing_keep sub_select -1",
                       "pausing_keep sub_file 0"};
}

void PlaybackSessionTest::choicesAreSentSoTheEngineAgreesWithTheMenus()
{
    QFETCH(QString, streams);
    QFETCH(int, audioChoice);
    QFETCH(int, subtitleChoice);
    QFETCH(int, audioShown);
    QFETCH(int, subtitleShown);
    QFETCH(QStringList, commands);
    fake.UseScript("print Playing x.\n" + streams +
                   (streams.contains("VIDEO:") ? "" : "print VIDEO:  [H264]  320x240  24bpp\n"));
    PlaybackSession session;
    QSignalSpy known(&session, &PlaybackSession::streamsChanged);
    SessionLaunch launch = FileLaunch(fake.MakeFile("streams.mkv"));
    launch.audioChoice = audioChoice;
    launch.subtitleChoice = subtitleChoice;
    session.Start(launch);
    QTRY_VERIFY(known.size() >= 1);
    QTRY_COMPARE(session.AudioChoice(), audioShown);
    QTRY_COMPARE(session.SubtitleChoice(), subtitleShown);
    QTRY_VERIFY(fake.Commands().contains(commands.last()));
    QStringList sent =
        fake.Commands().filter(QRegularExpression("switch_audio|sub_demux|sub_select|sub_file"));
    QCOMPARE(sent, commands);
}

void PlaybackSessionTest::theEngineEndingEndsTheSession_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("failure");
    const int file = int(SourceKind::MediaFile);
    const int bluRay = int(SourceKind::BluRay);
    const int ended = int(State::Ended);
    const int failed = int(State::Failed);
    using F = PlaybackSession::Failure;
    const QString started = "print Playing x.\nprint VIDEO:  [H264]\n"
                            "print VO: [xv] 320x240 => 320x240 Planar YV12\n"
                            "wait-for volume 50 2\n";
    QTest::newRow("end of file") << started + "print Exiting... (End of file)\n"
                                 << file << ended << int(F::None);
    // A named pipe called like the film's subtitle file would block the engine before its
    // first frame; it never reaches the engine, and the film plays to its end.
    QTest::newRow("a pipe beside the film")
        << "pipe beside\n" + started + "print Exiting... (End of file)\n"
        << file << ended << int(F::None);
    // Only the end of the source is an end; a dead engine is a failure worth coming back from.
    QTest::newRow("killed by a signal") << started + "crash\n" << file << failed << int(F::Crashed);
    QTest::newRow("caught a fatal signal") << started + "signal-crash\n"
                                           << file << failed << int(F::Crashed);
    QTest::newRow("error exit after playing a while")
        << started + "position-runs 0\nsleep 0.6\nexit 1\n"
        << file << failed << int(F::Crashed);
    QTest::newRow("crash before the first frame")
        << "print Playing x.\nwait-for volume 50 2\nsignal-crash\n"
        << file << failed << int(F::Crashed);
    // Not media, empty: the engine gives up before it plays anything.
    QTest::newRow("nothing played")
        << "print Playing x.\nwait-for volume 50 2\nprint Exiting... (End of file)\n"
        << file << failed << int(F::Unplayable);
    // Truncated after the header: the video stream is announced, no frame ever drawn.
    QTest::newRow("no frame") << "print Playing x.\nprint VIDEO:  [H264]\nprint Starting "
                                 "playback...\nwait-for volume 50 2\n"
                                 "print Exiting... (End of file)\n"
                              << file << failed << int(F::Unplayable);
    QTest::newRow("error exit before playing") << "wait-for volume 50 2\nexit 1\n"
                                               << file << failed << int(F::Unplayable);
    // Stuck in the middle: no more answers.
    QTest::newRow("hang while playing") << started + "sleep 0.3\nhang\n"
                                        << file << failed << int(F::Hung);
    // Stuck opening a disc whose stream file is a pipe: it never starts and never answers.
    QTest::newRow("hang opening a disc") << "print Playing br://1.\nhang\n"
                                         << bluRay << failed << int(F::Hung);
}

void PlaybackSessionTest::theEngineEndingEndsTheSession()
{
    QFETCH(QString, script);
    QFETCH(int, kind);
    QFETCH(int, expected);
    QFETCH(int, failure);
    const QString pipe = fake.FilePath("end.srt");
    QFile::remove(pipe);
    if (script.startsWith("pipe beside\n")) {
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        script.remove(0, 12);
    }
    fake.UseScript(script);
    PlaybackSession session;
    session.SetDeadlines(2000, 3000);
    SessionLaunch launch = FileLaunch(fake.MakeFile("end.mkv"));
    if (kind == int(SourceKind::BluRay)) {
        launch.kind = SourceKind::BluRay;
        launch.path = fake.Folder();
    }
    session.Start(launch);
    QTRY_VERIFY(session.Engine() && session.Engine()->ProcessId() > 0);
    const qint64 pid = session.Engine()->ProcessId();
    QTRY_COMPARE_WITH_TIMEOUT(int(session.CurrentState()), expected, 30000);
    QVERIFY(!session.IsPolling());
    QCOMPARE(int(session.LastFailure()), failure);
    QCOMPARE(session.EndedUnexpectedly(), failure == int(PlaybackSession::Failure::Crashed) ||
                                              failure == int(PlaybackSession::Failure::Hung));
    QTRY_VERIFY(!session.Engine());
    // Nothing is left behind, a stopped engine neither.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/%1/status").arg(pid)), 30000);
    // The engine looks for no subtitle file by itself.
    const QString argv = fake.Log().filter("argv ").value(0);
    QVERIFY2(argv.contains("\"-noautosub\"") && !argv.contains("end.srt"), qPrintable(argv));
    QFile::remove(pipe);
}

void PlaybackSessionTest::aStoppedEngineIsSeenOnlyWhilePlaying()
{
    // A SIGSTOP from outside, as a user or a debugger would: seen after the deadline, but a
    // pause of the session itself (no questions asked) is no hang.
    PlaybackSession session;
    session.SetDeadlines(1500, 3000);
    session.Start(FileLaunch(fake.MakeFile("stopped.mkv")));
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    session.Pause();
    // A fixed wait, as nothing may happen in it: a pause longer than the deadline is no hang.
    QTest::qWait(2500);
    QCOMPARE(session.CurrentState(), State::Paused);
    session.Resume();
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    const qint64 pid = session.Engine()->ProcessId();
    ::kill(pid_t(pid), SIGSTOP);
    QElapsedTimer since;
    since.start();
    QTRY_COMPARE_WITH_TIMEOUT(session.CurrentState(), State::Failed, 30000);
    QVERIFY2(since.elapsed() >= 1000, qPrintable(QString::number(since.elapsed())));
    QCOMPARE(session.LastFailure(), PlaybackSession::Failure::Hung);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/%1/status").arg(pid)), 30000);
}

void PlaybackSessionTest::anEngineEndingWhilePausedIsSeen()
{
    fake.UseScript(
        "print Playing x.\nprint VIDEO:  [H264]\n"
        "print VO: [xv] 320x240 => 320x240 Planar YV12\nwait-for pause\nsleep 0.3\ncrash\n");
    PlaybackSession session;
    session.Start(FileLaunch(fake.MakeFile("paused.mkv")));
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    session.Pause();
    QTRY_COMPARE(session.CurrentState(), State::Failed);
    QCOMPARE(session.LastFailure(), PlaybackSession::Failure::Crashed);
    // Play now starts again at once instead of resuming an engine that is gone.
    QVERIFY(!session.IsActive());
}

void PlaybackSessionTest::stopEndsAHungEngine()
{
    PlaybackSession session;
    session.Start(FileLaunch(fake.MakeFile("hung.mkv")));
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    const qint64 pid = session.Engine()->ProcessId();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(pid_t(pid), SIGSTOP), 0);
    // The signal only marks the stop as pending: on a busy machine the engine may not have
    // been scheduled yet, and would still read the "q". It hangs once the kernel says so.
    QTRY_COMPARE(ProcessState(pid), 'T');
    QElapsedTimer since;
    since.start();
    session.Stop();
    QCOMPARE(session.CurrentState(), State::Stopped);
    QVERIFY(!session.Engine());
    const QString status = QStringLiteral("/proc/%1/status").arg(pid);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(status), 30000);
    // Ended by the deadline, not before: the engine had its chance to quit.
    QVERIFY2(since.elapsed() >= PlaybackSession::QuitDeadlineMs - 100,
             qPrintable(QString::number(since.elapsed())));
}

void PlaybackSessionTest::aSourceThatIsNoRegularFileFailsWithoutAnEngine()
{
    const QString pipe = fake.FilePath("pipe.mkv");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &path : {pipe, fake.Folder(), fake.FilePath("gone.mkv")}) {
        PlaybackSession session;
        QSignalSpy states(&session, &PlaybackSession::stateChanged);
        session.Start(FileLaunch(path));
        QTRY_COMPARE(session.CurrentState(), State::Failed);
        QCOMPARE(session.LastFailure(), PlaybackSession::Failure::Unplayable);
        QVERIFY(!session.Engine());
    }
    QVERIFY(fake.Log().filter("argv ").isEmpty());
}

void PlaybackSessionTest::aSnapshotWhilePausedKeepsThePause()
{
    PlaybackSession session;
    session.Start(FileLaunch(fake.MakeFile("shot.mkv")));
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    session.TakeSnapshot();
    QTRY_VERIFY(fake.Commands().contains("screenshot 0"));
    session.Pause();
    session.TakeSnapshot();
    QTRY_VERIFY(fake.Commands().contains("frame_step"));
    const QStringList sent = fake.Commands();
    QCOMPARE(sent.mid(sent.indexOf("pause") + 1),
             QStringList({"pausing_keep_force screenshot 0", "frame_step"}));
    QCOMPARE(session.CurrentState(), State::Paused);
}

void PlaybackSessionTest::aDiscTitlePlaysByNumberOnItsOwnTimeLine()
{
    // The engine's own time restarts with each clip of a title; the title's time does not.
    fake.UseScript("print Playing br://3.\nprint VIDEO:  [H264]\n");
    PlaybackSession session;
    SessionLaunch launch;
    launch.kind = SourceKind::BluRay;
    launch.path = fake.Folder();
    launch.titleKey = fake.FilePath("BDMV/PLAYLIST/00002.mpls");
    launch.engineTitle = 3;
    launch.durationSec = 55;
    launch.startSec = 45;
    session.SetExtraArguments({"-cache", "8192"});
    session.Start(launch);
    QSignalSpy answered(&session, &PlaybackSession::positionAnswered);
    QCOMPARE(session.PositionMs(), 45000);
    QTRY_VERIFY(fake.Commands().contains("get_property stream_time_pos"));
    QVERIFY(!fake.Commands().contains("get_time_pos"));
    const QString argv = fake.Log().filter("argv ").first();
    // Options never come between the device option and the disc.
    QVERIFY2(
        argv.endsWith(QStringLiteral("\"br://3\", \"-bluray-device\", \"%1\"]").arg(fake.Folder())),
        qPrintable(argv));
    QVERIFY(argv.contains("\"-cache\", \"8192\""));
    QCOMPARE(fake.Commands().mid(0, 2), QStringList({"volume 50 2", "seek 45 2"}));
    // The clip's length is no answer for the title. The length is asked before the position,
    // and answered in that order.
    QTRY_VERIFY_WITH_TIMEOUT(!answered.isEmpty(), 30000);
    QCOMPARE(session.DurationSec(), 55);
}

void PlaybackSessionTest::aStartThatLandsTooLateIsSentBack_data()
{
    QTest::addColumn<QString>("landed");
    QTest::addColumn<int>("latestStartSec");
    QTest::addColumn<QStringList>("seeks");
    // Asked for 122 s: the engine took the key frame after it.
    QTest::newRow("past the limit") << "130.7" << 127 << QStringList{"seek 122 2", "seek -7 0"};
    QTest::newRow("within the limit") << "123.0" << 127 << QStringList{"seek 122 2"};
    QTest::newRow("no limit") << "130.7" << 0 << QStringList{"seek 122 2"};
}

void PlaybackSessionTest::aStartThatLandsTooLateIsSentBack()
{
    QFETCH(QString, landed);
    QFETCH(int, latestStartSec);
    QFETCH(QStringList, seeks);
    fake.UseScript("position " + landed + "\nprint Playing x.\nprint VIDEO:  [H264]\n");
    PlaybackSession session;
    SessionLaunch launch = FileLaunch(fake.MakeFile("late.mkv"));
    launch.startSec = 122;
    launch.latestStartSec = latestStartSec;
    session.Start(launch);
    QSignalSpy answered(&session, &PlaybackSession::positionAnswered);
    QTRY_VERIFY(answered.size() >= 2);
    QCOMPARE(fake.Commands().filter(QRegularExpression("^seek ")), seeks);
    if (seeks.size() > 1) {
        // The clock follows the engine back, and no further seek goes out.
        QVERIFY2(answered.first().first().toLongLong() <= 127000,
                 qPrintable(answered.first().first().toString()));
    }
}

void PlaybackSessionTest::subtitleFilesReachTheEngineAsCheckedCopies()
{
    // Beside the film a Latin-1 file; the resume store names a pipe (swapped in since).
    const QString film = fake.MakeFile("copies.mkv");
    const QString beside = fake.FilePath("copies.srt");
    {
        QFile file(beside);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("1\n00:00:01,000 --> 00:00:04,000\nD\u00e9j\u00e0 vu, "
                                  "na\u00efve Tr\u00e4ume, gar\u00e7on.\n")
                       .toLatin1());
    }
    const QString pipe = fake.FilePath("remembered.srt");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    fake.UseScript("print Playing x.\nsubtitle-files\nprint VIDEO:  [H264]  320x240  24bpp\n");
    PlaybackSession session;
    SessionLaunch launch = FileLaunch(film);
    launch.subtitleFile = pipe;
    session.Start(launch);
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    QTRY_COMPARE(session.Streams().SubtitleFiles(), QStringList{beside});
    QCOMPARE(session.SubtitleChoice(), 1);

    const QJsonArray argv =
        QJsonDocument::fromJson(fake.Log().filter("argv ").value(0).mid(5).toUtf8()).array();
    const QStringList arguments = QVariant(argv.toVariantList()).toStringList();
    QVERIFY(arguments.contains("-noautosub"));
    QCOMPARE(arguments.value(arguments.indexOf("-subcp") + 1), QStringLiteral("utf-8"));
    // One copy, the pipe left out; the engine reads UTF-8 from it.
    const QString copy = arguments.value(arguments.indexOf("-sub") + 1);
    QVERIFY2(!copy.contains(',') && copy != beside, qPrintable(copy));
    QFile copied(copy);
    QVERIFY(copied.open(QIODevice::ReadOnly));
    QVERIFY(
        QString::fromUtf8(copied.readAll()).contains(QStringLiteral("Tr\u00e4ume, gar\u00e7on")));

    // File > Load Subtitle takes the same road.
    SubtitleFileCheck::Verdict verdict = SubtitleFileCheck::Verdict::Fine;
    QVERIFY(!session.LoadSubtitle(pipe, &verdict));
    QCOMPARE(verdict, SubtitleFileCheck::Verdict::NotAFile);
    QVERIFY(session.LoadSubtitle(beside, &verdict));
    QTRY_VERIFY(!fake.Commands().filter("sub_load ").isEmpty());
    QVERIFY(!fake.Commands().filter("sub_load ").first().contains(beside));
}

QTEST_GUILESS_MAIN(PlaybackSessionTest)
#include "tst_playback_session.moc"
