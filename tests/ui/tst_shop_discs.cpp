// Blu-ray discs shaped as shop discs are, in the window on the real engine under X: titles
// of two clips whose streams carry B-frames, as every film on a shop disc does, decoy
// playlists around the film, and graphics subtitles on a full-HD picture.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "MediaMaker.h"
#include "PositionAnswers.h"
#include "WindowFixture.h"
#include "disc/BluRayScan.h"
#include "engine/EngineProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

class ShopDiscsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void twoClipTitlesEndOnTime_data();
    void twoClipTitlesEndOnTime();
    void playMoviePlaysTheFilmAmongDecoys();
    void graphicsSubtitlesShowAsChosen();
    void clockFollowsThePictureAndTheFirstAudioSounds();
    void logoThenTrimmedFilmWithALateSubtitle();

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

// The title time burned into the picture as a bar code (MediaMaker::TitleTimeBarCode), read
// from a grab of the surface: the milliseconds of the frame shown, or nothing when the grab
// holds no whole code (no picture yet, or one caught while being drawn).
std::optional<qint64> PictureTitleMs(QWidget *surface)
{
    using Code = MediaMaker::TitleTimeBarCode;
    const QImage image = surface->screen()
                             ->grabWindow(surface->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const double pictureWidth = qMin<double>(image.width(), image.height() * 16.0 / 9.0);
    const double pictureHeight = pictureWidth * 9.0 / 16.0;
    const double left = (image.width() - pictureWidth) / 2;
    const double top = (image.height() - pictureHeight) / 2;
    auto bitAt = [&](int bit, int row) -> int {
        // Three points across the block's middle must agree: a scaled edge is grey.
        int white = 0;
        for (double across : {0.3, 0.5, 0.7}) {
            const int x = int(left + pictureWidth * (bit + across) / Code::Bits);
            const int y = int(top + pictureHeight * Code::RowHeight * (row + 0.5));
            white += qGray(image.pixel(x, y)) >= 128;
        }
        return white == 3 ? 1 : white == 0 ? 0 : -1;
    };
    quint16 frame = 0;
    for (int bit = 0; bit < Code::Bits; ++bit) {
        const int upper = bitAt(bit, 0);
        const int lower = bitAt(bit, 1);
        if (upper < 0 || lower < 0 || upper == lower)
            return std::nullopt;
        frame |= quint16(upper << bit);
    }
    return qint64(qint16(frame)) * 1000 / Code::FramesPerSecond;
}

// How far the clock stands from the picture: each grab is bracketed by two readings of the
// clock, and the picture compared with their middle; the middle of five such readings a
// tenth of a second apart, so that one grab delayed on a busy machine does not decide.
qint64 ClockAheadOfPictureMs(DRUITestAccess &ui)
{
    QVector<qint64> aheads;
    QElapsedTimer waited;
    waited.start();
    while (aheads.size() < 5 && waited.elapsed() < 10000) {
        const qint64 before = ui.ClockMs();
        const std::optional<qint64> picture = PictureTitleMs(ui.VideoSurface());
        const qint64 clock = (before + ui.ClockMs()) / 2;
        if (picture)
            aheads << clock - *picture;
        QTest::qWait(picture ? 100 : 20);
    }
    if (aheads.size() < 5)
        return std::numeric_limits<qint64>::max();
    std::sort(aheads.begin(), aheads.end());
    return aheads[2];
}

// How the engine's sound file holds its samples.
struct WaveFormat
{
    int channels = 0;
    int rate = 0;
    int bytes = 0;     // per sample
    bool real = false; // floating point, else integers
};

// The strength of one frequency in the first channel of the samples (Goertzel).
double ToneStrength(const QByteArray &samples, const WaveFormat &format, double frequency)
{
    const double coefficient = 2 * std::cos(2 * M_PI * frequency / format.rate);
    double previous = 0, beforePrevious = 0;
    const int frameBytes = format.bytes * format.channels;
    const qsizetype frames = samples.size() / frameBytes;
    for (qsizetype i = 0; i < frames; ++i) {
        const char *at = samples.constData() + i * frameBytes;
        const double sample = format.bytes == 2 ? double(qFromLittleEndian<qint16>(at))
                              : format.real     ? double(qFromLittleEndian<float>(at))
                                                : double(qFromLittleEndian<qint32>(at));
        const double next = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = next;
    }
    return previous * previous + beforePrevious * beforePrevious -
           coefficient * previous * beforePrevious;
}

// A film as shops sell it: three clips of 60.48 s whose time stamps start at 11.65 s, 600 s
// and 3000 s, English on PID 0x1100 and French on 0x1101, the playlist listing French first;
// every frame carries its time on the title. The clock matches the picture after chapter
// jumps, a seek and a resumed start; the length is the items' milliseconds added; the first
// listed stream is the one heard, in the engine's own sound output.
void ShopDiscsTest::clockFollowsThePictureAndTheFirstAudioSounds()
{
    BluRayFolderBuilder disc;
    disc.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    const qint64 starts[] = {11650, 600000, 3000000};
    for (int i = 0; i < 3; ++i) {
        BluRayFolderBuilder::Clip &clip =
            disc.AddClip(QByteArray::number(i + 1).rightJustified(5, '0'), 61, {"eng", "fra"});
        clip.lengthMs = 60480;
        clip.firstTimestampMs = starts[i];
        clip.playlistAudioOrder = {1, 0};
    }
    disc.AddPlaylist("00001.mpls", {"00001", "00002", "00003"}, {0, 30000, 60480, 90480, 120960});
    disc.BurnTitleTime("00001.mpls");
    const QString folder = dir.filePath(QStringLiteral("shop film"));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    // The clips start where asked, as a player sees them.
    for (int i = 0; i < 3; ++i) {
        const ClipTiming timing = disc.Timing(QByteArray::number(i + 1).rightJustified(5, '0'));
        QVERIFY(!timing.entryPoints.isEmpty());
        QCOMPARE(qint64(timing.entryPoints.first().pts90k / 90), starts[i]);
    }

    WindowFixture fixture(QSize(800, 600));
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 10000);

    // The engine's sound goes to a file; the player's own choice of output comes first.
    QTemporaryDir sound;
    QVERIFY(sound.isValid());
    const QString wave = sound.filePath(QStringLiteral("sound.wav"));
    ui.Session().SetExtraArguments({"-ao", "pcm:file=" + wave});
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(PictureTitleMs(ui.VideoSurface()).has_value(), 20000);
    // 181.44 s: not 180 s, as each clip cut to whole seconds before adding gave.
    QCOMPARE(ui.DurationSec(), qint64(181));
    QVERIFY2(ui.Total()->text().contains(QStringLiteral("00:03:01")),
             qPrintable(ui.Total()->text()));
    // The audio menu lists the playlist's order: French first, and it is chosen.
    QTRY_VERIFY_WITH_TIMEOUT(ui.AudioTracks()->actions().size() >= 3, 10000);
    QVERIFY2(ui.AudioTracks()->actions().at(1)->text().contains(QStringLiteral("French")),
             qPrintable(ui.AudioTracks()->actions().at(1)->text()));
    QVERIFY(ui.AudioTracks()->actions().at(1)->isChecked());

    QStringList misses;
    auto check = [&](const QString &what) {
        const qint64 ahead = ClockAheadOfPictureMs(ui);
        qInfo("%s: the clock is %lld ms ahead of the picture", qPrintable(what), ahead);
        if (qAbs(ahead) > 500)
            misses << QStringLiteral("%1: clock %2 ms ahead of the picture").arg(what).arg(ahead);
    };
    // Each chapter in turn, across the joins of the clips; the picture is read once it plays
    // on from where the jump landed.
    for (const qint64 chapterMs : {30000, 60480, 90480, 120960}) {
        window.PlayNext();
        QTRY_VERIFY_WITH_TIMEOUT(
            ui.ClockMs() >= chapterMs - 2000 && ui.ClockMs() < chapterMs + 5000, 10000);
        const qint64 landed = ui.ClockMs();
        QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= landed + 1500, 10000);
        check(QStringLiteral("chapter at %1 ms").arg(chapterMs));
    }
    // Back across two joins, to 100 s, as the slider does.
    window.SliderPress();
    window.SliderSeek(100);
    window.SliderRelease();
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 98000 && ui.ClockMs() < 103000, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 101500, 10000);
    check(QStringLiteral("seek to 100 s"));
    window.StopBtn();
    QTRY_VERIFY_WITH_TIMEOUT(ui.IsStopped(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!ui.Engine(), 10000);

    // The engine played French: its tone (550 Hz; English has 440 Hz) fills its output.
    QFile recorded(wave);
    QTRY_VERIFY_WITH_TIMEOUT(recorded.exists(), 10000);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    const QByteArray bytes = recorded.readAll();
    QVERIFY2(bytes.size() > 48000, qPrintable(QString::number(bytes.size())));
    // RIFF: the format chunk first; with more than two channels its extensible form, whose
    // sub-format begins with the format code.
    WaveFormat format;
    const quint16 tag = qFromLittleEndian<quint16>(bytes.constData() + 20);
    const quint16 code = tag == 0xFFFE ? qFromLittleEndian<quint16>(bytes.constData() + 44) : tag;
    format.real = code == 3;
    format.channels = qFromLittleEndian<quint16>(bytes.constData() + 22);
    format.rate = int(qFromLittleEndian<quint32>(bytes.constData() + 24));
    format.bytes = qFromLittleEndian<quint16>(bytes.constData() + 34) / 8;
    QVERIFY(format.channels > 0 && format.rate > 0 && (format.bytes == 2 || format.bytes == 4));
    const qsizetype data = bytes.indexOf("data", 36) + 8;
    QVERIFY(data > 8);
    const int frameBytes = format.bytes * format.channels;
    QVERIFY2(bytes.size() > data + 5 * format.rate * frameBytes,
             qPrintable(QString::number(bytes.size())));
    // A second from the middle of what was heard.
    const qsizetype middle = data + (bytes.size() - data) / 2 / frameBytes * frameBytes;
    const QByteArray second = bytes.mid(middle, qsizetype(format.rate) * frameBytes);
    const double french = ToneStrength(second, format, 550);
    const double english = ToneStrength(second, format, 440);
    QVERIFY2(french > 100 * english,
             qPrintable(QStringLiteral("550 Hz %1, 440 Hz %2").arg(french).arg(english)));

    // Started again, it resumes a little before where it was left, and the clock is the
    // picture's there too.
    ui.Session().SetExtraArguments({});
    ui.ShowPage(Page::Disc);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 90000 && ui.IsPlaying(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(PictureTitleMs(ui.VideoSurface()).has_value(), 20000);
    const qint64 resumed = ui.ClockMs();
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= resumed + 1500, 10000);
    check(QStringLiteral("resumed at %1 ms").arg(resumed));
    window.StopBtn();
    QVERIFY2(misses.isEmpty(), qPrintable(misses.join(QStringLiteral("; "))));
}

