// The same session on the real engine, drawing into the window under X, with media the test
// makes with the disc builder's media maker.
#include "DRUITestAccess.h"
#include "TestMedia.h"
#include "WindowFixture.h"
#include "engine/EngineProcess.h"
#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "player/SnapshotNaming.h"
#include "ui/CMessageBox.h"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QtTest>
#include <functional>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

class SessionRealEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fileplaysWithPictureStreamsSnapshotAndEnd();
    void chineseSubtitlesDrawAsGlyphs_data();
    void chineseSubtitlesDrawAsGlyphs();
    void crashedOrHungEngineKeepsThePlaceAndSaysSo_data();
    void crashedOrHungEngineKeepsThePlaceAndSaysSo();
    void craftedMetadataDeletesNothing();
    void craftedTitlesNeitherEndTheSessionNorAddStreams();
    void dataFolderWithCommaStillPlaysAndSnapshots();
    void missingEngineIsReported();
    void engineDiesWithThePlayer();
    void pausedEngineStaysPausedAndSnapshotsKeepTheirNames();
    void pictureKeepsItsShape();
    void chaptersSubtitleFilesResumeAndPlayingOn();
    void shownClockFollowsTheEngineAfterAStep();
    void trackMenusFollowTheSource();
    void unplayableFilesAreNamedAndLeaveNothingRunning_data();
    void unplayableFilesAreNamedAndLeaveNothingRunning();

private:
    QString MakeMedia(const QString &name, int seconds,
                      const std::function<void(MediaMaker::FileRequest &)> &change = {});
    QString MakeSilentMedia(const QString &name, int seconds);
    QString MakeFile(const QString &name, const MediaMaker::FileRequest &request);
    QTemporaryDir dir;
    MediaMaker maker{TestMediaCache()};
};

void SessionRealEngineTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("the engine draws into an X11 window: run under X (the test command starts Xvfb)");
    }
    if (QStandardPaths::findExecutable("mplayer").isEmpty() ||
        QStandardPaths::findExecutable("ffmpeg").isEmpty()) {
        QFAIL("mplayer and ffmpeg are needed (scripts/install-deps.sh installs them)");
    }
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + "/Player"));
    // The window copies the shipped probe on its first start; start from a clean folder.
    QDir(AppFolders::AppDataFolder()).removeRecursively();
}

// A clip with colour bars, two audio streams and one subtitle stream, as CHANGE leaves it.
QString
SessionRealEngineTest::MakeMedia(const QString &name, int seconds,
                                 const std::function<void(MediaMaker::FileRequest &)> &change)
{
    MediaMaker::FileRequest request;
    request.seconds = seconds;
    request.tones = {{440, {}, {}}, {660, {}, {}}};
    request.subtitles = {{"1\n00:00:00,000 --> 00:00:02,000\nHello\n", {}, {}}};
    if (change)
        change(request);
    return MakeFile(name, request);
}

// Colour bars and nothing else: no sound, no subtitles.
QString SessionRealEngineTest::MakeSilentMedia(const QString &name, int seconds)
{
    MediaMaker::FileRequest request;
    request.seconds = seconds;
    return MakeFile(name, request);
}

QString SessionRealEngineTest::MakeFile(const QString &name, const MediaMaker::FileRequest &request)
{
    const QString path = dir.filePath(name);
    QString error;
    if (!maker.MakeFileAs(request, path, &error)) {
        qWarning() << error;
        return {};
    }
    return path;
}

// The running (not yet reaped) child processes of this test: the engine, the probe.
static QStringList LiveChildren()
{
    QStringList children;
    const QString self = QString::number(::getpid());
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (close > 0 && fields.size() > 1 && fields[0] != "Z" && fields[1] == self.toLatin1()) {
            children << QString::fromLocal8Bit(line.left(close + 1));
        }
    }
    return children;
}

static QStringList Entries(QMenu *menu)
{
    QStringList entries;
    for (QAction *entry : menu->actions()) {
        entries << entry->text() + (entry->isChecked() ? "*" : "");
    }
    return entries;
}

