// What the window adds to the engine: the time from "open" to the engine's first "VIDEO: "
// line and to the first frame visible in the window, for the player and for the bare engine
// started alone with the same arguments into a plain window, as medians and ratios; then the
// front end's CPU and memory over a few seconds of playback.
// Not a test. Run by hand under X (a display below 10), e.g.
//   DISPLAY=:5 build/bin/bench_window_playback 7
#include "DRUITestAccess.h"
#include "engine/DurationProbe.h"
#include "engine/EngineCommandLine.h"
#include "engine/EngineProcess.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

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
};

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

Startup ThroughPlayer(const QString &media)
{
    DRUI window;
    window.InitMainWindow();
    window.show();
    QApplication::processEvents();
    DRUITestAccess ui(window);
    Startup result;
    QElapsedTimer clock;
    clock.start();
    window.OpenMediaFiles({media});
    if (ui.Engine()) {
        QEventLoop loop;
        QObject::connect(
            ui.Engine(), &EngineProcess::eventReceived, &loop, [&](const EngineEvent &event) {
                if (event.kind == EngineEvent::Kind::VideoStarted && result.videoLineMs < 0) {
                    result.videoLineMs = clock.nsecsElapsed() / 1e6;
                    loop.quit();
                }
            });
        QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    result.firstFrameMs = WaitForPicture(ui.VideoSurface(), clock);
    window.StopBtn();
    return result;
}

Startup Bare(const QString &media, QWidget *surface)
{
    Startup result;
    QProcess engine;
    QByteArray output;
    QEventLoop loop;
    QElapsedTimer clock;
    QObject::connect(&engine, &QProcess::readyReadStandardOutput, &loop, [&] {
        output += engine.readAllStandardOutput();
        if (result.videoLineMs < 0 && output.contains("VIDEO: ")) {
            result.videoLineMs = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    clock.start();
    engine.setWorkingDirectory(AppFolders::AppDataFolder());
    engine.start(EngineLocator::EnginePath(),
                 EngineArguments(EngineSource::MediaFile, media, surface->winId()));
    loop.exec();
    result.firstFrameMs = WaitForPicture(surface, clock);
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
        ProbeDuration(EngineLocator::ProbeToolCopy(AppFolders::AppDataFolder()), media);
        probe.push_back(clock.nsecsElapsed() / 1e6);
    }

    std::vector<double> playerVideo, playerFrame, bareVideo, bareFrame;
    for (int run = 0; run < runs; ++run) {
        const Startup player = ThroughPlayer(media);
        const Startup bare = Bare(media, &bareSurface);
        playerVideo.push_back(player.videoLineMs);
        playerFrame.push_back(player.firstFrameMs);
        bareVideo.push_back(bare.videoLineMs);
        bareFrame.push_back(bare.firstFrameMs);
        printf("run %d: player %.1f / %.1f ms, bare engine %.1f / %.1f ms (VIDEO line / first "
               "frame)\n",
               run + 1, player.videoLineMs, player.firstFrameMs, bare.videoLineMs,
               bare.firstFrameMs);
    }
    const double pv = Median(playerVideo), pf = Median(playerFrame);
    const double bv = Median(bareVideo), bf = Median(bareFrame);
    printf("\nmedian over %d runs      player    bare engine   ratio\n", runs);
    printf("open to \"VIDEO: \" line  %7.1f ms  %7.1f ms    %.2f\n", pv, bv, pv / bv);
    printf("open to first frame     %7.1f ms  %7.1f ms    %.2f\n", pf, bf, pf / bf);
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
