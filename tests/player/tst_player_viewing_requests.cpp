// The viewing requests through the controller, without a window, against the scripted
// stand-in engine: what each sequence of requests sends the engine and says over the
// picture, and what is refused while nothing plays.
#include "FakeEngine.h"
#include "PlayerControllerTestAccess.h"
#include "player/PlayerController.h"

#include <QtTest>

using State = PlaybackSession::State;
using Requests = QVector<PlayerRequest>;
Q_DECLARE_METATYPE(Requests)

namespace {

using Ask::Milliseconds;

} // namespace

class ViewingRequestsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void requestsReachTheEngineAndTheScreen_data();
    void requestsReachTheEngineAndTheScreen();
    void nothingPlayingRefusesThem();
    void playlistEditsKeepWhatPlays();

private:
    FakeEngine fake;
    QString dataFolder;
};

void ViewingRequestsTest::initTestCase()
{
    QVERIFY(FakeEngine::IsBesideTheTest());
}

void ViewingRequestsTest::init()
{
    fake.Begin();
    dataFolder = fake.FilePath(QStringLiteral("data-%1-%2/")
                                   .arg(QTest::currentTestFunction())
                                   .arg(QString::fromUtf8(QTest::currentDataTag())));
    QVERIFY(QDir().mkpath(dataFolder));
}

void ViewingRequestsTest::requestsReachTheEngineAndTheScreen_data()
{
    QTest::addColumn<Requests>("requests");
    QTest::addColumn<QString>("command"); // the last command of its kind the engine got
    QTest::addColumn<QString>("said");    // the last text over the picture

    QTest::newRow("two speed steps up")
        << Requests{Ask::SpeedStep{1}, Ask::SpeedStep{1}} << "pausing_keep speed_set 1.500"
        << "Speed: 1.5x";
    QTest::newRow("a speed beyond the fastest")
        << Requests{Ask::Speed{4.0}} << "pausing_keep speed_set 2.000"
        << "Speed: 2x";
    QTest::newRow("down and back to normal")
        << Requests{Ask::SpeedStep{-1}, Ask::Speed{NormalSpeed}} << "pausing_keep speed_set 1.000"
        << "Speed: 1x";
    QTest::newRow("sound later three times, earlier once")
        << Requests{Ask::AudioDelayStep{Milliseconds(100)}, Ask::AudioDelayStep{Milliseconds(100)},
                    Ask::AudioDelayStep{Milliseconds(100)}, Ask::AudioDelayStep{Milliseconds(-100)}}
        << "pausing_keep set_property audio_delay 0.200"
        << "Audio delay: 200 ms";
    QTest::newRow("sound delay reset")
        << Requests{Ask::AudioDelayStep{Milliseconds(100)}, Ask::AudioDelay{Milliseconds(0)}}
        << "pausing_keep set_property audio_delay 0.000"
        << "Audio delay: 0 ms";
    QTest::newRow("subtitles earlier") << Requests{Ask::SubtitleDelayStep{Milliseconds(-100)}}
                                       << "pausing_keep set_property sub_delay -0.100"
                                       << "Subtitle delay: -100 ms";
    QTest::newRow("a subtitle delay beyond the bounds")
        << Requests{Ask::SubtitleDelay{Milliseconds(60000)}}
        << "pausing_keep set_property sub_delay 10.000"
        << "Subtitle delay: 10000 ms";
    QTest::newRow("deinterlacing off")
        << Requests{Ask::Deinterlace{false}} << "pausing_keep set_property deinterlace 0"
        << "Deinterlace: off";
    QTest::newRow("16:9") << Requests{Ask::Aspect{AspectChoice::SixteenNine}}
                          << "pausing_keep switch_ratio 1.7778"
                          << "Aspect ratio: 16:9";
    // Auto goes back to the shape the engine first showed, 320 by 240.
    QTest::newRow("2.35:1 and back to auto")
        << Requests{Ask::Aspect{AspectChoice::Scope}, Ask::Aspect{AspectChoice::Auto}}
        << "pausing_keep switch_ratio 1.3333"
        << "Aspect ratio: Auto";
    QTest::newRow("a seek") << Requests{Ask::SeekTo{Ask::Seconds(40)}} << "seek 40 2"
                            << "00:00:40 / 00:10:00";
    // The film has just started: a short step back is held at its start.
    QTest::newRow("a short step back") << Requests{Ask::Step{Ask::Seconds(-10)}} << "seek 0 2"
                                       << "00:00:00 / 00:10:00";
    QTest::newRow("a chapter by name") << Requests{Ask::Chapter{1}} << "seek 120 2"
                                       << "Chapter 2: The Chase";
    QTest::newRow("the volume") << Requests{Ask::VolumeStep{-5}} << "pausing_keep volume 45 100"
                                << "Volume: 45%";
}