// Distinct colours in a grab of the video surface: colour bars give many, an empty black
// surface gives one.
void SessionRealEngineTest::fileplaysWithPictureStreamsSnapshotAndEnd()
{
    const QString media = MakeMedia(QString::fromUtf8("colour bars é.mkv"), 6);
    QVERIFY(!media.isEmpty());
    QDir(AppFolders::DocumentsFolder()).removeRecursively();

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    // The probe measures beside the engine; its length reaches the slider and the label.
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), 6, 30000);
    QCOMPARE(ui.Seek()->maximum(), 6);
    QCOMPARE(ui.Total()->text(), QStringLiteral(" 00:00:06"));

    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.AudioTracks()),
                              QStringList({"Disable", "Audio 1*", "Audio 2"}), 30000);
    QCOMPARE(Entries(ui.SubtitleTracks()), QStringList({"Disable*", "Subtitle 1"}));
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);

    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().last());
    QTRY_COMPARE_WITH_TIMEOUT(QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).size(), 1,
                              30000);
    const QString name = QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).first();
    QVERIFY2(QRegularExpression("^Snapshot-\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.JPG$")
                 .match(name)
                 .hasMatch(),
             qPrintable(name));
    const QImage snapshot(AppFolders::DocumentsFolder() + name);
    QVERIFY(!snapshot.isNull());
    QCOMPARE(snapshot.size(), QSize(320, 240));

    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Start, 30000);
    QVERIFY(!ui.IsPlaying());
    QVERIFY(!ui.Seek()->isEnabled());
}

namespace {

// The shapes of a subtitle line as drawn on a dark picture: the bright pixels of the lowest
// band that holds any, cut into runs of columns, each run's mask compared with the others.
// Characters that the font lacks all draw as the same box; real glyphs differ.
int DistinctShapes(const QImage &frame, QImage *band)
{
    const auto bright = [&frame](int x, int y) { return qGray(frame.pixel(x, y)) > 180; };
    int bottom = -1;
    int top = -1;
    for (int y = frame.height() - 1; y >= frame.height() / 2; --y) {
        bool any = false;
        for (int x = 0; x < frame.width() && !any; ++x)
            any = bright(x, y);
        if (any && bottom < 0)
            bottom = y;
        if (any)
            top = y;
        else if (bottom >= 0 && bottom - y > 8)
            break;
    }
    if (bottom < 0)
        return 0;
    *band = frame.copy(0, top, frame.width(), bottom - top + 1);
    QList<QImage> shapes;
    int start = -1;
    for (int x = 0; x <= frame.width(); ++x) {
        bool on = false;
        for (int y = top; x < frame.width() && y <= bottom && !on; ++y)
            on = bright(x, y);
        if (on && start < 0)
            start = x;
        if (!on && start >= 0) {
            QImage mask(x - start, bottom - top + 1, QImage::Format_Mono);
            for (int my = 0; my < mask.height(); ++my)
                for (int mx = 0; mx < mask.width(); ++mx)
                    mask.setPixel(mx, my, bright(start + mx, top + my) ? 1 : 0);
            shapes << mask;
            start = -1;
        }
    }
    // Shapes that differ in a pixel or two are the same shape placed a little differently.
    QList<QImage> distinct;
    for (const QImage &shape : shapes) {
        bool seen = false;
        for (const QImage &other : distinct) {
            if (qAbs(other.width() - shape.width()) > 1 || other.height() != shape.height())
                continue;
            int differing = 0;
            const int width = qMin(other.width(), shape.width());
            for (int y = 0; y < shape.height(); ++y)
                for (int x = 0; x < width; ++x)
                    differing += other.pixelIndex(x, y) != shape.pixelIndex(x, y);
            seen = seen || differing * 10 <= width * shape.height();
        }
        if (!seen)
            distinct << shape;
    }
    return int(distinct.size());
}

} // namespace

// A Chinese subtitle line is drawn in a font that has its characters, as glyphs, not as the
// empty boxes of a font without them, which all look alike.
void SessionRealEngineTest::chineseSubtitlesDrawAsGlyphs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("glyphs");
    QTest::newRow("chinese") << QStringLiteral("中文字幕测试") << true;
    // One character six times: the count merges equal shapes, so boxes would count as one.
    QTest::newRow("one character repeated") << QStringLiteral("中中中中中中") << false;
}

void SessionRealEngineTest::chineseSubtitlesDrawAsGlyphs()
{
    QFETCH(QString, text);
    QFETCH(bool, glyphs);
    const QString film = dir.filePath(QStringLiteral("dark %1.mkv").arg(QTest::currentDataTag()));
    MediaMaker::FileRequest dark;
    dark.picture = "color=c=black";
    dark.width = 480;
    dark.height = 270;
    dark.framesPerSecond = 10;
    dark.seconds = 40;
    QString error;
    QVERIFY2(maker.MakeFileAs(dark, film, &error), qPrintable(error));
    QFile line(film.chopped(4) + ".srt");
    QVERIFY(line.open(QIODevice::WriteOnly));
    line.write("1\n00:00:00,000 --> 00:00:40,000\n" + text.toUtf8() + "\n");
    line.close();

    WindowFixture fixture(QSize(1000, 700));
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    // An engine that fails on the line says so in a notice; it is closed and counts.
    QString shown;
    QTimer boxes;
    connect(&boxes, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel *>("messageLabel")->text();
            box->btnSlotOK();
        }
    });
    boxes.start(50);
    window.OpenMediaFiles({film});
    QTRY_VERIFY_WITH_TIMEOUT(ui.Session().CurrentState() == PlaybackSession::State::Playing &&
                                 ui.ClockMs() > 500,
                             30000);
    QImage band;
    int shapes = 0;
    const auto grab = [&] {
        const QImage frame = ui.VideoSurface()
                                 ->screen()
                                 ->grabWindow(ui.VideoSurface()->winId())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        shapes = DistinctShapes(frame, &band);
        return shapes;
    };
    QTRY_VERIFY_WITH_TIMEOUT(grab() > 0, 30000);
    if (glyphs)
        QVERIFY2(shapes >= 4, qPrintable(QString::number(shapes)));
    else
        QVERIFY2(shapes <= 2, qPrintable(QString::number(shapes)));
    window.StopBtn();
    QVERIFY2(shown.isEmpty(), qPrintable(shown));
}

