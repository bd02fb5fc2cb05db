// The same session on the real engine, drawing into the window under X, with media the test
// makes with ffmpeg.
#include "DRUITestAccess.h"
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
    QString MakeMedia(const QString &name, int seconds, const QStringList &extra = {});
    QString MakeSilentMedia(const QString &name, int seconds);
    QTemporaryDir dir;
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

// A clip with colour bars, two audio streams and one subtitle stream.
QString SessionRealEngineTest::MakeMedia(const QString &name, int seconds, const QStringList &extra)
{
    const QString srt = dir.filePath("subtitles.srt");
    QFile subtitles(srt);
    subtitles.open(QIODevice::WriteOnly);
    subtitles.write("1\n00:00:00,000 --> 00:00:02,000\nHello\n");
    subtitles.close();
    const QString path = dir.filePath(name);
    const QString duration = QString::number(seconds);
    QStringList arguments{"-hide_banner",
                          "-nostdin",
                          "-y",
                          "-loglevel",
                          "error",
                          "-f",
                          "lavfi",
                          "-i",
                          "testsrc=size=320x240:rate=25:duration=" + duration,
                          "-f",
                          "lavfi",
                          "-i",
                          "sine=frequency=440:duration=" + duration,
                          "-f",
                          "lavfi",
                          "-i",
                          "sine=frequency=660:duration=" + duration,
                          "-i",
                          srt,
                          "-map",
                          "0",
                          "-map",
                          "1",
                          "-map",
                          "2",
                          "-map",
                          "3",
                          "-c:v",
                          "mpeg4",
                          "-c:a",
                          "mp2",
                          "-c:s",
                          "srt"};
    arguments << extra << path;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        qWarning() << ffmpeg.readAllStandardError();
        return {};
    }
    return path;
}

// Colour bars and nothing else: no sound, no subtitles.
QString SessionRealEngineTest::MakeSilentMedia(const QString &name, int seconds)
{
    const QString path = dir.filePath(name);
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-hide_banner", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                  QStringLiteral("testsrc=size=320x240:rate=25:duration=%1").arg(seconds), "-c:v",
                  "mpeg4", path});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        qWarning() << ffmpeg.readAllStandardError();
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

    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    // The probe measures beside the engine; its length reaches the slider and the label.
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), 6, 10000);
    QCOMPARE(ui.Seek()->maximum(), 6);
    QCOMPARE(ui.Total()->text(), QStringLiteral(" 00:00:06"));

    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.AudioTracks()),
                              QStringList({"Disable", "Audio 1*", "Audio 2"}), 15000);
    QCOMPARE(Entries(ui.SubtitleTracks()), QStringList({"Disable*", "Subtitle 1"}));
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 10000);

    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().last());
    QTRY_COMPARE_WITH_TIMEOUT(QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).size(), 1,
                              10000);
    const QString name = QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).first();
    QVERIFY2(QRegularExpression("^Snapshot-\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.JPG$")
                 .match(name)
                 .hasMatch(),
             qPrintable(name));
    const QImage snapshot(AppFolders::DocumentsFolder() + name);
    QVERIFY(!snapshot.isNull());
    QCOMPARE(snapshot.size(), QSize(320, 240));

    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Start, 20000);
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
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi",
                            "-i", "color=c=black:s=480x270:r=10:d=40", "-c:v", "mpeg4", film});
    QVERIFY(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
    QFile line(film.chopped(4) + ".srt");
    QVERIFY(line.open(QIODevice::WriteOnly));
    line.write("1\n00:00:00,000 --> 00:00:40,000\n" + text.toUtf8() + "\n");
    line.close();

    DRUI window;
    window.InitMainWindow();
    window.resize(1000, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
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
                             15000);
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
    QTRY_VERIFY_WITH_TIMEOUT(grab() > 0, 15000);
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
    DRUI window;
    window.InitMainWindow();
    window.show();
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
    QTRY_VERIFY_WITH_TIMEOUT(ui.Engine() && ColoursOnScreen(ui.VideoSurface()) > 8, 15000);
    ui.Session().SeekTo(90);
    QList<double> positions;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid)
            positions << event.value;
    });
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty() && positions.last() >= 91, 15000);
    const qint64 pid = ui.Engine()->ProcessId();
    QVERIFY(pid > 0);
    ::kill(pid_t(pid), signalNumber);
    QTRY_COMPARE_WITH_TIMEOUT(
        shown, GetText(("Messages/" + message).constData()).arg("crashing.mkv"), 30000);
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QVERIFY(!ui.IsPlaying());
    // The crash can be shown a moment before the engine's process is gone.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/%1/status").arg(pid)), 5000);
    // The place stands in the store, and Play goes back a little before it.
    QFile kept(store);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY2(kept.readAll().contains("crashing.mkv"), qPrintable(store));
    ui.VideoPlay();
    QTRY_VERIFY_WITH_TIMEOUT(ui.Engine(), 10000);
    positions.clear();
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid)
            positions << event.value;
    });
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 15000);
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
    const QString media = MakeMedia("crafted.mkv", 2, {"-metadata", "title=" + title});
    QVERIFY(!media.isEmpty());
    QDir(AppFolders::DocumentsFolder()).removeRecursively();

    DRUI window;
    window.InitMainWindow();
    window.show();
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ui.AudioTracks()->actions().size() == 3, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Start, 20000);
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
    const QString media = MakeMedia(
        "titled.mkv", 5,
        {"-metadata", "title=The (Quit) Song", "-metadata", "comment=" + comment, "-metadata:s:a:0",
         "title=My (End of file) movie", "-metadata:s:s:0", "title=x, -sid 9 (Quit)"});
    QVERIFY(!media.isEmpty());

    DRUI window;
    window.InitMainWindow();
    window.show();
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    // The streams' own titles name the entries, and add none.
    QTRY_COMPARE_WITH_TIMEOUT(
        Entries(ui.AudioTracks()),
        QStringList({"Disable", "Audio 1: My (End of file) movie*", "Audio 2"}), 15000);
    QCOMPARE(Entries(ui.SubtitleTracks()),
             QStringList({"Disable*", "Subtitle 1: x, -sid 9 (Quit)"}));
    // The titles reach the engine's output right after its video line; give them time to.
    QTest::qWait(1500);
    QCOMPARE(ui.PageStack()->currentIndex(), 2);
    QVERIFY(ui.IsPlaying());
    QCOMPARE(Entries(ui.SubtitleTracks()),
             QStringList({"Disable*", "Subtitle 1: x, -sid 9 (Quit)"}));
    // The real end of the file still ends the session.
    QTRY_COMPARE_WITH_TIMEOUT(ui.PageStack()->currentIndex(), 0, 20000);
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

    DRUI window;
    window.InitMainWindow();
    window.show();
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_COMPARE_WITH_TIMEOUT(ui.AudioTracks()->actions().size(), 3, 15000);
    QCOMPARE(ui.PageStack()->currentIndex(), 2);
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().last());
    QTRY_COMPARE_WITH_TIMEOUT(QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).size(), 1,
                              10000);
    const QString name = QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).first();
    QCOMPARE(QImage(AppFolders::DocumentsFolder() + name).size(), QSize(320, 240));
    // The engine's own file was taken and removed.
    QCOMPARE(QDir(AppFolders::AppDataFolder()).entryList({"*.png"}, QDir::Files), QStringList());
    QTRY_COMPARE_WITH_TIMEOUT(ui.PageStack()->currentIndex(), 0, 20000);
}

