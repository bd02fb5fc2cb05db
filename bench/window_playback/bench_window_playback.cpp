// What the window adds to the engine: the time from "open" to the engine's first "VIDEO: "
// line and to the first frame visible in the window, for the player and for the bare engine
// started alone with the same arguments into a plain window, as medians and ratios; then the
// front end's CPU and memory over a few seconds of playback. Three roads into the player:
// OpenMediaFiles called directly, the open dialog (from its accept), and a second start of
// the program handing the file to the running window (from the second start's launch); then
// two disc roads: Play Movie on a Blu-ray folder's disc page (from the click) and a DVD
// folder, which plays when it is opened. Each road is set beside the bare engine started with
// the very arguments the player gave its engine on that road (only the window differs). Every
// clock starts with the window painted and nothing from the road before still running (the
// length probe and the DVD listing follow a picture by a moment and would slow the next road).
// Not a test. Run by hand under X (a display below 10), e.g.
//   DISPLAY=:5 build/bin/bench_window_playback 7
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "DvdFolderBuilder.h"
#include "engine/DurationProbe.h"
#include "engine/EngineProcess.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int TimeoutMs = 30000;

struct Startup
{
    double videoLineMs = -1;
    double firstFrameMs = -1;
    // The hand-over road only: when the window had the request, when the engine was
    // started, and when the second start had ended.
    double requestMs = -1;
    double engineStartedMs = -1;
    double secondExitMs = -1;
    // The open dialog's road only: when the dialog was destroyed, and whether the engine
    // had been started by then.
    double dialogGoneMs = -1;
    bool engineBeforeDialogGone = false;
    // This process's CPU time from the clock's start to the first frame: the window's own work
    // that competes with the engine on the road (the polling for the picture is on every road).
    double ownCpuMs = -1;
    // The engine's main thread when it printed its "VIDEO: " line: time on a core and time
    // waiting for one. The work is the same on every road, so a road slower in time but not
    // on a core waited for a core or for the X server.
    double engineRunMs = -1;
    double engineWaitMs = -1;
    // The size of the window the engine draws into when its first frame is seen.
    QSize surfaceSize;
    // The player's engine command line on this road, for the bare engine beside it.
    QStringList arguments;
};

double OwnCpuSeconds();
double CpuSeconds(qint64 pid);
void NoteEngineThread(qint64 pid, Startup &result);

// Colour bars give many colours; an empty surface gives one or two.
bool ShowsPicture(QWidget *surface)
{
    const QImage image = surface->screen()
                             ->grabWindow(surface->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 8) {
        for (int x = 0; x < image.width(); x += 8) {
            colours.insert(image.pixel(x, y) & 0xF0F0F0);
            if (colours.size() > 8) {
                return true;
            }
        }
    }
    return false;
}

// Waits until the surface shows a picture, polling every 5 ms; returns the elapsed time.
double WaitForPicture(QWidget *surface, const QElapsedTimer &clock)
{
    QEventLoop loop;
    double result = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (ShowsPicture(surface)) {
            result = clock.nsecsElapsed() / 1e6;
            loop.quit();
        } else if (clock.elapsed() > TimeoutMs) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
    return result;
}

// A new player window, built and shown as at the program's start, with the tests' view of it.
struct ShownWindow
{
    ShownWindow() : ui(window)
    {
        window.InitMainWindow();
        window.show();
        QApplication::processEvents();
    }
    DRUI window;
    DRUITestAccess ui;
};

// Waits for the engine's "VIDEO: " line, then for the picture; the clock started at "open".
void WaitForVideo(DRUITestAccess &ui, const QElapsedTimer &clock, Startup &result)
{
    if (ui.Engine()) {
        result.arguments = ui.Engine()->Arguments();
        QEventLoop loop;
        QObject::connect(
            ui.Engine(), &EngineProcess::eventReceived, &loop, [&](const EngineEvent &event) {
                if (event.kind == EngineEvent::Kind::VideoStarted && result.videoLineMs < 0) {
                    result.videoLineMs = clock.nsecsElapsed() / 1e6;
                    NoteEngineThread(ui.Engine()->ProcessId(), result);
                    loop.quit();
                }
            });
        QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    result.firstFrameMs = WaitForPicture(ui.VideoSurface(), clock);
    result.surfaceSize = ui.VideoSurface()->size();
}

// Whether a process this one started still runs: the length probe or the DVD listing that a
// road leaves behind, an engine still quitting. No clock starts beside one.
bool ChildRunning()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (children.open(QIODevice::ReadOnly) && !children.readAll().trimmed().isEmpty()) {
            return true;
        }
    }
    return false;
}

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Before a road's clock starts: the window is mapped and painted, as a window the user has
// open is, and what the last road left running has ended. The probe and the DVD listing start
// a moment after the picture, so that moment is waited out first.
void Settle(QWidget *window)
{
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) &&
           waited.elapsed() < TimeoutMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    Wait(500);
    while (ChildRunning() && waited.elapsed() < TimeoutMs) {
        Wait(20);
    }
    Wait(200);
}