// An engine that dies in the middle of a film (the engine's own handler catches SIGSEGV,
// prints ID_SIGNAL and exits with an error; SIGKILL gives it no chance to say anything) is
// no end of the film: the window says so, keeps the place, and Play starts from there.
void SessionRealEngineTest::crashedOrHungEngineKeepsThePlaceAndSaysSo_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("SIGSEGV") << int(SIGSEGV) << QByteArray("MSG0110");
    QTest::newRow("SIGKILL") << int(SIGKILL) << QByteArray("MSG0110");
    // Stopped from outside, the engine answers nothing any more: a hang, ended by the player.
    QTest::newRow("SIGSTOP") << int(SIGSTOP) << QByteArray("MSG0111");
}

void SessionRealEngineTest::crashedOrHungEngineKeepsThePlaceAndSaysSo()
{
    QFETCH(int, signalNumber);
    QFETCH(QByteArray, message);
    static const QString media = MakeMedia("crashing.mkv", 240);
    QVERIFY(!media.isEmpty());
    const QString store = AppFolders::AppDataFolder() + "Resume.json";
    QFile::remove(store);
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QString shown;
    QTimer boxes;
    connect(&boxes, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel *>("messageLabel")->text();
            box->btnSlotOK();
        }
    });
    boxes.start(50);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ui.Engine() && ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    ui.Session().SeekTo(90);
    QList<double> positions;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid)
            positions << event.value;
    });
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty() && positions.last() >= 91, 30000);
    const qint64 pid = ui.Engine()->ProcessId();
    QVERIFY(pid > 0);
    ::kill(pid_t(pid), signalNumber);
    QTRY_COMPARE_WITH_TIMEOUT(
        shown, GetText(("Messages/" + message).constData()).arg("crashing.mkv"), 30000);
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QVERIFY(!ui.IsPlaying());
    // The crash can be shown a moment before the engine's process is gone.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/%1/status").arg(pid)), 30000);
    // The place stands in the store, and Play goes back a little before it.
    QFile kept(store);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY2(kept.readAll().contains("crashing.mkv"), qPrintable(store));
    ui.VideoPlay();
    QTRY_VERIFY_WITH_TIMEOUT(ui.Engine(), 30000);
    positions.clear();
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid)
            positions << event.value;
    });
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 30000);
    QVERIFY2(positions.first() >= 80 && positions.first() <= 100,
             qPrintable(QString::number(positions.first())));
    window.StopBtn();
}

void SessionRealEngineTest::craftedMetadataDeletesNothing()
{
    const QString victim = dir.filePath("victim.png");
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(victim));
    // A copy in the folder the engine's screenshots go to, under a name the filter does not
    // write, must survive too.
    const QString nearVictim = AppFolders::AppDataFolder() + "holiday.png";
    AppFolders::EnsureFolder(AppFolders::AppDataFolder());
    QVERIFY(picture.save(nearVictim));
    const QString title =
        "x\n*** screenshot '" + victim + "' ***\n*** screenshot '" + nearVictim + "' ***";
    const QString media = MakeMedia("crafted.mkv", 2, [&title](MediaMaker::FileRequest &request) {
        request.tags = {{"title", title}};
    });
    QVERIFY(!media.isEmpty());
    QDir(AppFolders::DocumentsFolder()).removeRecursively();

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ui.AudioTracks()->actions().size() == 3, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Start, 30000);
    QVERIFY(QFile::exists(victim));
    QVERIFY(QFile::exists(nearVictim));
    QCOMPARE(QImage(victim).pixel(0, 0), QColor(Qt::red).rgb());
    QVERIFY(!QDir(AppFolders::DocumentsFolder()).exists() ||
            QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).isEmpty());
}

