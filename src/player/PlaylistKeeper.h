#pragma once

#include "player/PlayListInfo.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class DurationProbeQueue;
struct ProbedDuration;

// The playlist and the measuring of its files' lengths: entries come in as sources open and
// leave by the user's edits; each media file's length (and its field order, which says
// whether it is interlaced) is measured beside the engine, one file after the other.
class PlaylistKeeper : public QObject
{
    Q_OBJECT
public:
    // appDataFolder: where the probe tool's copy lives; empty runs the shipped tool.
    explicit PlaylistKeeper(const QString &appDataFolder, QObject *parent = nullptr);

    const QVector<PLAY_LIST_INFO> &Items() const { return items; }
    // Entries without playing them; one already listed is not added again.
    void Add(const QVector<PLAY_LIST_INFO> &entries);
    // Whether the list changed.
    bool Remove(const QList<int> &rows);
    bool Clear();
    bool Move(int row, int by);
    bool Lists(const QString &path) const;

    // Files whose lengths are to be measured once Measure() is called.
    void MeasureLater(const QStringList &files) { unprobedFiles += files; }
    void Measure();
    // The probe's field order for a file measured before; empty when unknown.
    QString FieldOrderOf(const QString &path) const { return fieldOrders.value(path); }

signals:
    void changed();
    void rowChanged(int row);
    // A file was measured (a failed probe leaves the length unknown).
    void measured(const QString &path, const ProbedDuration &probed);

private:
    void TakeProbedDuration(const QString &path, const ProbedDuration &probed);

    QString appDataFolder;
    QVector<PLAY_LIST_INFO> items;
    DurationProbeQueue *durationProbes = nullptr;
    QStringList unprobedFiles; // opened files whose length is still to be measured
    QMap<QString, QString> fieldOrders;
};
