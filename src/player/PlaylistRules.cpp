#include "player/PlaylistRules.h"

#include <QFileInfo>
#include <QSet>

QString PlaylistRowText(const QString &path)
{
    const QString shown = path.size() > 4 ? QFileInfo(path).fileName() : path;
    return QStringLiteral("    ") + shown;
}

int PlaylistIndexOf(const QVector<PLAY_LIST_INFO> &playlist, const QString &path)
{
    for (int i = 0; i < playlist.size(); ++i) {
        if (playlist[i].path == path)
            return i;
    }
    return -1;
}

QList<int> PlaylistRowsMatching(const QVector<PLAY_LIST_INFO> &playlist, const QString &path)
{
    QList<int> rows;
    for (int i = 0; i < playlist.size(); ++i) {
        if (playlist[i].path == path)
            rows << i;
    }
    return rows;
}

QVector<PLAY_LIST_INFO> PlaylistItemsToAppend(const QVector<PLAY_LIST_INFO> &playlist,
                                              const QVector<PLAY_LIST_INFO> &items)
{
    QSet<QString> listed;
    for (const PLAY_LIST_INFO &entry : playlist)
        listed.insert(entry.path);
    QVector<PLAY_LIST_INFO> appended;
    for (const PLAY_LIST_INFO &item : items) {
        if (listed.contains(item.path))
            continue;
        listed.insert(item.path);
        appended << item;
    }
    return appended;
}

int NextPlaylistIndex(const QVector<PLAY_LIST_INFO> &playlist, const QString &currentPath)
{
    if (playlist.size() < 2)
        return -1;
    const int current = PlaylistIndexOf(playlist, currentPath);
    if (current < 0 || current == playlist.size() - 1)
        return -1;
    return current + 1;
}

int PreviousPlaylistIndex(const QVector<PLAY_LIST_INFO> &playlist, const QString &currentPath)
{
    if (playlist.size() < 2)
        return -1;
    const int current = PlaylistIndexOf(playlist, currentPath);
    if (current <= 0)
        return -1;
    return current - 1;
}

std::optional<qint64> NextChapterSecond(const QVector<quint32> &chapterStartsMs, qint64 positionSec)
{
    for (quint32 startMs : chapterStartsMs) {
        const qint64 startSec = startMs / 1000;
        if (startSec > positionSec)
            return startSec;
    }
    return std::nullopt;
}

std::optional<qint64> PreviousChapterSecond(const QVector<quint32> &chapterStartsMs,
                                            qint64 positionSec)
{
    // Chapters that start before the position; the last of them holds the position.
    qsizetype before = 0;
    while (before < chapterStartsMs.size() && chapterStartsMs[before] / 1000 < positionSec)
        ++before;
    if (before < 2)
        return std::nullopt;
    // That chapter starts before the position, so the step always moves.
    return chapterStartsMs[before - 2] / 1000;
}

QVector<PLAY_LIST_INFO> PlaylistWithoutRows(const QVector<PLAY_LIST_INFO> &playlist,
                                            const QList<int> &rows)
{
    QVector<PLAY_LIST_INFO> kept;
    kept.reserve(playlist.size());
    for (int row = 0; row < playlist.size(); ++row) {
        if (!rows.contains(row))
            kept.append(playlist[row]);
    }
    return kept;
}

int PlaylistMoveTarget(const QVector<PLAY_LIST_INFO> &playlist, int row, int by)
{
    if (row < 0 || row >= playlist.size())
        return -1;
    return int(qBound<qint64>(0, qint64(row) + by, playlist.size() - 1));
}