void SessionRealEngineTest::craftedTitlesNeitherEndTheSessionNorAddStreams()
{
    QString comment;
    for (int i = 0; i < 30; ++i) {
        comment += QStringLiteral("x, -sid %1\n").arg(i + 3);
    }
    const QString media = MakeMedia("titled.mkv", 5, [&comment](MediaMaker::FileRequest &request) {
        request.tags = {{"title", "The (Quit) Song"}, {"comment", comment}};
        request.tones[0].title = "My (End of file) movie";
        request.subtitles[0].title = "x, -sid 9 (Quit)";
    });
    QVERIFY(!media.isEmpty());

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    int answers = 0;
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ui.Engine(), 30000);
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&answers](const EngineEvent &event) {
        answers += event.kind == EngineEvent::Kind::PositionAnswer;
    });
    // The streams' own titles name the entries, and add none.
    QTRY_COMPARE_WITH_TIMEOUT(
        Entries(ui.AudioTracks()),
        QStringList({"Disable", "Audio 1: My (End of file) movie*", "Audio 2"}), 30000);
    QCOMPARE(Entries(ui.SubtitleTracks()),
             QStringList({"Disable*", "Subtitle 1: x, -sid 9 (Quit)"}));
    // The titles reach the engine's output right after its video line, before it answers
    // the first questions of the clock: once two answers are in, so are the titles.
    QTRY_VERIFY_WITH_TIMEOUT(answers >= 2, 30000);
    QCOMPARE(ui.PageStack()->currentIndex(), 2);
    QVERIFY(ui.IsPlaying());
    QCOMPARE(Entries(ui.SubtitleTracks()),
             QStringList({"Disable*", "Subtitle 1: x, -sid 9 (Quit)"}));
    // The real end of the file still ends the session.
    QTRY_COMPARE_WITH_TIMEOUT(ui.PageStack()->currentIndex(), 0, 30000);
}

void SessionRealEngineTest::dataFolderWithCommaStillPlaysAndSnapshots()
{
    // The data and documents folders follow the home folder.
    QTemporaryDir scratch;
    const QString home = scratch.filePath("a,b:c=d e");
    QVERIFY(QDir().mkpath(home));
    const QByteArray previousHome = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", previousHome); });
    qputenv("HOME", QFile::encodeName(home));
    QVERIFY(AppFolders::AppDataFolder().startsWith(home));
    const QString media = MakeMedia("comma.mkv", 4);
    QVERIFY(!media.isEmpty());

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_COMPARE_WITH_TIMEOUT(ui.AudioTracks()->actions().size(), 3, 30000);
    QCOMPARE(ui.PageStack()->currentIndex(), 2);
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().last());
    QTRY_COMPARE_WITH_TIMEOUT(QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).size(), 1,
                              30000);
    const QString name = QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).first();
    QCOMPARE(QImage(AppFolders::DocumentsFolder() + name).size(), QSize(320, 240));
    // The engine's own file was taken and removed.
    QCOMPARE(QDir(AppFolders::AppDataFolder()).entryList({"*.png"}, QDir::Files), QStringList());
    QTRY_COMPARE_WITH_TIMEOUT(ui.PageStack()->currentIndex(), 0, 30000);
}

void SessionRealEngineTest::missingEngineIsReported()
{
    const QString media = MakeMedia("any.mkv", 1);
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toLocal8Bit());
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QString shown;
    QTimer::singleShot(1000, this, [&shown] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            for (QLabel *label : box->findChildren<QLabel *>()) {
                shown += label->text() + "\n";
            }
            box->close();
        }
    });
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 30000);
    qputenv("PATH", path);
    QVERIFY2(shown.contains("mplayer"), qPrintable(shown));
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QVERIFY(!ui.IsPlaying());
}

void SessionRealEngineTest::engineDiesWithThePlayer()
{
    const QString media = MakeMedia("outlive.mkv", 30);
    QVERIFY(!media.isEmpty());
    // A player process of its own, killed without any chance to clean up.
    QProcess player;
    player.start(QCoreApplication::applicationFilePath(), {"--play", media});
    QVERIFY(player.waitForStarted(5000));
    QVERIFY(player.waitForReadyRead(20000));
    const qint64 enginePid = player.readLine().trimmed().toLongLong();
    QVERIFY(enginePid > 0);
    QVERIFY(QFile::exists(QStringLiteral("/proc/%1").arg(enginePid)));
    player.kill();
    QVERIFY(player.waitForFinished(5000));
    // A zombie left for its parent counts as ended: its state reads "Z".
    const auto engineAlive = [enginePid] {
        QFile status(QStringLiteral("/proc/%1/status").arg(enginePid));
        if (!status.open(QIODevice::ReadOnly)) {
            return false;
        }
        return !status.readAll().contains("State:\tZ");
    };
    QTRY_VERIFY_WITH_TIMEOUT(!engineAlive(), 30000);
}