void ViewingRequestsTest::requestsReachTheEngineAndTheScreen()
{
    QFETCH(Requests, requests);
    QFETCH(QString, command);
    QFETCH(QString, said);
    fake.UseScript("length 600.0\nposition 30.0\nprint Playing x.\n"
                   "print ID_CHAPTER_0_START=0\nprint ID_CHAPTER_0_NAME=Opening\n"
                   "print ID_CHAPTER_1_START=120000\nprint ID_CHAPTER_1_NAME=The Chase\n"
                   "print VIDEO:  [H264]  320x240\n"
                   "print VO: [x11] 320x240 => 320x240 Planar YV12  [zoom]\n");
    PlayerController controller(dataFolder);
    QVERIFY(controller.Handle(Ask::Open{{fake.MakeFile("film.mkv")}, Ask::From::OpenDialog}));
    PlaybackSession &session = SessionOf(controller);
    QTRY_COMPARE(session.CurrentState(), State::Playing);
    // The length of a file comes from the probe beside the engine; this one is not media.
    session.TakeDuration(600);
    QTRY_VERIFY(session.IsPolling());
    QTRY_COMPARE(session.Streams().Chapters().size(), 2);
    for (const PlayerRequest &request : requests)
        QVERIFY(controller.Handle(request));
    const QString verb = command.section(' ', 0, command.startsWith("pausing_keep") ? 2 : 0);
    QTRY_VERIFY(!fake.Commands().filter(verb).isEmpty());
    QTRY_COMPARE(fake.Commands().filter(verb).last(), command);
    QTRY_VERIFY(!fake.Commands().filter("osd_show_text").isEmpty());
    QCOMPARE(fake.Commands().filter("osd_show_text").last(),
             QStringLiteral("pausing_keep osd_show_text \"%1\" 2000 0").arg(said));
}

void ViewingRequestsTest::nothingPlayingRefusesThem()
{
    PlayerController controller(dataFolder);
    for (const PlayerRequest &request :
         Requests{Ask::Speed{1.5}, Ask::SpeedStep{1}, Ask::AudioDelay{Milliseconds(100)},
                  Ask::SubtitleDelayStep{Milliseconds(100)}, Ask::Deinterlace{true},
                  Ask::Aspect{AspectChoice::FourThree}, Ask::ClearPlaylist{},
                  Ask::RemoveFromPlaylist{{0}}, Ask::MoveInPlaylist{0, 1}})
        QVERIFY(!controller.Handle(request));
    QCOMPARE(SessionOf(controller).Speed(), NormalSpeed);
    QCOMPARE(SessionOf(controller).AudioDelayMs(), 0);
    QVERIFY(fake.Commands().isEmpty());
}

// Editing the playlist never stops what plays, and Next follows the edited order.
void ViewingRequestsTest::playlistEditsKeepWhatPlays()
{
    fake.UseScript(
        "length 600.0\nposition 30.0\nprint Playing x.\nprint VIDEO:  [H264]  320x240\n");
    PlayerController controller(dataFolder);
    const QString a = fake.MakeFile("a.mkv");
    const QString b = fake.MakeFile("b.mkv");
    const QString c = fake.MakeFile("c.mkv");
    QVERIFY(controller.Handle(Ask::Open{{a, b, c}, Ask::From::OpenDialog}));
    QTRY_COMPARE(SessionOf(controller).CurrentState(), State::Playing);
    const auto paths = [&controller] {
        QStringList shown;
        for (const PLAY_LIST_INFO &item : controller.State().playlist)
            shown << QFileInfo(item.path).fileName();
        return shown;
    };
    QVERIFY(controller.Handle(Ask::MoveInPlaylist{2, -2}));
    QCOMPARE(paths(), (QStringList{"c.mkv", "a.mkv", "b.mkv"}));
    QVERIFY(!controller.Handle(Ask::MoveInPlaylist{0, -1})); // already first
    QVERIFY(controller.Handle(Ask::RemoveFromPlaylist{{0}}));
    QCOMPARE(paths(), (QStringList{"a.mkv", "b.mkv"}));
    QCOMPARE(SessionOf(controller).CurrentLaunch().path, a);
    QCOMPARE(SessionOf(controller).CurrentState(), State::Playing);
    QVERIFY(controller.Handle(Ask::Next{}));
    QTRY_COMPARE(SessionOf(controller).CurrentLaunch().path, b);
    QVERIFY(controller.Handle(Ask::ClearPlaylist{}));
    QVERIFY(paths().isEmpty());
    QVERIFY(SessionOf(controller).IsActive());
}

QTEST_GUILESS_MAIN(ViewingRequestsTest)
#include "tst_player_viewing_requests.moc"