// A logo without sound before the film, the film cut by its items' IN and OUT times, and a
// subtitle stream whose first line comes late: the picture's time never goes back across the
// join (a cut frame would show an earlier time), the clock keeps to it, the menus name the
// film's streams once it plays, and the subtitle chosen early shows its first line when due.
void ShopDiscsTest::logoThenTrimmedFilmWithALateSubtitle()
{
    BluRayFolderBuilder disc;
    disc.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    BluRayFolderBuilder::Clip &logo = disc.AddClip("00001", 4, {});
    logo.firstTimestampMs = 11650;
    BluRayFolderBuilder::Clip &film = disc.AddClip("00002", 24, {"eng", "fra"}, {"eng"});
    film.firstTimestampMs = 600000;
    film.firstSubtitleLineMs = 14000;
    BluRayFolderBuilder::Playlist &title = disc.AddPlaylist("00001.mpls", {"00001", "00002"});
    title.items[1].trimStartMs = 2000;
    title.items[1].trimEndMs = 2000;
    title.items[1].connection = 5;
    disc.BurnTitleTime("00001.mpls");
    const QString folder = dir.filePath(QStringLiteral("logo and film"));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));

    WindowFixture fixture(QSize(800, 600));
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 10000);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    // 4 s and 20 s of the film's 24 s.
    QCOMPARE(ui.DurationSec(), qint64(24));
    QTRY_VERIFY_WITH_TIMEOUT(PictureTitleMs(ui.VideoSurface()).has_value(), 20000);

    // Across the join the picture's time only goes forward.
    qint64 last = -1;
    QStringList backwards;
    QTRY_VERIFY_WITH_TIMEOUT(
        ([&] {
            if (const std::optional<qint64> shown = PictureTitleMs(ui.VideoSurface())) {
                if (*shown < last)
                    backwards << QStringLiteral("%1 after %2").arg(*shown).arg(last);
                last = qMax(last, *shown);
            }
            return last >= 6000;
        }()),
        20000);
    QVERIFY2(backwards.isEmpty(), qPrintable(backwards.join(QStringLiteral(", "))));
    const qint64 ahead = ClockAheadOfPictureMs(ui);
    qInfo("after the join: the clock is %lld ms ahead of the picture", ahead);
    QVERIFY2(qAbs(ahead) <= 500, qPrintable(QString::number(ahead)));
    // The film plays: its streams by their languages.
    QTRY_VERIFY_WITH_TIMEOUT(ui.AudioTracks()->actions().size() >= 3, 10000);
    QVERIFY2(ui.AudioTracks()->actions().at(1)->text().contains(QStringLiteral("English")),
             qPrintable(ui.AudioTracks()->actions().at(1)->text()));

    // The subtitle stream, chosen long before its first line.
    QTRY_VERIFY_WITH_TIMEOUT(ui.SubtitleTracks()->actions().size() >= 2, 10000);
    emit ui.VideoMenu()->triggered(ui.SubtitleTracks()->actions().at(1));
    // The first line is due at 14 s into the clip, 12 s into the cut film: 16 s on the title.
    QVERIFY(ColumnsWithALine(ui.VideoSurface()).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 15000, 20000);
    QVERIFY(ColumnsWithALine(ui.VideoSurface()).isEmpty());
    const bool lineShown =
        QTest::qWaitFor([&] { return ColumnsWithALine(ui.VideoSurface()) == QList<int>{0}; }, 8000);
    const qint64 shownAt = ui.ClockMs();
    window.StopBtn();
    QEXPECT_FAIL("", "the engine shows no line of a graphics stream whose first line comes late",
                 Abort);
    QVERIFY(lineShown);
    QVERIFY2(shownAt >= 15500, qPrintable(QString::number(shownAt)));
}

QTEST_MAIN(ShopDiscsTest)
#include "tst_shop_discs.moc"