// The controls a user reaches for while the film is paused must leave it paused; the
// engine's own position after the resume tells whether it ran meanwhile.
void SessionRealEngineTest::pausedEngineStaysPausedAndSnapshotsKeepTheirNames()
{
    const QString media = MakeMedia("paused.mkv", 30);
    QVERIFY(!media.isEmpty());
    const QString shots = dir.filePath("shots");
    QVERIFY(QDir().mkpath(shots));
    QVERIFY(QDir().mkpath(AppFolders::AppDataFolder()));
    QVERIFY(WriteSnapshotFolder(AppFolders::AppDataFolder(), shots));

    WindowFixture fixture(WindowFixture::Shown::Active);
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QList<double> positions;
    QElapsedTimer sinceAnswer; // since the last position answer
    int screenshotsWritten = 0;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid) {
            positions << event.value;
            sinceAnswer.start();
        } else if (event.kind == EngineEvent::Kind::Screenshot) {
            ++screenshotsWritten;
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 6, 30000);
    // The shown position is where the engine is, not where a timer count would put it.
    const qint64 engineNowMs = qint64(positions.last() * 1000) + sinceAnswer.elapsed();
    QVERIFY2(
        qAbs(engineNowMs - ui.ClockMs()) < 1000,
        qPrintable(QStringLiteral("engine %1 ms, shown %2 ms").arg(engineNowMs).arg(ui.ClockMs())));

    // Seek to 10 s, then pause once the engine answers from there.
    positions.clear();
    emit ui.Seek()->sliderPressed();
    emit ui.Seek()->sliderMoved(10);
    emit ui.Seek()->sliderReleased();
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty() && positions.last() >= 9.5, 30000);
    QTest::keyClick(&window, Qt::Key_Space);
    QVERIFY(!ui.IsPlaying());
    const qint64 shownAtPause = ui.ClockMs();
    // Not before the seek's target, and not ahead of where the engine was by more than the
    // clock lets the two part.
    const qint64 engineAtPauseMs = qint64(positions.last() * 1000) + sinceAnswer.elapsed();
    QVERIFY2(
        shownAtPause >= 10000 && shownAtPause <= engineAtPauseMs + 1000,
        qPrintable(
            QStringLiteral("shown %1 ms, engine %2 ms").arg(shownAtPause).arg(engineAtPauseMs)));

    // Three seconds of volume, mute, unmute and balance while paused. The unmute returns to
    // the level chosen before the mute.
    emit ui.Volume()->sliderMoved(30);
    QTest::mouseClick(ui.VolumeButton(), Qt::LeftButton);
    QCOMPARE(ui.Volume()->value(), 0);
    QTest::mouseClick(ui.VolumeButton(), Qt::LeftButton);
    QCOMPARE(ui.Volume()->value(), 30);
    QCOMPARE(ui.Session().Volume(), 30);
    QTest::keyClick(&window, Qt::Key_Up);
    emit ui.AudioMenu()->triggered(ui.AudioChannels()->actions().at(1));
    // A fixed wait, as nothing may happen in it: an engine that one of these commands woke
    // would play on meanwhile, and the resume below would find it three seconds further.
    QTest::qWait(3000);
    QCOMPARE(ui.ClockMs(), shownAtPause);

    // A snapshot while paused is written and the engine stays paused (the resume below
    // tells, from the engine's own position, whether it ran).
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(shots).entryList({"*.JPG"}, QDir::Files).size(), 1, 30000);
    QCOMPARE(QImage(shots + "/" + QDir(shots).entryList({"*.JPG"}, QDir::Files).first()).size(),
             QSize(320, 240));
    // Nothing may happen here either: a snapshot that woke the engine would let it play on.
    QTest::qWait(1500);
    QCOMPARE(ui.Session().CurrentState(), PlaybackSession::State::Paused);
    QCOMPARE(ui.PlayPause()->data().toString(), QStringLiteral("Resume"));
    QCOMPARE(ui.ClockMs(), shownAtPause);

    positions.clear();
    QElapsedTimer resumed;
    resumed.start();
    QTest::keyClick(&window, Qt::Key_Space);
    QVERIFY(ui.IsPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 30000);
    const qint64 answeredWithinMs = resumed.elapsed();
    // Had the engine played on, it would be four and a half seconds further than it can
    // have come since the resume.
    QVERIFY2(qAbs(positions.first() * 1000 - shownAtPause) < 1500 + answeredWithinMs,
             qPrintable(QStringLiteral("engine at %1 s, shown %2 ms")
                            .arg(positions.first())
                            .arg(shownAtPause)));

    // Two snapshots in one second, as PNG: both kept. (The engine's filter takes one frame
    // for requests that arrive before its next frame, so the second waits for the first.)
    ui.SetSnapshotFormat("PNG");
    const int writtenBefore = screenshotsWritten;
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_VERIFY_WITH_TIMEOUT(screenshotsWritten > writtenBefore, 30000);
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(shots).entryList({"*.PNG"}, QDir::Files).size(), 2, 30000);
    for (const QString &name : QDir(shots).entryList({"*.PNG"}, QDir::Files)) {
        QCOMPARE(QImageReader(shots + "/" + name).format(), QByteArray("png"));
    }
    ui.SetSnapshotFormat("BMP");
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(shots).entryList({"*.BMP"}, QDir::Files).size(), 1, 30000);
    const QString bmp = QDir(shots).entryList({"*.BMP"}, QDir::Files).first();
    QCOMPARE(QImageReader(shots + "/" + bmp).format(), QByteArray("bmp"));
    QCOMPARE(QImage(shots + "/" + bmp).size(), QSize(320, 240));
    window.StopBtn();
}

