// The whole Blu-ray scan (ScanBluRayFolder: metadata, listing, reading, digests, the engine's
// title numbers, sorting) against what libbluray needs to know the same titles: bd_open,
// bd_get_titles(TITLES_RELEVANT, 0) and bd_get_title_info for each title. Both run on the
// same built discs of 200 and 2,000 playlists (MPLS and CLPI only, with byte copies,
// structural copies and loops), warm cache, alternating within each round; medians are
// printed with their ratio, followed by where each side spends its time.
//
// A second pair of discs adds index.bdmv: without it bd_open itself lists and parses every
// playlist to decide whether the folder is a disc at all, which doubles libbluray's side.
// Each disc is then made into a UDF image (genisoimage) and both sides read the image, the
// player through libudfread as libbluray does.
//
// Then the same discs as whole processes, start to exit, alternating within each round: the
// player's own dump tool (orvel-disc-dump, which runs the scan and prints it) against a small
// program built only on libbluray that lists the same titles (bench_libbluray_titles).
//
// Not a test: run by hand, e.g.  build/bin/bench_discscan 31

#include "BluRayFolderBuilder.h"
#include "DiscImageMaker.h"
#include "disc/BluRayScan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <libbluray/bluray.h>
#include <libbluray/log_control.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct LibblurayRun
{
    double open = 0;
    double titles = 0;
    double info = 0;
    double total = 0;
    QStringList playlists; // per title, the playlist bd_get_title_info names
};

LibblurayRun RunLibbluray(const QByteArray &folder)
{
    LibblurayRun run;
    QElapsedTimer clock;
    clock.start();
    BLURAY *bd = bd_open(folder.constData(), nullptr);
    run.open = clock.nsecsElapsed() / 1e6;
    const uint32_t count = bd ? bd_get_titles(bd, TITLES_RELEVANT, 0) : 0;
    run.titles = clock.nsecsElapsed() / 1e6 - run.open;
    for (uint32_t i = 0; i < count; ++i) {
        BLURAY_TITLE_INFO *info = bd_get_title_info(bd, i, 0);
        run.playlists << (info ? QStringLiteral("%1.mpls").arg(info->playlist, 5, 10,
                                                               QLatin1Char('0'))
                               : QString());
        bd_free_title_info(info);
    }
    run.total = clock.nsecsElapsed() / 1e6;
    run.info = run.total - run.open - run.titles;
    if (bd)
        bd_close(bd);
    return run;
}

bool Bench(const QString &label, const QString &folder, int rounds)
{
    const QByteArray encoded = QFile::encodeName(folder);
    // Warm the page cache and both sides' allocators, and check that both agree.
    const BluRayScan first = ScanBluRayFolder(folder);
    const LibblurayRun reference = RunLibbluray(encoded);
    QStringList ours;
    for (const EngineTitleList::Entry &entry : first.engineTitles)
        ours << entry.playlistName;
    if (ours != reference.playlists) {
        std::printf("%s: the engine's title list differs from libbluray's\n", qPrintable(label));
        return false;
    }

    std::vector<double> oursTotal, theirsTotal, metadata, listing, reading, parsing, digests,
        numbering, sorting, open, titles, info;
    for (int round = 0; round < rounds; ++round) {
        BluRayScanTimings timings;
        QElapsedTimer clock;
        clock.start();
        const BluRayScan scan = ScanBluRayFolder(folder, &timings);
        oursTotal.push_back(clock.nsecsElapsed() / 1e6);
        metadata.push_back(timings.metadata / 1e6);
        listing.push_back(timings.listing / 1e6);
        reading.push_back(timings.reading / 1e6);
        parsing.push_back(timings.parsing / 1e6);
        digests.push_back(timings.digests / 1e6);
        numbering.push_back(timings.numbering / 1e6);
        sorting.push_back(timings.sorting / 1e6);
        const LibblurayRun run = RunLibbluray(encoded);
        theirsTotal.push_back(run.total);
        open.push_back(run.open);
        titles.push_back(run.titles);
        info.push_back(run.info);
    }
    const double oursMedian = Median(oursTotal);
    const double theirsMedian = Median(theirsTotal);
    std::printf("%-33s %6lld titles  ours %8.2f ms  libbluray %8.2f ms  ratio %.2f\n",
                qPrintable(label), qlonglong(first.titles.size()), oursMedian, theirsMedian,
                oursMedian / theirsMedian);
    std::printf("  ours:      metadata %.2f  listing %.2f  reading %.2f  playlist reader %.2f  "
                "digests %.2f  engine numbering %.2f  sorting %.2f\n",
                Median(metadata), Median(listing), Median(reading), Median(parsing),
                Median(digests), Median(numbering), Median(sorting));
    std::printf("  libbluray: bd_open %.2f  bd_get_titles %.2f  bd_get_title_info x%lld %.2f\n",
                Median(open), Median(titles), qlonglong(reference.playlists.size()), Median(info));
    return true;
}