void SessionRealEngineTest::missingEngineIsReported()
{
    const QString media = MakeMedia("any.mkv", 1);
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toLocal8Bit());
    DRUI window;
    window.InitMainWindow();
    window.show();
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
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 5000);
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
    QTRY_VERIFY_WITH_TIMEOUT(!engineAlive(), 5000);
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

    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 15000);
    QList<double> positions;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid) {
            positions << event.value;
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 6, 10000);
    // The shown position is where the engine is, not where a timer count would put it.
    QVERIFY2(
        qAbs(positions.last() * 1000 - ui.ClockMs()) < 1000,
        qPrintable(
            QStringLiteral("engine %1 s, shown %2 ms").arg(positions.last()).arg(ui.ClockMs())));

    // Seek to 10 s, then pause.
    emit ui.Seek()->sliderPressed();
    emit ui.Seek()->sliderMoved(10);
    emit ui.Seek()->sliderReleased();
    QTest::qWait(1000);
    QTest::keyClick(&window, Qt::Key_Space);
    QVERIFY(!ui.IsPlaying());
    const qint64 shownAtPause = ui.ClockMs();
    QVERIFY2(shownAtPause >= 10000 && shownAtPause < 12500,
             qPrintable(QString::number(shownAtPause)));

    // Three seconds of volume, mute, unmute and balance while paused. The unmute returns to
    // the level chosen before the mute.
    emit ui.Volume()->sliderMoved(30);
    QTest::mouseClick(ui.VolumeButton(), Qt::LeftButton);
    QCOMPARE(ui.Volume()->value(), 0);
    QTest::qWait(700);
    QTest::mouseClick(ui.VolumeButton(), Qt::LeftButton);
    QCOMPARE(ui.Volume()->value(), 30);
    QCOMPARE(ui.Session().Volume(), 30);
    QTest::keyClick(&window, Qt::Key_Up);
    emit ui.AudioMenu()->triggered(ui.AudioChannels()->actions().at(1));
    QTest::qWait(2300);
    QCOMPARE(ui.ClockMs(), shownAtPause);

    // A snapshot while paused is written and the engine stays paused (the resume below
    // tells, from the engine's own position, whether it ran).
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(shots).entryList({"*.JPG"}, QDir::Files).size(), 1, 10000);
    QCOMPARE(QImage(shots + "/" + QDir(shots).entryList({"*.JPG"}, QDir::Files).first()).size(),
             QSize(320, 240));
    QTest::qWait(1500);
    QCOMPARE(ui.Session().CurrentState(), PlaybackSession::State::Paused);
    QCOMPARE(ui.PlayPause()->data().toString(), QStringLiteral("Resume"));
    QCOMPARE(ui.ClockMs(), shownAtPause);

    positions.clear();
    QTest::keyClick(&window, Qt::Key_Space);
    QVERIFY(ui.IsPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 5000);
    // Had the engine played on, it would be three seconds further.
    QVERIFY2(qAbs(positions.first() * 1000 - shownAtPause) < 1500,
             qPrintable(QStringLiteral("engine at %1 s, shown %2 ms")
                            .arg(positions.first())
                            .arg(shownAtPause)));

    // Two snapshots in one second, as PNG: both kept. (The engine's filter takes one frame
    // for requests that arrive before its next frame, so the second waits a few frames.)
    ui.SetSnapshotFormat("PNG");
    QTest::keyClick(&window, Qt::Key_S);
    QTest::qWait(200);
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(shots).entryList({"*.PNG"}, QDir::Files).size(), 2, 10000);
    for (const QString &name : QDir(shots).entryList({"*.PNG"}, QDir::Files)) {
        QCOMPARE(QImageReader(shots + "/" + name).format(), QByteArray("png"));
    }
    ui.SetSnapshotFormat("BMP");
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_COMPARE_WITH_TIMEOUT(QDir(shots).entryList({"*.BMP"}, QDir::Files).size(), 1, 10000);
    const QString bmp = QDir(shots).entryList({"*.BMP"}, QDir::Files).first();
    QCOMPARE(QImageReader(shots + "/" + bmp).format(), QByteArray("bmp"));
    QCOMPARE(QImage(shots + "/" + bmp).size(), QSize(320, 240));
    window.StopBtn();
}

