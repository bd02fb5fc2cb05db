// Time from starting the engine to its first "VIDEO: " line, through EngineProcess and for
// the bare engine started with QProcess and the same arguments, as medians over several
// runs. Not a test: run by hand, e.g.  build/bin/bench_engine_startup 15
// Needs mplayer (or a "Player" beside the program) and ffmpeg; no display.

#include "engine/EngineCommandLine.h"
#include "engine/EngineProcess.h"
#include "platform/EngineLocator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int TimeoutMs = 30000;

// Milliseconds to the first "VIDEO: " event through the wrapper; negative on failure.
double ThroughWrapper(const QString &program, const QStringList &arguments)
{
    EngineProcess engine;
    QEventLoop loop;
    QElapsedTimer clock;
    double result = -1;
    QObject::connect(&engine, &EngineProcess::eventReceived, &loop, [&](const EngineEvent &e) {
        if (e.kind == EngineEvent::Kind::VideoStarted && result < 0) {
            result = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QObject::connect(&engine, &EngineProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&engine, &EngineProcess::startFailed, &loop, &QEventLoop::quit);
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    clock.start();
    engine.Start(program, arguments);
    loop.exec();
    engine.Kill();
    return result;
}

// The same for the engine alone: QProcess with default settings, output searched as it
// comes.
double Bare(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QEventLoop loop;
    QElapsedTimer clock;
    QByteArray output;
    double result = -1;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        output += process.readAllStandardOutput();
        if (result < 0 && output.contains("VIDEO: ")) {
            result = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    clock.start();
    process.start(program, arguments);
    loop.exec();
    process.kill();
    process.waitForFinished(3000);
    return result;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 9;

    const QString program = EngineLocator::EnginePath();
    if (program.isEmpty()) {
        std::fprintf(stderr, "no engine: looked for %s\n",
                     qPrintable(EngineLocator::EngineSearchDescription()));
        return 1;
    }
    QTemporaryDir folder;
    const QString media = folder.filePath("bench.mkv");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-hide_banner", "-loglevel", "error", "-nostdin", "-f", "lavfi", "-i",
                  "testsrc=size=640x360:rate=25:duration=10", "-f", "lavfi", "-i",
                  "sine=frequency=440:duration=10", "-c:v", "libx264", "-c:a", "aac", media});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAllStandardError().constData());
        return 1;
    }
    const QStringList arguments =
        HeadlessEngineArguments(EngineArguments(EngineSource::MediaFile, media, 0));

    std::printf("engine: %s\nruns: %d\n", qPrintable(program), runs);
    QList<double> wrapped;
    QList<double> bare;
    // Alternate the order so that neither side always runs with a warm cache.
    for (int i = 0; i < runs; ++i) {
        double w, b;
        if (i % 2) {
            b = Bare(program, arguments);
            w = ThroughWrapper(program, arguments);
        } else {
            w = ThroughWrapper(program, arguments);
            b = Bare(program, arguments);
        }
        if (w < 0 || b < 0) {
            std::fprintf(stderr, "run %d: no VIDEO line\n", i + 1);
            return 1;
        }
        wrapped << w;
        bare << b;
        std::printf("run %2d: EngineProcess %7.1f ms   bare engine %7.1f ms\n", i + 1, w, b);
    }
    const double w = Median(wrapped);
    const double b = Median(bare);
    std::printf("median to first \"VIDEO: \": EngineProcess %.1f ms, bare engine %.1f ms, "
                "ratio %.3f\n",
                w, b, w / b);
    return 0;
}