Startup ThroughPlayer(const QString &media)
{
    ShownWindow shown;
    DRUI &window = shown.window;
    DRUITestAccess &ui = shown.ui;
    Settle(&window);
    Startup result;
    QElapsedTimer clock;
    clock.start();
    window.OpenMediaFiles({media});
    WaitForVideo(ui, clock, result);
    window.StopBtn();
    return result;
}

// The open dialog's road: the clock starts when the user's choice is accepted.
Startup ThroughDialog(const QString &media)
{
    ShownWindow shown;
    DRUI &window = shown.window;
    DRUITestAccess &ui = shown.ui;
    Settle(&window);
    Startup result;
    QElapsedTimer clock;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        poll.stop();
        QObject::connect(dialog, &QObject::destroyed, [&] {
            result.dialogGoneMs = clock.nsecsElapsed() / 1e6;
            result.engineBeforeDialogGone = ui.Engine() != nullptr;
        });
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(media);
        clock.start();
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    poll.start(20);
    window.btnOpenFile();
    WaitForVideo(ui, clock, result);
    window.StopBtn();
    return result;
}

// Play Movie on a Blu-ray folder's disc page: the clock starts at the click.
Startup ThroughDiscTitle(const QString &folder)
{
    ShownWindow shown;
    DRUI &window = shown.window;
    DRUITestAccess &ui = shown.ui;
    Settle(&window);
    QEventLoop page;
    QObject::connect(
        &window.Controller(), &PlayerController::changed, &page,
        [&page](StateChanges what) {
            if (what & StateChange::Disc)
                page.quit();
        },
        Qt::QueuedConnection);
    QTimer::singleShot(TimeoutMs, &page, &QEventLoop::quit);
    window.OpenDiscFolder(folder);
    page.exec();
    Startup result;
    QElapsedTimer clock;
    clock.start();
    ui.PlayMovieEntry()->trigger();
    WaitForVideo(ui, clock, result);
    window.StopBtn();
    return result;
}

// A DVD folder plays when it is opened: the clock starts with the opening.
Startup ThroughDvd(const QString &folder)
{
    ShownWindow shown;
    DRUI &window = shown.window;
    DRUITestAccess &ui = shown.ui;
    Settle(&window);
    Startup result;
    QElapsedTimer clock;
    clock.start();
    window.OpenDiscFolder(folder);
    WaitForVideo(ui, clock, result);
    window.StopBtn();
    return result;
}

