#pragma once

#include "player/ResumeStore.h"
#include "player/SessionLaunch.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class PlaybackSession;

// Where each source was left: the store, the saver that keeps the place while a source
// plays, and the notice that says a launch started where its source was left.
class ResumeKeeper : public QObject
{
    Q_OBJECT
public:
    // How long the notice stays; a session killed between two saves loses at most
    // SaveEveryMs.
    static constexpr int SaveEveryMs = 10000;
    static constexpr int NoticeMs = 6000;

    // appDataFolder: where the store lives; empty keeps nothing between runs.
    explicit ResumeKeeper(const QString &appDataFolder, QObject *parent = nullptr);

    void SetEnabled(bool on) { enabled = on; }
    // Where the launch's source was left, while resuming is on.
    std::optional<ResumePoint> PointFor(const SessionLaunch &launch) const;
    // Keeps where the session is as its source's place (or forgets the place, at the end or
    // near either end).
    void Remember(const PlaybackSession &session, bool playedToEnd);
    void Forget(const SessionLaunch &launch);

    // A launch begins, resumed at a second or not; the notice starts with NoticeStarts().
    void Launching(std::optional<qint64> resumedAtSec);
    void NoticeStarts();
    // The notice goes at once.
    void EndNotice();
    std::optional<qint64> ResumedAt() const;
    void StartSaving() { saver.start(); }
    void StopSaving() { saver.stop(); }

signals:
    // Time to keep the place of what plays.
    void saveDue();
    void noticeEnded();

private:
    ResumeStore store;
    QTimer saver;
    QTimer notice;
    qint64 resumedAt = -1;
    bool enabled = true;
};