// A square film stays square beside the playlist, at half size and in full screen, with
// black bars where the window is wider than the film.
void SessionRealEngineTest::pictureKeepsItsShape()
{
    const QString media = MakeMedia("square.mkv", 20, {"-vf", "scale=200:200,setsar=1"});
    QVERIFY(!media.isEmpty());
    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 15000);

    const auto checkSquare = [&](const char *where) {
        QLabel *surface = ui.VideoSurface();
        QTRY_VERIFY2_WITH_TIMEOUT(qAbs(surface->width() - surface->height()) <= 1,
                                  qPrintable(QStringLiteral("%1: %2x%3")
                                                 .arg(where)
                                                 .arg(surface->width())
                                                 .arg(surface->height())),
                                  5000);
        // The bars beside the picture are black on screen; the picture is not.
        QWidget *page = surface->parentWidget();
        QVERIFY(page->width() > surface->width() + 20);
        const QImage grab = page->screen()->grabWindow(page->winId()).toImage();
        QCOMPARE(QColor(grab.pixel(5, grab.height() / 2)), QColor(Qt::black));
        QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(surface) > 8, 5000);
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
    const QString media = MakeMedia("sparse.mkv", 90, {"-g", "250"});
    QVERIFY(!media.isEmpty());
    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), 90, 10000);
    // Each engine answer beside the shown position once the window has taken it.
    QList<double> answers;
    QList<qint64> shown;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid) {
            answers << event.value;
            shown << ui.ClockMs();
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(answers.size() >= 2, 10000);

    QTest::keyClick(&window, Qt::Key_Right);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 55000, 5000);
    answers.clear();
    shown.clear();
    // Five seconds of answers after the step.
    QTRY_VERIFY_WITH_TIMEOUT(answers.size() >= 10, 20000);
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
    DRUI window;
    window.InitMainWindow();
    window.show();
    DRUITestAccess ui(window);
    const QStringList firstChosen{"Disable", "Audio 1*", "Audio 2"};

    window.OpenMediaFiles({first});
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.AudioTracks()), firstChosen, 15000);
    emit ui.AudioMenu()->triggered(ui.AudioTracks()->actions().at(2));
    QCOMPARE(Entries(ui.AudioTracks()), QStringList({"Disable", "Audio 1", "Audio 2*"}));

    window.OpenMediaFiles({second});
    QTRY_VERIFY_WITH_TIMEOUT(Plays(ui, second), 15000);
    QCOMPARE(Entries(ui.AudioTracks()), firstChosen);
    QCOMPARE(ui.Session().AudioChoice(), 1);

    window.OpenMediaFiles({silent});
    QTRY_VERIFY_WITH_TIMEOUT(Plays(ui, silent), 15000);
    QCOMPARE(Entries(ui.AudioTracks()), QStringList());
    QCOMPARE(Entries(ui.SubtitleTracks()), QStringList());

    window.OpenMediaFiles({first});
    QTRY_VERIFY_WITH_TIMEOUT(Plays(ui, first), 15000);
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

    DRUI window;
    window.InitMainWindow();
    window.show();
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
        QTRY_VERIFY_WITH_TIMEOUT(LiveChildren().isEmpty(), 10000);
        QTest::mouseClick(ui.PlayButton(), Qt::LeftButton);
    } else {
        window.OpenMediaFiles({path});
    }
    QTRY_VERIFY_WITH_TIMEOUT(!shown.isEmpty(), 20000);
    QVERIFY2(shown.contains(QFileInfo(path).fileName()), qPrintable(shown));
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QVERIFY(!ui.IsPlaying());
    QTRY_VERIFY2_WITH_TIMEOUT(LiveChildren().isEmpty(), qPrintable(LiveChildren().join(", ")),
                              10000);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// "--play FILE": plays the file in a window and prints the engine's process id, for