// The hand-over road: the window runs and listens as the program's first instance does; the
// clock starts when the program is started a second time with the file.
Startup ThroughSecondStart(DRUI &window, SingleInstance &instance, const QString &media)
{
    DRUITestAccess ui(window);
    Startup result;
    QElapsedTimer clock;
    const QMetaObject::Connection noted =
        QObject::connect(&instance, &SingleInstance::openRequested,
                         [&] { result.requestMs = clock.nsecsElapsed() / 1e6; });
    // Connected after the window's own slot, so the engine has been started by then.
    const QMetaObject::Connection started =
        QObject::connect(&instance, &SingleInstance::openRequested, [&] {
            if (ui.Engine()) {
                result.engineStartedMs = clock.nsecsElapsed() / 1e6;
            }
        });
    QProcess second;
    QObject::connect(&second, &QProcess::finished,
                     [&] { result.secondExitMs = clock.nsecsElapsed() / 1e6; });
    Settle(&window);
    const double cpuAtStart = OwnCpuSeconds();
    clock.start();
    second.start(QCoreApplication::applicationDirPath() + QStringLiteral("/orvel-bluray-player"),
                 {media});
    // The window starts the engine when the request arrives; wait for that first.
    QEventLoop arrival;
    QObject::connect(&instance, &SingleInstance::openRequested, &arrival, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(TimeoutMs, &arrival, &QEventLoop::quit);
    arrival.exec();
    WaitForVideo(ui, clock, result);
    result.ownCpuMs = (OwnCpuSeconds() - cpuAtStart) * 1000;
    second.waitForFinished(TimeoutMs);
    QObject::disconnect(noted);
    QObject::disconnect(started);
    window.StopBtn();
    return result;
}

// The bare engine with the player's arguments for a road, drawing into a plain window.
Startup Bare(QStringList arguments, QWidget *surface)
{
    Startup result;
    const qsizetype window = arguments.indexOf(QStringLiteral("-wid"));
    if (window < 0 || window + 1 >= arguments.size())
        return result;
    arguments[window + 1] = QString::number(surface->winId());
    QProcess engine;
    // As the player runs it: what the engine writes to its error output goes nowhere.
    engine.setStandardErrorFile(QProcess::nullDevice());
    QByteArray output;
    QEventLoop loop;
    QElapsedTimer clock;
    QObject::connect(&engine, &QProcess::readyReadStandardOutput, &loop, [&] {
        output += engine.readAllStandardOutput();
        if (result.videoLineMs < 0 && output.contains("VIDEO: ")) {
            result.videoLineMs = clock.nsecsElapsed() / 1e6;
            NoteEngineThread(engine.processId(), result);
            loop.quit();
        }
    });
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    Settle(surface);
    const double cpuAtStart = OwnCpuSeconds();
    clock.start();
    engine.setWorkingDirectory(AppFolders::AppDataFolder());
    engine.start(EngineLocator::EnginePath(), arguments);
    // The same moment as the hand-over road's: the engine's program is running.
    result.engineStartedMs = clock.nsecsElapsed() / 1e6;
    loop.exec();
    result.firstFrameMs = WaitForPicture(surface, clock);
    result.surfaceSize = surface->size();
    result.ownCpuMs = (OwnCpuSeconds() - cpuAtStart) * 1000;
    engine.kill();
    engine.waitForFinished(3000);
    return result;
}

double Median(std::vector<double> values)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }),
                 values.end());
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// User plus system CPU time of a process in seconds, from /proc.
double CpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the file; the split starts at field 3.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

