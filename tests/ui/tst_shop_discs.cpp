// Blu-ray discs shaped as shop discs are, in the window on the real engine under X: titles
// of two clips whose streams carry B-frames, as every film on a shop disc does, decoy
// playlists around the film, and graphics subtitles on a full-HD picture.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "PositionAnswers.h"
#include "WindowFixture.h"
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
    void graphicsSubtitlesShowAsChosen();

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

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 30000);

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
    PositionAnswers titleTime(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!ui.Session().IsActive(), (first + second) * 1000 + 60000);
    const qint64 endedAtMs = titleTime.NowMs();
    QVERIFY(sincePlaying.isValid());
    const qint64 restMs = sincePlaying.elapsed();
    const qint64 expectedMs = (first + second) * 1000;
    QCOMPARE(ui.Session().LastFailure(), PlaybackSession::Failure::None);
    // Not before the title had played out, and not later after the engine's last answer
    // than the title had left then, give or take how far apart its answers came in this run.
    QVERIFY(!titleTime.answers.isEmpty());
    const qint64 lateMs = titleTime.LateEndMs(first + second, endedAtMs);
    QVERIFY2(restMs >= expectedMs - 1000 && lateMs <= titleTime.WidestGapMs() + 1000,
             qPrintable(QStringLiteral("ended %1 ms after the first picture, %2 ms late; the "
                                       "title had %3 ms left")
                            .arg(restMs)
                            .arg(lateMs)
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

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 30000);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    const QString arguments = ui.Engine()->Arguments().join(' ');
    QVERIFY2(arguments.contains(QStringLiteral("br://%1 -bluray-device").arg(film->engineTitle)),
             qPrintable(arguments));
    // The engine plays the film's clip: "Disable" and two audio streams, where every decoy
    // has one.
    QTRY_COMPARE_WITH_TIMEOUT(ui.AudioTracks()->actions().size(), 3, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QCOMPARE(ui.CurrentTitleKey(), film->key);
    window.StopBtn();
}

// Which of the three columns the disc builder puts its streams' subtitle lines in (left for
// the first stream, middle for the second) shows a white line in a grab of the surface. The
// engine keeps the picture's shape inside its window, centred.
QList<int> ColumnsWithALine(QWidget *surface)
{
    const QImage image = surface->screen()
                             ->grabWindow(surface->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const double pictureWidth = qMin<double>(image.width(), image.height() * 16.0 / 9.0);
    const double pictureHeight = pictureWidth * 9.0 / 16.0;
    const double left = (image.width() - pictureWidth) / 2;
    const double top = (image.height() - pictureHeight) / 2;
    QList<int> columns;
    for (int column = 0; column < 3; ++column) {
        // The line's inner part: its edges are blended with the picture when scaled.
        const double x0 = left + pictureWidth * (1.0 / 16 + column * 5.0 / 16 + 1.0 / 64);
        const double x1 = left + pictureWidth * (1.0 / 16 + column * 5.0 / 16 + 1.0 / 4 - 1.0 / 64);
        const double y0 = top + pictureHeight * (13.0 / 16 + 1.0 / 90);
        const double y1 = top + pictureHeight * (13.0 / 16 + 1.0 / 18 - 1.0 / 90);
        int white = 0;
        int all = 0;
        for (int y = int(y0); y < int(y1); ++y) {
            for (int x = int(x0); x < int(x1); ++x) {
                const QColor pixel(image.pixel(x, y));
                white += pixel.red() >= 0xE0 && pixel.green() >= 0xE0 && pixel.blue() >= 0xE0;
                ++all;
            }
        }
        if (all > 0 && white * 10 >= all * 9)
            columns << column;
    }
    return columns;
}

// Blu-ray subtitles are bitmaps: the disc page's choice, the Video menu's choice and Disable
// each show on the picture what was chosen, and the choice holds over a chapter jump and a
// resumed start. The builder's lines come every two seconds, each stream in its own column.
void ShopDiscsTest::graphicsSubtitlesShowAsChosen()
{
    BluRayFolderBuilder disc;
    disc.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    // Long enough for a place worth resuming: more than a minute from either end. Full HD,
    // as films are: the engine takes a smaller picture for a DVD-sized one and scales the
    // lines to 720x576.
    BluRayFolderBuilder::Clip &film = disc.AddClip("00001", 150, {"eng"}, {"eng", "fra"});
    film.fullHd = true;
    // Time stamps from 600 s on, as many shop discs have them.
    film.timestampOffsetSeconds = 600;
    disc.AddPlaylist("00001.mpls", {"00001"}, {0, 20000, 100000});
    const QString folder = dir.filePath(QStringLiteral("subtitled film"));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));

    // Keys reach the window's shortcuts only when it is active.
    WindowFixture fixture(WindowFixture::Shown::Active, QSize(800, 600));
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 30000);

    // Disable, English, French: French chosen on the disc page.
    QCOMPARE(ui.SubtitleEntry()->menu()->actions().size(), 3);
    emit ui.DiscPageMenu()->triggered(ui.SubtitleEntry()->menu()->actions().at(2));
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    QTRY_COMPARE_WITH_TIMEOUT(ColumnsWithALine(ui.VideoSurface()), QList<int>{1}, 30000);

    // The Video menu's first stream: English.
    QTRY_COMPARE_WITH_TIMEOUT(ui.SubtitleTracks()->actions().size(), 3, 30000);
    emit ui.VideoMenu()->triggered(ui.SubtitleTracks()->actions().at(1));
    QTRY_COMPARE_WITH_TIMEOUT(ColumnsWithALine(ui.VideoSurface()), QList<int>{0}, 30000);

    // Disabled, no line shows while the film plays on over two of them. The engine takes
    // commands in order: two position answers after the choice mean it has taken the choice
    // and drawn frames since.
    int answers = 0;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&answers](const EngineEvent &event) {
        answers += event.kind == EngineEvent::Kind::TitlePositionAnswer ||
                   event.kind == EngineEvent::Kind::PositionAnswer;
    });
    emit ui.VideoMenu()->triggered(ui.SubtitleTracks()->actions().at(0));
    QTRY_VERIFY_WITH_TIMEOUT(answers >= 2, 30000);
    const qint64 disabledAt = ui.ClockMs();
    bool lineSeen = false;
    QTRY_VERIFY_WITH_TIMEOUT((lineSeen = lineSeen || !ColumnsWithALine(ui.VideoSurface()).isEmpty(),
                              ui.ClockMs() >= disabledAt + 4500),
                             30000);
    QVERIFY2(!lineSeen, "a subtitle line showed while subtitles were disabled");

    // English again, then the second chapter: its lines show.
    emit ui.VideoMenu()->triggered(ui.SubtitleTracks()->actions().at(1));
    QTRY_COMPARE_WITH_TIMEOUT(ColumnsWithALine(ui.VideoSurface()), QList<int>{0}, 30000);
    emit ui.DiscPageMenu()->triggered(ui.ChapterEntry()->menu()->actions().at(1));
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 20000, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ColumnsWithALine(ui.VideoSurface()), QList<int>{0}, 30000);

    // A minute on, stopped, and started again: it resumes with English lines.
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                    Qt::Key_Right);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 80000, 30000);
    window.StopBtn();
    QTRY_VERIFY_WITH_TIMEOUT(ui.IsStopped(), 30000);
    ui.ShowPage(Page::Disc);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 70000, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ColumnsWithALine(ui.VideoSurface()), QList<int>{0}, 30000);
    window.StopBtn();
}

QTEST_MAIN(ShopDiscsTest)
#include "tst_shop_discs.moc"
