// Blu-ray discs shaped as shop discs are, in the window on the real engine under X: titles
// of two clips whose streams carry B-frames, as every film on a shop disc does, and decoy
// playlists around the film.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "disc/BluRayScan.h"
#include "engine/EngineProcess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class ShopDiscsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void twoClipTitlesEndOnTime_data();
    void twoClipTitlesEndOnTime();
    void playMoviePlaysTheFilmAmongDecoys();

private:
    QTemporaryDir dir;
};

void ShopDiscsTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("the engine draws into an X11 window: run under X (the test command starts Xvfb)");
    }
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

void ShopDiscsTest::twoClipTitlesEndOnTime_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("10 s + 4 s") << 10 << 4;
    QTest::newRow("4 s + 9 s") << 4 << 9;
}

void ShopDiscsTest::twoClipTitlesEndOnTime()
{
    QFETCH(int, first);
    QFETCH(int, second);
    BluRayFolderBuilder disc;
    disc.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    disc.AddClip("00001", first);
    disc.AddClip("00002", second);
    disc.AddPlaylist("00001.mpls", {"00001", "00002"}, {0, first * 1000});
    const QString folder = dir.filePath(QStringLiteral("two clips %1+%2").arg(first).arg(second));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    // The clips are what the test is about: H.264 with B-frames.
    QProcess probe;
    probe.start("ffprobe",
                {"-v", "error", "-select_streams", "v", "-show_entries", "stream=has_b_frames",
                 "-of", "csv=p=0", folder + "/BDMV/STREAM/00001.m2ts"});
    QVERIFY(probe.waitForFinished(30000));
    const QByteArray reorder = probe.readAllStandardOutput().trimmed().split('\n').value(0);
    QVERIFY2(reorder.toInt() > 0, reorder.constData());

    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 10000);

    // From the engine's first picture on, the title takes as long as it has left: the
    // session ends with it, not seconds after its last picture.
    QElapsedTimer sincePlaying;
    qint64 highest = 0;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        if (!ui.Session().IsActive()) {
            return;
        }
        highest = qMax(highest, ui.ClockMs());
        if (!sincePlaying.isValid() &&
            ui.Session().CurrentState() == PlaybackSession::State::Playing) {
            sincePlaying.start();
        }
    });
    sampler.start(20);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!ui.Session().IsActive(), (first + second) * 1000 + 30000);
    QVERIFY(sincePlaying.isValid());
    const qint64 restMs = sincePlaying.elapsed();
    const qint64 expectedMs = (first + second) * 1000;
    QCOMPARE(ui.Session().LastFailure(), PlaybackSession::Failure::None);
    QVERIFY2(qAbs(restMs - expectedMs) <= 1000,
             qPrintable(QStringLiteral("ended %1 ms after the first picture; the title had "
                                       "%2 ms left")
                            .arg(restMs)
                            .arg(expectedMs)));
    // The clock reached the second clip and the title's end.
    QVERIFY2(highest >= (first + second - 1) * 1000, qPrintable(QString::number(highest)));
}

// Decoys as some studios put them on discs: playlists as long as the film over a clip with
// fewer streams, listed around it, and one that loops a clip and is longer than the film.
// Play Movie plays the film, the title libbluray names the main one.
void ShopDiscsTest::playMoviePlaysTheFilmAmongDecoys()
{
    BluRayFolderBuilder disc;
    disc.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    disc.AddClip("00001", 6, {"eng", "fra"}, {});
    disc.AddClip("00002", 6, {"eng"}, {});
    disc.AddPlaylist("00001.mpls", {"00002"});
    disc.AddPlaylist("00002.mpls", {"00001"}, {0, 3000});
    disc.AddPlaylist("00003.mpls", {"00002"}, {0, 2000, 4000});
    disc.AddLoop("00004.mpls", "00002", 3);
    const QString folder = dir.filePath("decoys");
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    const BluRayScan scan = ScanBluRayFolder(folder);
    const BluRayTitle *film = nullptr;
    for (const BluRayTitle &title : scan.titles) {
        if (title.playlistName == "00002.mpls")
            film = &title;
    }
    QVERIFY(film && film->HasEngineTitle());

    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 10000);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    const QString arguments = ui.Engine()->Arguments().join(' ');
    QVERIFY2(arguments.contains(QStringLiteral("br://%1 -bluray-device").arg(film->engineTitle)),
             qPrintable(arguments));
    // The engine plays the film's clip: "Disable" and two audio streams, where every decoy
    // has one.
    QTRY_COMPARE_WITH_TIMEOUT(ui.AudioTracks()->actions().size(), 3, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 15000);
    QCOMPARE(ui.CurrentTitleKey(), film->key);
    window.StopBtn();
}

QTEST_MAIN(ShopDiscsTest)
#include "tst_shop_discs.moc"
