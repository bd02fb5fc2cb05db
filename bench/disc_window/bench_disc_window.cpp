// How long the window is blocked while it loads a Blu-ray folder with many playlists: the
// longest stretch in which its event loop could not run (a 1 ms timer measures the gaps),
// beside the time to the disc page and the scan alone in the same run.
// Not a test. Run by hand under X, e.g.
//   DISPLAY=:5 build/bin/bench_disc_window 2000 7
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "disc/BluRayScan.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Load
{
    double callMs = 0;       // OpenDiscFolder until it returns
    double longestGapMs = 0; // the longest time the event loop did not run
    double pageMs = 0;       // until the disc page shows
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
    clock.start();
    sinceTick.start();
    window.OpenDiscFolder(folder);
    load.callMs = clock.nsecsElapsed() / 1e6;
    load.longestGapMs = std::max(load.longestGapMs, sinceTick.nsecsElapsed() / 1e6);
    while (ui.CurrentPage() != Page::Disc && clock.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    load.pageMs = clock.nsecsElapsed() / 1e6;
    // The gap that ends when the page shows counts too.
    QApplication::processEvents();
    return load;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int playlists = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 7;
    QTemporaryDir root;
    const QString folder = root.filePath("disc");
    QString error;
    if (!BluRayFolderBuilder::BenchmarkDisc(playlists).Build(folder, &error)) {
        std::fprintf(stderr, "cannot build the disc: %s\n", qPrintable(error));
        return 1;
    }
    std::vector<double> scan, call, gap, page;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        const BluRayScan result = ScanBluRayFolder(folder);
        scan.push_back(clock.nsecsElapsed() / 1e6);
        const Load load = LoadOnce(folder);
        call.push_back(load.callMs);
        gap.push_back(load.longestGapMs);
        page.push_back(load.pageMs);
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
    return 0;
}