// The scheduler's own account of a process's main thread, in nanoseconds.
void NoteEngineThread(qint64 pid, Startup &result)
{
    QFile stat(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> fields = stat.readAll().trimmed().split(' ');
    result.engineRunMs = fields.value(0).toDouble() / 1e6;
    result.engineWaitMs = fields.value(1).toDouble() / 1e6;
}

// This process's own CPU time, to the microsecond (the /proc figures count 10 ms ticks,
// too coarse for a front end that mostly waits).
double OwnCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 StatusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    // A runtime folder of its own, so the second starts find this process's window and no
    // player the user may be running.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 7;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        fprintf(stderr, "run under X: the engine draws into an X11 window\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString media = dir.filePath("bench.mkv");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                            "testsrc=size=640x360:rate=25:duration=20", "-f", "lavfi", "-i",
                            "sine=frequency=440:duration=20", "-c:v", "mpeg4", "-q:v", "4", "-c:a",
                            "mp2", media});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        fprintf(stderr, "ffmpeg could not make the test file\n");
        return 1;
    }

    const QString bluRay = dir.filePath("bluray");
    const QString dvd = dir.filePath("dvd");
    {
        BluRayFolderBuilder disc;
        disc.AddClip("00001", 20, {"eng"}, {});
        disc.AddPlaylist("00001.mpls", {"00001"}, {0});
        QString error;
        DvdFolderBuilder dvdDisc;
        dvdDisc.seconds = 20;
        if (!disc.Build(bluRay, &error) || !dvdDisc.Build(dvd, &error)) {
            fprintf(stderr, "could not build the test discs: %s\n", qPrintable(error));
            return 1;
        }
    }

    QLabel bareSurface;
    bareSurface.setAttribute(Qt::WA_NativeWindow);
    bareSurface.setStyleSheet("background-color: black;");
    bareSurface.resize(1000, 558);
    bareSurface.show();

    std::vector<double> probe;
    {
        DRUI prepare; // copies the probe tool into the data folder
        prepare.InitMainWindow();
    }
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        ProbeDuration(EngineLocator::ProbeToolToRun(AppFolders::AppDataFolder()), media);
        probe.push_back(clock.nsecsElapsed() / 1e6);
    }

    SingleInstance instance(SingleInstance::DefaultLockPath(), SingleInstance::DefaultServerName());
    if (instance.IsOtherInstanceRunning() || !instance.Listen()) {
        fprintf(stderr, "could not listen as the running window\n");
        return 1;
    }
    DRUI running;
    running.InitMainWindow();
    QObject::connect(&instance, &SingleInstance::openRequested, &running, &DRUI::OpenPaths);
    QObject::connect(&instance, &SingleInstance::showRequested, &running,
                     &DRUI::ShowFromOtherInstance);

    std::vector<double> playerVideo, playerFrame, dialogVideo, dialogFrame, handVideo, handFrame;
    std::vector<double> handRequest, handEngine, handExit, bareVideo, bareFrame, dialogGone;
    std::vector<double> handCpu, bareCpu, bareEngine, handPerRound;
    std::vector<double> titleVideo, titleFrame, bareTitleVideo, bareTitleFrame;
    std::vector<double> dvdVideo, dvdFrame, bareDvdVideo, bareDvdFrame;
    int engineFirst = 0;
    for (int run = 0; run < runs; ++run) {
        const Startup player = ThroughPlayer(media);
        const Startup dialog = ThroughDialog(media);
        // The hand-over road is bracketed by the bare engine, so that its own ratio is
        // taken against the machine of that moment. The running window is hidden meanwhile:
        // over the bare engine's surface it would be grabbed in place of its picture.
        const Startup bareBefore = Bare(player.arguments, &bareSurface);
        running.show();
        const Startup handed = ThroughSecondStart(running, instance, media);
        running.hide();
        const Startup bare = Bare(player.arguments, &bareSurface);
        const Startup title = ThroughDiscTitle(bluRay);
        const Startup bareTitle = Bare(title.arguments, &bareSurface);
        const Startup dvdRun = ThroughDvd(dvd);
        const Startup bareDvd = Bare(dvdRun.arguments, &bareSurface);
        titleVideo.push_back(title.videoLineMs);
        titleFrame.push_back(title.firstFrameMs);
        bareTitleVideo.push_back(bareTitle.videoLineMs);
        bareTitleFrame.push_back(bareTitle.firstFrameMs);
        dvdVideo.push_back(dvdRun.videoLineMs);
        dvdFrame.push_back(dvdRun.firstFrameMs);
        bareDvdVideo.push_back(bareDvd.videoLineMs);
        bareDvdFrame.push_back(bareDvd.firstFrameMs);
        playerVideo.push_back(player.videoLineMs);
        playerFrame.push_back(player.firstFrameMs);
        dialogVideo.push_back(dialog.videoLineMs);
        dialogFrame.push_back(dialog.firstFrameMs);
        dialogGone.push_back(dialog.dialogGoneMs);
        engineFirst += dialog.engineBeforeDialogGone ? 1 : 0;
        handVideo.push_back(handed.videoLineMs);
        handFrame.push_back(handed.firstFrameMs);
        handRequest.push_back(handed.requestMs);
        handEngine.push_back(handed.engineStartedMs);
        handExit.push_back(handed.secondExitMs);
        handCpu.push_back(handed.ownCpuMs);
        bareCpu.push_back(bare.ownCpuMs);
        bareEngine.push_back(bare.engineStartedMs);
        handPerRound.push_back(2 * handed.firstFrameMs /
                               (bareBefore.firstFrameMs + bare.firstFrameMs));
        bareVideo.push_back(bare.videoLineMs);
        bareFrame.push_back(bare.firstFrameMs);
        printf("run %d (VIDEO line / first frame): player %.1f / %.1f ms, dialog %.1f / %.1f ms, "
               "second start %.1f / %.1f ms, bare engine %.1f / %.1f ms\n",
               run + 1, player.videoLineMs, player.firstFrameMs, dialog.videoLineMs,
               dialog.firstFrameMs, handed.videoLineMs, handed.firstFrameMs, bare.videoLineMs,
               bare.firstFrameMs);
        printf("      bare engine just before the second start %.1f / %.1f ms\n",
               bareBefore.videoLineMs, bareBefore.firstFrameMs);
        printf(
            "      second start: request %.1f ms, engine started %.1f ms, ended %.1f ms; "
            "this process's CPU to the first frame %.1f ms (bare engine road %.1f ms); "
            "drawing into %dx%d (bare engine %dx%d); at its VIDEO line the engine had run %.1f ms "
            "and waited %.1f ms for a core (bare %.1f / %.1f ms)\n",
            handed.requestMs, handed.engineStartedMs, handed.secondExitMs, handed.ownCpuMs,
            bare.ownCpuMs, handed.surfaceSize.width(), handed.surfaceSize.height(),
            bare.surfaceSize.width(), bare.surfaceSize.height(), handed.engineRunMs,
            handed.engineWaitMs, bare.engineRunMs, bare.engineWaitMs);
        printf("      Blu-ray title %.1f / %.1f ms, bare %.1f / %.1f ms; DVD %.1f / %.1f ms, bare "
               "%.1f / %.1f ms\n",
               title.videoLineMs, title.firstFrameMs, bareTitle.videoLineMs, bareTitle.firstFrameMs,
               dvdRun.videoLineMs, dvdRun.firstFrameMs, bareDvd.videoLineMs, bareDvd.firstFrameMs);
    }
    const double bv = Median(bareVideo), bf = Median(bareFrame);
    printf(
        "\nmedian over %d runs                     \"VIDEO: \" line  ratio   first frame  ratio\n",
        runs);
    const auto row = [bv, bf](const char *road, const std::vector<double> &video,
                              const std::vector<double> &frame) {
        const double v = Median(video), f = Median(frame);
        printf("%-38s %8.1f ms  %5.2f  %8.1f ms  %5.2f\n", road, v, v / bv, f, f / bf);
    };
    row("bare engine", bareVideo, bareFrame);
    row("player, OpenMediaFiles", playerVideo, playerFrame);
    row("player, open dialog (from accept)", dialogVideo, dialogFrame);
    row("player, second start (from launch)", handVideo, handFrame);
    // Each disc road against the bare engine with that road's own arguments.
    const auto discRow = [](const char *road, const std::vector<double> &video,
                            const std::vector<double> &frame, const std::vector<double> &bareV,
                            const std::vector<double> &bareF) {
        const double v = Median(video), f = Median(frame);
        const double rv = Median(bareV), rf = Median(bareF);
        printf("%-38s %8.1f ms  %5.2f  %8.1f ms  %5.2f   (bare engine %.1f / %.1f ms)\n", road, v,
               v / rv, f, f / rf, rv, rf);
    };
    discRow("player, Blu-ray Play Movie (click)", titleVideo, titleFrame, bareTitleVideo,
            bareTitleFrame);
    discRow("player, DVD folder (open)", dvdVideo, dvdFrame, bareDvdVideo, bareDvdFrame);
    printf("second start road, medians from the launch: the window has the request at %.1f ms, "
           "the engine is started at %.1f ms, the second start has ended at %.1f ms\n",
           Median(handRequest), Median(handEngine), Median(handExit));
    printf("the second start's own cost before its engine runs: %.1f ms (median engine start "
           "%.1f ms from the launch, the bare engine's %.1f ms from its own start); first frame "
           "against the mean of the bare engine just before and just after it, median of the "
           "rounds' ratios %.2f\n",
           Median(handEngine) - Median(bareEngine), Median(handEngine), Median(bareEngine),
           Median(handPerRound));
    printf("this process's CPU time from the start to the first frame, medians: second start "
           "road %.1f ms, bare engine road %.1f ms\n",
           Median(handCpu), Median(bareCpu));
    printf("open dialog road: the dialog is destroyed %.1f ms after the accept (median); the "
           "engine had been started by then in %d of %d runs\n",
           Median(dialogGone), engineFirst, runs);
    printf("probing the file's length alone takes %.1f ms (median); the player runs it beside "
           "the engine, off the road to the first frame\n",
           Median(probe));

    // The front end's own cost while a file plays: CPU share and memory over 5 s.
    bareSurface.hide();
    DRUI window;
    window.InitMainWindow();
    window.show();
    DRUITestAccess ui(window);
    window.OpenMediaFiles({media});
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    const qint64 enginePid = ui.Engine() ? ui.Engine()->ProcessId() : 0;
    const double frontStart = OwnCpuSeconds();
    const double engineStart = CpuSeconds(enginePid);
    QElapsedTimer wall;
    wall.start();
    QEventLoop play;
    QTimer::singleShot(5000, &play, &QEventLoop::quit);
    play.exec();
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double frontCpu = (OwnCpuSeconds() - frontStart) / seconds;
    const double engineCpu = (CpuSeconds(enginePid) - engineStart) / seconds;
    printf("\nwhile playing (%.1f s): front end %.2f %% of a core, engine %.1f %% of a "
           "core, front end / engine %.3f\n",
           seconds, frontCpu * 100, engineCpu * 100, engineCpu > 0 ? frontCpu / engineCpu : 0);
    printf("front end memory: resident %lld KiB, peak %lld KiB\n", StatusKiB("VmRSS:"),
           StatusKiB("VmHWM:"));
    window.StopBtn();
    return 0;
}
