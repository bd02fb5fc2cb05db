#include "player/PlaylistKeeper.h"

#include "engine/DurationProbe.h"
#include "engine/DurationProbeQueue.h"
#include "platform/EngineLocator.h"
#include "player/PlaylistRules.h"

PlaylistKeeper::PlaylistKeeper(const QString &folder, QObject *parent)
    : QObject(parent), appDataFolder(folder)
{
}

void PlaylistKeeper::Add(const QVector<PLAY_LIST_INFO> &entries)
{
    const QVector<PLAY_LIST_INFO> added = PlaylistItemsToAppend(items, entries);
    if (added.isEmpty())
        return;
    items += added;
    emit changed();
}

bool PlaylistKeeper::Remove(const QList<int> &rows)
{
    const QVector<PLAY_LIST_INFO> kept = PlaylistWithoutRows(items, rows);
    if (kept.size() == items.size())
        return false;
    items = kept;
    emit changed();
    return true;
}

bool PlaylistKeeper::Clear()
{
    if (items.isEmpty())
        return false;
    items.clear();
    emit changed();
    return true;
}

bool PlaylistKeeper::Move(int row, int by)
{
    const int target = PlaylistMoveTarget(items, row, by);
    if (target < 0 || target == row)
        return false;
    items.move(row, target);
    emit changed();
    return true;
}

bool PlaylistKeeper::Lists(const QString &path) const
{
    return !PlaylistRowsMatching(items, path).isEmpty();
}

void PlaylistKeeper::Measure()
{
    if (unprobedFiles.isEmpty())
        return;
    if (!durationProbes) {
        durationProbes = new DurationProbeQueue(this);
        connect(durationProbes, &DurationProbeQueue::probed, this,
                &PlaylistKeeper::TakeProbedDuration);
    }
    durationProbes->Enqueue(EngineLocator::ProbeToolToRun(appDataFolder), unprobedFiles);
    unprobedFiles.clear();
}

void PlaylistKeeper::TakeProbedDuration(const QString &path, const ProbedDuration &probed)
{
    for (int row : PlaylistRowsMatching(items, path)) {
        if (items[row].kind == SourceKind::MediaFile && items[row].durationText.isEmpty()) {
            items[row].durationText = probed.text;
            emit rowChanged(row);
        }
    }
    if (!probed.fieldOrder.isEmpty())
        fieldOrders.insert(path, probed.fieldOrder);
    emit measured(path, probed);
}