// A square film stays square beside the playlist, at half size and in full screen, with
// black bars where the window is wider than the film.
void SessionRealEngineTest::pictureKeepsItsShape()
{
    const QString media = MakeMedia("square.mkv", 20, [](MediaMaker::FileRequest &request) {
        request.pictureFilter = "scale=200:200,setsar=1";
    });
    QVERIFY(!media.isEmpty());
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);

    const auto checkSquare = [&](const char *where) {
        QLabel *surface = ui.VideoSurface();
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(surface->width() - surface->height()) <= 1,
                                  qPrintable(QStringLiteral("%1: %2x%3")
                                                 .arg(where)
                                                 .arg(surface->width())
                                                 .arg(surface->height())),
                                  30000);
        // The bars beside the picture are black on screen; the picture is not.
        QWidget *page = surface->parentWidget();
        QVERIFY(page->width() > surface->width() + 20);
        const QImage grab = page->screen()->grabWindow(page->winId()).toImage();
        QCOMPARE(QColor(grab.pixel(5, grab.height() / 2)), QColor(Qt::black));
        QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(surface) > 8, 30000);
    };
    for (QAction *action : ui.VideoMenu()->actions()) {
        if (action->data().toString() == "HalfSize") {
            emit ui.VideoMenu()->triggered(action);
        }
    }
    // The window keeps its start-up width (the menu strip's minimum); only its height halves.
    QTRY_VERIFY(window.height() < 600);
    checkSquare("half size");
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().first()); // the playlist beside it
    window.resize(1000, 680);
    checkSquare("beside the playlist");
    window.FullScreenBtn();
    QTRY_VERIFY(window.windowState() & Qt::WindowFullScreen);
    checkSquare("full screen");
    window.StopBtn();
}

// Key frames ten seconds apart: a step lands the engine away from the step's target, and
// the shown clock must follow the engine there rather than keep the target's time line.
void SessionRealEngineTest::shownClockFollowsTheEngineAfterAStep()
{
    const QString media = MakeMedia(
        "sparse.mkv", 90, [](MediaMaker::FileRequest &request) { request.keyFrameInterval = 250; });
    QVERIFY(!media.isEmpty());
    WindowFixture fixture(WindowFixture::Shown::Active);
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), 90, 30000);
    // Each engine answer beside the shown position once the window has taken it.
    QList<double> answers;
    QList<qint64> shown;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid) {
            answers << event.value;
            shown << ui.ClockMs();
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(answers.size() >= 2, 30000);

    QTest::keyClick(&window, Qt::Key_Right);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 55000, 30000);
    answers.clear();
    shown.clear();
    // Five seconds of answers after the step.
    QTRY_VERIFY_WITH_TIMEOUT(answers.size() >= 10, 30000);
    qInfo("after the step: engine %.2f s, shown %lld ms, label %s", answers.last(), shown.last(),
          qPrintable(ui.Elapsed()->text()));
    QVERIFY2(answers.last() >= 55,
             qPrintable(QStringLiteral("the engine is at %1 s").arg(answers.last())));
    QVERIFY2(qAbs(answers.last() * 1000 - shown.last()) <= 1100,
             qPrintable(
                 QStringLiteral("engine %1 s, shown %2 ms").arg(answers.last()).arg(shown.last())));
    const QTime label = QTime::fromString(ui.Elapsed()->text().trimmed(), "hh:mm:ss");
    QVERIFY2(label.isValid(), qPrintable(ui.Elapsed()->text()));
    QVERIFY2(
        qAbs(label.msecsSinceStartOfDay() - answers.last() * 1000) <= 2100,
        qPrintable(
            QStringLiteral("engine %1 s, label %2").arg(answers.last()).arg(ui.Elapsed()->text())));
    window.StopBtn();
}

