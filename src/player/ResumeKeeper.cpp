#include "player/ResumeKeeper.h"

#include "player/PlaybackSession.h"
#include "player/ResumeRules.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

std::optional<ResumeKey> ResumeKeyFor(const SessionLaunch &launch)
{
    switch (launch.kind) {
    case SourceKind::MediaFile:
        return ResumeKey::ForMediaFile(launch.path);
    case SourceKind::Dvd:
        return ResumeKey::ForDvd(QFileInfo(launch.path).absoluteFilePath(),
                                 launch.engineTitle > 0 ? launch.engineTitle : 1);
    case SourceKind::BluRay:
        if (launch.titleKey.isEmpty())
            return std::nullopt;
        return ResumeKey::ForBluRay(QFileInfo(launch.path).absoluteFilePath(),
                                    QFileInfo(launch.titleKey).fileName());
    }
    return std::nullopt;
}

} // namespace

ResumeKeeper::ResumeKeeper(const QString &folder, QObject *parent)
    : QObject(parent), store(folder.isEmpty() ? QString() : ResumeStore::FilePathIn(folder))
{
    if (!folder.isEmpty())
        store.Load();
    saver.setInterval(SaveEveryMs);
    connect(&saver, &QTimer::timeout, this, &ResumeKeeper::saveDue);
    notice.setSingleShot(true);
    notice.setInterval(NoticeMs);
    connect(&notice, &QTimer::timeout, this, &ResumeKeeper::noticeEnded);
}

std::optional<ResumePoint> ResumeKeeper::PointFor(const SessionLaunch &launch) const
{
    if (!enabled)
        return std::nullopt;
    const std::optional<ResumeKey> key = ResumeKeyFor(launch);
    return key ? store.Find(*key) : std::nullopt;
}

void ResumeKeeper::Remember(const PlaybackSession &session, bool playedToEnd)
{
    if (!enabled)
        return;
    // After a crash or a hang the clock holds the last place the engine reached.
    if (!playedToEnd && !session.IsActive() && !session.EndedUnexpectedly())
        return;
    const SessionLaunch &launch = session.CurrentLaunch();
    const std::optional<ResumeKey> key = ResumeKeyFor(launch);
    if (!key)
        return;
    const qint64 position = session.PositionMs() / 1000;
    if (ResumeRules::AtSessionEnd(position, session.DurationSec(), playedToEnd) ==
        ResumeRules::OnEnd::Forget) {
        store.Forget(*key);
        return;
    }
    ResumePoint point;
    point.position = position;
    point.audio = session.AudioChoice() - 1;
    const int streams = int(session.Streams().SubtitleStreams().size());
    const int subtitle = session.SubtitleChoice();
    if (subtitle == 0) {
        point.subtitles = ResumePoint::Subtitles::Off;
    } else if (subtitle <= streams) {
        point.subtitles = ResumePoint::Subtitles::Stream;
        point.subtitleIndex = subtitle - 1;
    } else {
        point.subtitles = ResumePoint::Subtitles::File;
        point.subtitleFile = session.Streams().SubtitleFiles().value(subtitle - streams - 1);
    }
    point.volume = session.Volume();
    point.audioDelayMs = session.AudioDelayMs();
    point.subtitleDelayMs = session.SubtitleDelayMs();
    point.savedAt = QDateTime::currentSecsSinceEpoch();
    if (!store.Remember(*key, point))
        qWarning("where %s was left could not be kept", qUtf8Printable(launch.path));
}

void ResumeKeeper::Forget(const SessionLaunch &launch)
{
    if (const std::optional<ResumeKey> key = ResumeKeyFor(launch))
        store.Forget(*key);
}

void ResumeKeeper::Launching(std::optional<qint64> resumedAtSec)
{
    resumedAt = resumedAtSec.value_or(-1);
}

void ResumeKeeper::NoticeStarts()
{
    if (resumedAt >= 0)
        notice.start();
}

void ResumeKeeper::EndNotice()
{
    resumedAt = -1;
    notice.stop();
}

std::optional<qint64> ResumeKeeper::ResumedAt() const
{
    if (resumedAt < 0 || !notice.isActive())
        return std::nullopt;
    return resumedAt;
}
