// The transport decisions and the session clock, without a window or an engine.
#include "player/SessionClock.h"
#include "player/TransportRules.h"

#include <QTest>

class PlayerTransportTest : public QObject
{
    Q_OBJECT
private slots:
    void playEntryRestartsAnEndedSession_data();
    void playEntryRestartsAnEndedSession();
    void stepTargets_data();
    void stepTargets();
    void clockFollowsRealTimeAndTheEngine_data();
    void clockFollowsRealTimeAndTheEngine();
};

void PlayerTransportTest::playEntryRestartsAnEndedSession_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("hasSource");
    QTest::addColumn<int>("expected");

    const int file = int(SourceKind::MediaFile), dvd = int(SourceKind::Dvd),
              disc = int(SourceKind::BluRay);
    QTest::newRow("playing pauses")
        << true << true << file << true << int(PlayRequest::PauseSession);
    QTest::newRow("paused resumes")
        << true << false << file << true << int(PlayRequest::ResumeSession);
    // After Stop or the end of the file the entry still said "Pause"; the engine is gone.
    QTest::newRow("ended file plays again")
        << false << true << file << true << int(PlayRequest::ReopenSource);
    QTest::newRow("ended dvd plays again")
        << false << false << dvd << true << int(PlayRequest::ReopenSource);
    QTest::newRow("disc plays its title")
        << false << false << disc << true << int(PlayRequest::PlayBluRayTitle);
    QTest::newRow("nothing opened asks")
        << false << false << file << false << int(PlayRequest::AskForFile);
}

void PlayerTransportTest::playEntryRestartsAnEndedSession()
{
    QFETCH(bool, running);
    QFETCH(bool, playing);
    QFETCH(int, kind);
    QFETCH(bool, hasSource);
    QFETCH(int, expected);
    PlayRequestState state;
    state.sessionRunning = running;
    state.playing = playing;
    state.kind = SourceKind(kind);
    state.hasSource = hasSource;
    QCOMPARE(int(DecidePlayRequest(state)), expected);
}

void PlayerTransportTest::stepTargets_data()
{
    QTest::addColumn<int>("slider");
    QTest::addColumn<qint64>("clockMs");
    QTest::addColumn<qint64>("duration");
    QTest::addColumn<int>("step");
    QTest::addColumn<qint64>("target");

    QTest::newRow("forward inside") << 50 << qint64(50000) << qint64(130) << 60 << qint64(110);
    QTest::newRow("forward past the end")
        << 100 << qint64(100000) << qint64(130) << 60 << qint64(126);
    QTest::newRow("forward within the last 4 s stays")
        << 128 << qint64(128000) << qint64(130) << 60 << qint64(128);
    QTest::newRow("backward below zero") << 30 << qint64(30000) << qint64(130) << -60 << qint64(0);
    // The slider lags the clock by design while the length is known.
    QTest::newRow("known length steps from the slider")
        << 40 << qint64(44000) << qint64(600) << 60 << qint64(100);
    // Unknown length: a failed probe, a DVD before its first answer. The slider's range is
    // 0 .. 0, so the clock is where the step starts, and there is no end to stop at.
    QTest::newRow("unknown length forward") << 0 << qint64(75500) << qint64(0) << 60 << qint64(135);
    QTest::newRow("unknown length backward")
        << 0 << qint64(75500) << qint64(0) << -60 << qint64(15);
}

void PlayerTransportTest::stepTargets()
{
    QFETCH(int, slider);
    QFETCH(qint64, clockMs);
    QFETCH(qint64, duration);
    QFETCH(int, step);
    QFETCH(qint64, target);
    QCOMPARE(StepSeekTarget(StepSeekOrigin(slider, clockMs, duration), step, duration), target);
}