// engineDiesWithThePlayer.
static int PlayAndWait(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    DRUI window;
    window.InitMainWindow();
    window.show();
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
    const QString chapters = dir.filePath("chapters.txt");
    QFile meta(chapters);
    QVERIFY(meta.open(QIODevice::WriteOnly));
    meta.write(";FFMETADATA1\n");
    for (const auto &[start, end] : {std::pair{0, 40000}, {40000, 100000}, {100000, 240000}}) {
        meta.write(QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\n")
                       .arg(start)
                       .arg(end)
                       .toUtf8());
    }
    meta.close();
    const QString film = dir.filePath("long film.mkv");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner",
                            "-nostdin",
                            "-y",
                            "-loglevel",
                            "error",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc=size=160x120:rate=10:duration=240",
                            "-f",
                            "lavfi",
                            "-i",
                            "sine=duration=240",
                            "-i",
                            chapters,
                            "-map_metadata",
                            "2",
                            "-map",
                            "0",
                            "-map",
                            "1",
                            "-c:v",
                            "mpeg4",
                            "-g",
                            "10",
                            "-c:a",
                            "mp2",
                            film});
    QVERIFY(ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0);
    QFile side(dir.filePath("long film.srt"));
    QVERIFY(side.open(QIODevice::WriteOnly));
    side.write("1\n00:00:00,000 --> 00:04:00,000\nWords on the picture\n");
    side.close();

    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
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
    QTRY_COMPARE_WITH_TIMEOUT(ui.ChapterSubmenu()->actions().size(), 3, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.SubtitleTracks()),
                              QStringList({"Disable", "long film.srt*"}), 15000);
    emit ui.VideoMenu()->triggered(ui.SubtitleTracks()->actions().first());
    QTRY_COMPARE(Entries(ui.SubtitleTracks()), QStringList({"Disable*", "long film.srt"}));

    // The third chapter starts at 100 s.
    emit ui.ControlsMenu()->triggered(ui.ChapterSubmenu()->actions().at(2));
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty() && positions.last() >= 99, 15000);

    // Stopped there, the film opens again a little before it, with the subtitle still off.
    QTest::qWait(1500);
    window.StopBtn();
    window.OpenMediaFiles({film});
    window.repaint();
    QVERIFY2(ui.Status()->text().contains(GetText("MainWnd/ResumedAt").section('%', 0, 0)),
             qPrintable(ui.Status()->text()));
    QTRY_VERIFY(ui.Engine());
    watch();
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 15000);
    QVERIFY2(positions.first() >= 90 && positions.first() <= 105,
             qPrintable(QString::number(positions.first())));
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ui.SubtitleTracks()),
                              QStringList({"Disable*", "long film.srt"}), 15000);

    // Start Over goes back to the beginning; stopped within the first minute, nothing is kept.
    for (QAction *entry : ui.ControlsMenu()->actions()) {
        if (entry->data().toString() == "StartOver") {
            emit ui.ControlsMenu()->triggered(entry);
        }
    }
    positions.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty() && positions.last() < 10, 10000);
    window.StopBtn();
    window.OpenMediaFiles({film});
    QTRY_VERIFY(ui.Engine());
    watch();
    QTRY_VERIFY_WITH_TIMEOUT(!positions.isEmpty(), 15000);
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
    QTRY_VERIFY_WITH_TIMEOUT(ui.Engine() && ui.Engine()->Arguments().last() == second, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Start, 20000);
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