// The menus are filled when the engine starts to play the source.
static bool Plays(DRUITestAccess &ui, const QString &path)
{
    return ui.Session().CurrentLaunch().path == path &&
           ui.Session().CurrentState() == PlaybackSession::State::Playing;
}

// The stream menus belong to the source that plays: neither a film's streams nor the choice
// made in them carry over to the next film.
void SessionRealEngineTest::trackMenusFollowTheSource()
{
    const QString first = MakeMedia("two audio a.mkv", 20);
    const QString second = MakeMedia("two audio b.mkv", 20);
    const QString silent = MakeSilentMedia("silent.mkv", 20);
    QVERIFY(!first.isEmpty() && !second.isEmpty() && !silent.isEmpty());
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    const QStringList firstChosen{"Disable", "Audio 1*", "Audio 2"};

    window.OpenMediaFiles({first});
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.AudioTracks()), firstChosen, 30000);
    emit ui.AudioMenu()->triggered(ui.AudioTracks()->actions().at(2));
    QCOMPARE(Entries(ui.AudioTracks()), QStringList({"Disable", "Audio 1", "Audio 2*"}));

    window.OpenMediaFiles({second});
    QTRY_VERIFY_WITH_TIMEOUT(Plays(ui, second), 30000);
    QCOMPARE(Entries(ui.AudioTracks()), firstChosen);
    QCOMPARE(ui.Session().AudioChoice(), 1);

    window.OpenMediaFiles({silent});
    QTRY_VERIFY_WITH_TIMEOUT(Plays(ui, silent), 30000);
    QCOMPARE(Entries(ui.AudioTracks()), QStringList());
    QCOMPARE(Entries(ui.SubtitleTracks()), QStringList());

    window.OpenMediaFiles({first});
    QTRY_VERIFY_WITH_TIMEOUT(Plays(ui, first), 30000);
    QCOMPARE(Entries(ui.AudioTracks()), firstChosen);
    QCOMPARE(Entries(ui.SubtitleTracks()), QStringList({"Disable*", "Subtitle 1"}));
    window.StopBtn();
}

void SessionRealEngineTest::unplayableFilesAreNamedAndLeaveNothingRunning_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text") << "text";
    QTest::newRow("empty") << "empty";
    QTest::newRow("truncated film") << "truncated";
    QTest::newRow("unreadable film") << "unreadable";
    QTest::newRow("vanished film") << "vanished";
    QTest::newRow("named pipe") << "pipe";
}

void SessionRealEngineTest::unplayableFilesAreNamedAndLeaveNothingRunning()
{
    QFETCH(QString, kind);
    const QString path = dir.filePath(QStringLiteral("bad %1 é.mkv").arg(kind));
    QFile::remove(path);
    if (kind == "text" || kind == "empty") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == "text") {
            file.write(QByteArray("Shopping list\nmilk\nbread\n").repeated(200));
        }
    } else if (kind == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        const QString film = MakeMedia(QStringLiteral("whole %1.mkv").arg(kind), 10);
        QVERIFY(!film.isEmpty());
        QVERIFY(QFile::rename(film, path));
        if (kind == "truncated") {
            // The container's header and no whole frame.
            QVERIFY(QFile::resize(path, 2000));
        } else if (kind == "unreadable") {
            if (::geteuid() == 0) {
                QSKIP("run as root, which reads a file whatever its mode");
            }
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        }
    }

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QString shown;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel *>("messageLabel")->text();
            box->btnSlotOK();
        }
    });
    answer.start(100);
    if (kind == "vanished") {
        // Listed, then gone before it is played.
        window.OpenMediaFiles({path});
        window.StopBtn();
        QVERIFY(QFile::remove(path));
        QTRY_VERIFY_WITH_TIMEOUT(LiveChildren().isEmpty(), 30000);
        QTest::mouseClick(ui.PlayButton(), Qt::LeftButton);
    } else {
        window.OpenMediaFiles({path});
    }
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 30000);
    QVERIFY2(shown.contains(QFileInfo(path).fileName()), qPrintable(shown));
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QVERIFY(!ui.IsPlaying());
    QTRY_VERIFY2_WITH_TIMEOUT(LiveChildren().isEmpty(), qPrintable(LiveChildren().join(", ")),
                              30000);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// "--play FILE": plays the file in a window and prints the engine's process id, for