// Wall time of one process from its start to its exit, or -1 when it fails.
double RunProcess(const QString &program, const QString &disc)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, {disc});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    return clock.nsecsElapsed() / 1e6;
}

bool BenchProcesses(const QString &label, const QString &disc, int rounds)
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString dump = folder + QStringLiteral("/orvel-disc-dump");
    const QString reference = folder + QStringLiteral("/bench_libbluray_titles");
    std::vector<double> ours, theirs;
    for (int round = 0; round <= rounds; ++round) {
        const double dumpMs = RunProcess(dump, disc);
        const double referenceMs = RunProcess(reference, disc);
        if (dumpMs < 0 || referenceMs < 0) {
            std::printf("%s: a process failed\n", qPrintable(label));
            return false;
        }
        // The first round only warms the page cache and the dynamic linker's view.
        if (round > 0) {
            ours.push_back(dumpMs);
            theirs.push_back(referenceMs);
        }
    }
    std::printf("%-33s orvel-disc-dump %8.2f ms  libbluray program %8.2f ms  ratio %.2f\n",
                qPrintable(label), Median(ours), Median(theirs), Median(ours) / Median(theirs));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 21;
    bd_set_debug_mask(0);
    QTemporaryDir root;
    if (!root.isValid())
        return 1;
    bool ok = true;
    std::printf("medians of %d rounds, milliseconds\n", rounds);
    std::printf("in one process (what the window waits for when a disc is opened):\n");
    QStringList discs, labels;
    for (const bool index : {false, true}) {
        for (const int playlists : {200, 2000}) {
            BluRayFolderBuilder disc = BluRayFolderBuilder::BenchmarkDisc(playlists);
            disc.writeIndex = index;
            const QString folder = root.filePath(
                QStringLiteral("disc-%1%2").arg(playlists).arg(index ? "-index" : ""));
            QString error;
            QElapsedTimer build;
            build.start();
            if (!disc.Build(folder, &error)) {
                std::printf("cannot build %s: %s\n", qPrintable(folder), qPrintable(error));
                return 1;
            }
            const double buildMs = build.nsecsElapsed() / 1e6;
            const QString label =
                QStringLiteral("%1 playlists%2").arg(playlists).arg(index ? ", index.bdmv" : "");
            std::printf("(built %s in %.0f ms)\n", qPrintable(label), buildMs);
            ok = Bench(label, folder, rounds) && ok;
            discs << folder;
            labels << label;
            const QString image = folder + QStringLiteral(".iso");
            if (!MakeUdfImage(folder, image, &error)) {
                std::printf("cannot make %s: %s\n", qPrintable(image), qPrintable(error));
                return 1;
            }
            ok = Bench(label + QStringLiteral(", image"), image, rounds) && ok;
            discs << image;
            labels << label + QStringLiteral(", image");
        }
    }
    std::printf("\nwhole processes, start to exit (what a user of the command-line dump waits "
                "for; includes each program's own start):\n");
    for (qsizetype i = 0; i < discs.size(); ++i)
        ok = BenchProcesses(labels[i], discs[i], rounds) && ok;
    std::printf("\nA user of the window feels the first table: the program is already running "
                "when a disc is opened, so only the scan stands between the click and the disc "
                "page. The second table adds the start of a Qt program against a plain C one, "
                "which only the command-line dump pays.\n");
    return ok ? 0 : 1;
}