// Each row is a script of steps; "ask" sends a position question, "answer S" the engine's
// answer S seconds; every step happens at its own time in ms. The expected value is the
// shown position at the end.
void PlayerTransportTest::clockFollowsRealTimeAndTheEngine_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<qint64>("shownMs");

    // Two hours of ticks: the old fixed 507 ms per 500 ms tick ended 100 s ahead.
    QTest::newRow("two hours, no drift")
        << QStringList{"0 launch 0", "7200000 end"} << qint64(7200000);
    QTest::newRow("pause holds the position")
        << QStringList{"0 launch 0", "10000 pause", "70000 resume", "75000 end"} << qint64(15000);
    // A transport stream whose time line starts at 1.4 s agrees with the shown one.
    QTest::newRow("stream offset is not a difference")
        << QStringList{"0 launch 0", "500 ask",           "520 answer 1.9",
                       "60000 ask",  "60020 answer 61.4", "60020 end"}
        << qint64(60020);
    // An engine that stalls for 5 s pulls the shown position back to where it is.
    QTest::newRow("stalled engine wins")
        << QStringList{"0 launch 0", "500 ask",          "500 answer 0.5",
                       "10000 ask",  "10000 answer 5.0", "10000 end"}
        << qint64(5000);
    // A question asked before a seek is answered with the old position; it must neither set
    // the offset nor pull the clock back.
    QTest::newRow("answer from before a seek is stale")
        << QStringList{"0 launch 0",     "500 ask",           "600 seek 754000",
                       "610 answer 0.5", "1000 ask",          "1000 answer 754.4",
                       "3000 ask",       "3000 answer 756.4", "3000 end"}
        << qint64(756400);
    // The engine lands on the key frame after a seek's target; that is where it plays, and
    // the launch's offset (none here) still holds.
    QTest::newRow("a seek does not learn a new offset")
        << QStringList{"0 launch 0", "500 ask",           "500 answer 0.5", "30000 seek 90000",
                       "35000 ask",  "35000 answer 97.2", "35000 end"}
        << qint64(97200);
    QTest::newRow("malformed answer changes nothing")
        << QStringList{"0 launch 0", "500 ask",        "500 answer -1",
                       "800 ask",    "800 answer 0.8", "900 end"}
        << qint64(900);
    // A disc title's clock by the picture's time: the picture behind the running clock makes
    // it wait, never step back; the first answer after a seek is where the engine landed,
    // either way, unless it is far from the target (an answer the engine gave before it
    // performed the seek, measured on the real engine right after "seek").
    QTest::newRow("picture: behind the clock, the clock waits")
        << QStringList{"0 picture 0",     "500 ask",  "500 answer 0.5", "4000 ask",
                       "4000 answer 3.4", "4000 end", "4300 end",       "4600 end"}
        << qint64(4000);
    QTest::newRow("picture: and runs on once the picture caught up")
        << QStringList{"0 picture 0", "500 ask",         "500 answer 0.5",
                       "4000 ask",    "4000 answer 3.4", "5000 end"}
        << qint64(4400);
    QTest::newRow("picture: far behind, it follows")
        << QStringList{"0 picture 0", "500 ask",          "500 answer 0.5",
                       "10000 ask",   "10000 answer 2.0", "10000 end"}
        << qint64(2000);
    QTest::newRow("picture: ahead, it follows")
        << QStringList{"0 picture 0", "500 ask",         "500 answer 0.5",
                       "3000 ask",    "3000 answer 3.6", "3000 end"}
        << qint64(3600);
    QTest::newRow("picture: a seek lands on the key frame before the target")
        << QStringList{"0 picture 0", "8000 seek 100000", "8100 ask", "8100 answer 99.48",
                       "8100 end"}
        << qint64(99480);
    QTest::newRow("picture: the engine's answer from before its seek is passed over")
        << QStringList{"0 picture 0", "8000 seek 100000", "8010 ask", "8020 answer 8.05",
                       "8500 ask",    "8500 answer 99.5", "8500 end"}
        << qint64(99500);
    QTest::newRow("picture: a seek far away that the engine never made is given up")
        << QStringList{"0 picture 0", "1000 seek 100000", "1000 ask", "1000 answer 1.0",
                       "1500 ask",    "1500 answer 1.5",  "2000 ask", "2000 answer 2.0",
                       "2500 ask",    "2500 answer 2.5",  "3000 ask", "3000 answer 3.0",
                       "3500 ask",    "3500 answer 3.5",  "4000 ask", "4000 answer 4.0",
                       "4000 end"}
        << qint64(4000);
}

void PlayerTransportTest::clockFollowsRealTimeAndTheEngine()
{
    QFETCH(QStringList, steps);
    QFETCH(qint64, shownMs);
    SessionClock clock;
    for (const QString &step : steps) {
        const QStringList parts = step.split(QLatin1Char(' '));
        const qint64 now = parts[0].toLongLong();
        const QString what = parts[1];
        if (what == QLatin1String("launch")) {
            clock.Launch(parts[2].toLongLong(), now, std::nullopt);
            clock.Resume(now);
        } else if (what == QLatin1String("picture")) {
            clock.Launch(parts[2].toLongLong(), now, 0, 250, true);
            clock.Resume(now);
        } else if (what == QLatin1String("seek")) {
            clock.Seek(parts[2].toLongLong(), now);
        } else if (what == QLatin1String("pause")) {
            clock.Pause(now);
        } else if (what == QLatin1String("resume")) {
            clock.Resume(now);
        } else if (what == QLatin1String("ask")) {
            clock.OnPositionAsked();
        } else if (what == QLatin1String("answer")) {
            clock.OnEnginePosition(parts[2].toDouble(), now);
        } else if (step == steps.last()) {
            QCOMPARE(clock.PositionMs(now), shownMs);
        } else {
            // Every "end" before the last: the shown position may stand but never go back.
            QVERIFY2(clock.PositionMs(now) >= shownMs, qPrintable(step));
        }
    }
}

QTEST_APPLESS_MAIN(PlayerTransportTest)
#include "tst_player_transport.moc"
