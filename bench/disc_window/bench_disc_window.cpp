// How long the window is blocked while it loads a Blu-ray folder with many playlists: the
// longest stretch in which its event loop could not run (a 1 ms timer measures the gaps),
// beside the time to the disc page and the scan alone in the same run. The same as CPU time
// of the whole process, which a busy machine does not stretch as it stretches the wall
// clock, and the memory the loaded disc holds over the idle window (resident and unique).
// Not a test. Run by hand under X, e.g.
//   DISPLAY=:5 build/bin/bench_disc_window 2000 7
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "disc/BluRayScan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Resident and unique (private) memory of this process in KiB, from smaps_rollup.
struct Memory
{
    double residentKiB = 0;
    double uniqueKiB = 0;
};

Memory MemoryNow()
{
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    Memory memory;
    if (!rollup.open(QIODevice::ReadOnly))
        return memory;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        if (fields[0] == "Rss:")
            memory.residentKiB = fields[1].toDouble();
        else if (fields[0] == "Private_Clean:" || fields[0] == "Private_Dirty:")
            memory.uniqueKiB += fields[1].toDouble();
    }
    return memory;
}

struct Load
{
    double callMs = 0;       // OpenDiscFolder until it returns
    double longestGapMs = 0; // the longest time the event loop did not run
    double pageMs = 0;       // until the disc page shows
    double cpuMs = 0;        // the process's CPU time until the disc page shows
    Memory held;             // what the loaded disc holds over the idle window
};

Load LoadOnce(const QString &folder)
{
    DRUI window;
    window.InitMainWindow();
    window.show();
    QApplication::processEvents();
    DRUITestAccess ui(window);

    Load load;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        load.longestGapMs = std::max(load.longestGapMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    ticker.start(1);
    QApplication::processEvents();
    const Memory idle = MemoryNow();
    const double cpuStart = ProcessCpuMs();
    clock.start();
    sinceTick.start();
    window.OpenDiscFolder(folder);
    load.callMs = clock.nsecsElapsed() / 1e6;
    load.longestGapMs = std::max(load.longestGapMs, sinceTick.nsecsElapsed() / 1e6);
    // Waits in an event loop that sleeps between events: a loop of processEvents calls would
    // spin this thread and take the processor from the scan it waits for.
    QEventLoop wait;
    QObject::connect(
        &window.Controller(), &PlayerController::changed, &wait,
        [&wait](StateChanges what) {
            if (what & StateChange::Disc)
                wait.quit();
        },
        Qt::QueuedConnection);
    QTimer::singleShot(60000, &wait, &QEventLoop::quit);
    if (ui.CurrentPage() != Page::Disc)
        wait.exec();
    if (ui.CurrentPage() != Page::Disc)
        std::fprintf(stderr, "the disc page did not show\n");
    load.pageMs = clock.nsecsElapsed() / 1e6;
    load.cpuMs = ProcessCpuMs() - cpuStart;
    // The gap that ends when the page shows counts too.
    QApplication::processEvents();
    ticker.stop();
    // Let deferred work (deleteLater, the menus' refill) settle before memory is read.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const Memory loaded = MemoryNow();
    load.held = {loaded.residentKiB - idle.residentKiB, loaded.uniqueKiB - idle.uniqueKiB};
    return load;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

// One load in a process of its own that has read no disc before, so that memory freed by an
// earlier scan cannot hide what the loaded disc holds. Prints resident and unique KiB.
int MeasureMemory(const QString &folder)
{
    const Load load = LoadOnce(folder);
    std::printf("%.0f %.0f\n", load.held.residentKiB, load.held.uniqueKiB);
    return 0;
}

Memory MemoryInFreshProcess(const QString &folder)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), folder});
    Memory held;
    if (!child.waitForFinished(120000))
        return held;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() == 2)
        held = {fields[0].toDouble(), fields[1].toDouble()};
    return held;
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc == 3 && QByteArray(argv[1]) == "--memory")
        return MeasureMemory(QString::fromLocal8Bit(argv[2]));
    const int playlists = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 7;
    QTemporaryDir root;
    const QString folder = root.filePath("disc");
    QString error;
    if (!BluRayFolderBuilder::BenchmarkDisc(playlists).Build(folder, &error)) {
        std::fprintf(stderr, "cannot build the disc: %s\n", qPrintable(error));
        return 1;
    }
    std::vector<double> scan, scanCpu, call, gap, page, pageCpu, resident, unique;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = ProcessCpuMs();
        const BluRayScan result = ScanBluRayFolder(folder);
        scan.push_back(clock.nsecsElapsed() / 1e6);
        scanCpu.push_back(ProcessCpuMs() - cpuStart);
        const Load load = LoadOnce(folder);
        call.push_back(load.callMs);
        gap.push_back(load.longestGapMs);
        page.push_back(load.pageMs);
        pageCpu.push_back(load.cpuMs);
        const Memory held = MemoryInFreshProcess(folder);
        resident.push_back(held.residentKiB / 1024);
        unique.push_back(held.uniqueKiB / 1024);
        std::printf("round %d: %lld titles; scan %.1f ms; window: call %.1f ms, longest block "
                    "%.1f ms, disc page after %.1f ms\n",
                    round + 1, static_cast<long long>(result.titles.size()), scan.back(),
                    call.back(), gap.back(), page.back());
    }
    std::printf("\n%d playlists, medians of %d rounds:\n", playlists, rounds);
    std::printf("  scan alone                    %7.1f ms\n", Median(scan));
    std::printf("  OpenDiscFolder returns after  %7.1f ms\n", Median(call));
    std::printf("  longest block of the window   %7.1f ms\n", Median(gap));
    std::printf("  disc page shown after         %7.1f ms  (%.2f x the scan alone)\n", Median(page),
                Median(page) / Median(scan));
    std::printf("  CPU time: scan alone %.1f ms, open to disc page %.1f ms  (%.2f x)\n",
                Median(scanCpu), Median(pageCpu), Median(pageCpu) / Median(scanCpu));
    std::printf("  memory the loaded disc holds over the idle window (a fresh process each round): "
                "resident %+.1f MiB, "
                "unique %+.1f MiB\n",
                Median(resident), Median(unique));
    return 0;
}
