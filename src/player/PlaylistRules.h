#pragma once

#include "player/PlayListInfo.h"

#include <QList>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <optional>

// The playlist's rules, without the table that shows it. The current entry is never stored:
// it is the first entry whose path equals the requested path (exact, case-sensitive).

// Row text: four spaces and the file name, or the whole path when it is 4 characters or
// shorter, so that a drive or root folder ("/", "D:\") still shows something.
QString PlaylistRowText(const QString &path);

// Index of the first entry with this path, or -1.
int PlaylistIndexOf(const QVector<PLAY_LIST_INFO> &playlist, const QString &path);

// Rows whose entry has this path (the playing mark goes on each of them).
QList<int> PlaylistRowsMatching(const QVector<PLAY_LIST_INFO> &playlist, const QString &path);

// The items that adding a batch really appends, in order: an item whose path is already in
// the playlist, or earlier in the same batch, is skipped.
QVector<PLAY_LIST_INFO> PlaylistItemsToAppend(const QVector<PLAY_LIST_INFO> &playlist,
                                              const QVector<PLAY_LIST_INFO> &items);

// The entry that Next / Previous opens outside Blu-ray mode, or -1 when nothing happens:
// fewer than two entries, the current one not in the list, or already at that end (the
// list does not wrap around).
int NextPlaylistIndex(const QVector<PLAY_LIST_INFO> &playlist, const QString &currentPath);
int PreviousPlaylistIndex(const QVector<PLAY_LIST_INFO> &playlist, const QString &currentPath);

// Blu-ray chapter steps. chapterStartsMs: the title's chapter starts in milliseconds,
// ascending; positionSec: the current position in whole seconds. The result is the second to
// seek to, or nothing when the step does nothing.
// Next: the first chapter that starts (in whole seconds) after the position.
std::optional<qint64> NextChapterSecond(const QVector<quint32> &chapterStartsMs,
                                        qint64 positionSec);
// Previous: the start of the chapter before the one the position is in. Within the first
// chapter nothing happens: there is no "back to the start of this chapter".
std::optional<qint64> PreviousChapterSecond(const QVector<quint32> &chapterStartsMs,
                                            qint64 positionSec);

// The playlist without the given rows (rows out of range and repeats are ignored), in the
// order it had. The playing entry is found by its path, so its mark follows it.
QVector<PLAY_LIST_INFO> PlaylistWithoutRows(const QVector<PLAY_LIST_INFO> &playlist,
                                            const QList<int> &rows);

// The row that moving an entry by that many rows (negative up) brings it to, held to the
// list's ends; -1 when row is not in the list. The caller then moves it there.
int PlaylistMoveTarget(const QVector<PLAY_LIST_INFO> &playlist, int row, int by);