// engineDiesWithThePlayer.
static int PlayAndWait(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    WindowFixture fixture;
    if (!fixture.Ready())
        return 1;
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({QString::fromLocal8Bit(argv[2])});
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (ui.Engine() && ui.Engine()->ProcessId() > 0 && ui.AudioTracks()->actions().size() > 0) {
            printf("%lld\n", ui.Engine()->ProcessId());
            fflush(stdout);
            poll.stop();
        }
    });
    poll.start(50);
    return application.exec();
}

// What a viewer expects of a long film: its own chapters in Controls > Chapter, the subtitle
// file beside it listed and shown until disabled, the place it was left taken up again (and
// given up with Start Over), and the next playlist item playing on at the end.
void SessionRealEngineTest::chaptersSubtitleFilesResumeAndPlayingOn()
{
    MediaMaker::FileRequest longFilm;
    longFilm.width = 160;
    longFilm.height = 120;
    longFilm.framesPerSecond = 10;
    longFilm.seconds = 240;
    longFilm.keyFrameInterval = 10;
    longFilm.tones = {{}};
    longFilm.chapters = {{0, 40000, {}}, {40000, 100000, {}}, {100000, 240000, {}}};
    const QString film = dir.filePath("long film.mkv");
    QString error;
    QVERIFY2(maker.MakeFileAs(longFilm, film, &error), qPrintable(error));
    QFile side(dir.filePath("long film.srt"));
    QVERIFY(side.open(QIODevice::WriteOnly));
    side.write("1\n00:00:00,000 --> 00:04:00,000\nWords on the picture\n");
    side.close();

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QList<double> positions;
    const auto watch = [&] {
        positions.clear();
        connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
            if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid) {
                positions << event.value;
            }
        });
    };

    window.OpenMediaFiles({film});
    QTRY_VERIFY(ui.Engine());
    watch();
    QTRY_COMPARE_WITH_TIMEOUT(ui.ChapterSubmenu()->actions().size(), 3, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.SubtitleTracks()),
                              QStringList({"Disable", "long film.srt*"}), 30000);
    emit ui.VideoMenu()->triggered(ui.SubtitleTracks()->actions().first());
    QTRY_COMPARE(Entries(ui.SubtitleTracks()), QStringList({"Disable*", "long film.srt"}));

    // The third chapter starts at 100 s.
    emit ui.ControlsMenu()->triggered(ui.ChapterSubmenu()->actions().at(2));
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty() && positions.last() >= 99, 30000);

    // Stopped there, the film opens again a little before it, with the subtitle still off.
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 99000, 30000);
    const double leftAt = ui.ClockMs() / 1000.0;
    window.StopBtn();
    window.OpenMediaFiles({film});
    window.repaint();
    QVERIFY2(ui.Status()->text().contains(GetText("MainWnd/ResumedAt").section('%', 0, 0)),
             qPrintable(ui.Status()->text()));
    QTRY_VERIFY(ui.Engine());
    watch();
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 30000);
    // Never after the place it was left (a key frame every second), and not far before it.
    QVERIFY2(
        positions.first() >= leftAt - 10 && positions.first() <= leftAt + 1,
        qPrintable(
            QStringLiteral("left at %1 s, opened at %2 s").arg(leftAt).arg(positions.first())));
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.SubtitleTracks()),
                              QStringList({"Disable*", "long film.srt"}), 30000);

    // Start Over goes back to the beginning; stopped within the first minute, nothing is kept.
    for (QAction *entry : ui.ControlsMenu()->actions()) {
        if (entry->data().toString() == "StartOver") {
            emit ui.ControlsMenu()->triggered(entry);
        }
    }
    positions.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty() && positions.last() < 10, 30000);
    window.StopBtn();
    window.OpenMediaFiles({film});
    QTRY_VERIFY(ui.Engine());
    watch();
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 30000);
    QVERIFY2(positions.first() < 10, qPrintable(QString::number(positions.first())));
    window.StopBtn();

    // With Play Next Automatically on, the end of one file starts the next.
    const QString first = MakeMedia("first.mkv", 2);
    const QString second = MakeMedia("second.mkv", 2);
    QAction *playNext = nullptr;
    for (QAction *entry : ui.ControlsMenu()->actions()) {
        if (entry->data().toString() == "PlayNext") {
            playNext = entry;
        }
    }
    QVERIFY(playNext && playNext->isCheckable() && !playNext->isChecked());
    playNext->trigger();
    QVERIFY(playNext->isChecked());
    window.OpenMediaFiles({first, second});
    QTRY_VERIFY_WITH_TIMEOUT(ui.Engine() && ui.Engine()->Arguments().last() == second, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Start, 30000);
    playNext->trigger();
    QVERIFY(!playNext->isChecked());
}

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--play") {
        return PlayAndWait(argc, argv);
    }
    QApplication application(argc, argv);
    SessionRealEngineTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_session_real_engine.moc"
