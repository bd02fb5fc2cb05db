// What loading the resume store costs at start-up against the number of entries in its
// file: a store written by another version, or edited by hand, may hold far more entries than
// the player keeps, and all of them are read before the window shows.
//
//   bench_resume_store [ENTRIES...]     (default: 500 2000 10000 20000)
//
// Prints one line per size: the entries, the file's size and the best of five loads.

#include "player/ResumeStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QByteArray StoreWith(int count)
{
    QJsonArray entries;
    for (int i = 0; i < count; ++i) {
        QJsonObject entry;
        entry["kind"] = "file";
        entry["path"] = QStringLiteral("/home/someone/Videos/series/season %1/episode %2.mkv")
                            .arg(i / 100)
                            .arg(i);
        entry["title"] = "";
        entry["size"] = 700000000.0 + i;
        entry["modified"] = 1700000000000.0 + i;
        entry["position"] = 600 + i % 3000;
        entry["audio"] = 0;
        entry["subtitles"] = "default";
        entry["subtitleIndex"] = -1;
        entry["subtitleFile"] = "";
        entry["volume"] = 60;
        entry["savedAt"] = 1700000000.0 + i;
        entries.append(entry);
    }
    QJsonObject root;
    root["format"] = "orvel-resume";
    root["version"] = 1;
    root["entries"] = entries;
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {500, 2000, 10000, 20000};
    QTemporaryDir folder;
    for (int count : sizes) {
        const QString path = folder.filePath(QStringLiteral("Resume-%1.json").arg(count));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(StoreWith(count)) < 0)
            return 1;
        file.close();
        double best = -1;
        qsizetype kept = 0;
        for (int round = 0; round < 5; ++round) {
            ResumeStore store(path);
            QElapsedTimer timer;
            timer.start();
            store.Load();
            const double ms = timer.nsecsElapsed() / 1e6;
            best = best < 0 ? ms : qMin(best, ms);
            kept = store.Count();
        }
        std::printf("%6d entries  %8lld bytes  load %9.2f ms  (%lld kept)\n", count,
                    static_cast<long long>(QFile(path).size()), best, static_cast<long long>(kept));
    }
    return 0;
}
