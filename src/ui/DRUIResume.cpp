// Resuming: where each source was left is kept when its session ends, and a source opened
// again starts a little before that place, with the same streams and volume.
#include "ui/DRUI.h"

#include "engine/FormatTime.h"
#include "i18n/GetText.h"
#include "player/ResumeRules.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSlider>
#include <QTimer>

namespace {

// A session killed between two saves loses at most this much.
constexpr int SaveEveryMs = 10000;
// How long "Resumed at" stays in the status line.
constexpr qint64 NoticeMs = 6000;

} // namespace

std::optional<ResumeKey> DRUI::ResumeKeyFor(const SessionLaunch &launch) const
{
    switch (launch.kind) {
    case SourceKind::MediaFile:
        return ResumeKey::ForMediaFile(launch.path);
    case SourceKind::Dvd:
        return ResumeKey::ForDvd(QFileInfo(launch.path).absoluteFilePath(),
                                 launch.engineTitle > 0 ? launch.engineTitle : 1);
    case SourceKind::BluRay:
        if (launch.titleKey.isEmpty()) {
            return std::nullopt;
        }
        return ResumeKey::ForBluRay(QFileInfo(launch.path).absoluteFilePath(),
                                    QFileInfo(launch.titleKey).fileName());
    }
    return std::nullopt;
}

void DRUI::StartResumeSaver()
{
    if (!resumeSaver) {
        resumeSaver = new QTimer(this);
        resumeSaver->setInterval(SaveEveryMs);
        connect(resumeSaver, &QTimer::timeout, this, [this] {
            if (session->CurrentState() == PlaybackSession::State::Playing) {
                RememberWhereItIs(false);
            }
        });
    }
    resumeSaver->start();
}

void DRUI::RememberWhereItIs(bool playedToEnd)
{
    if (!preferences.Resume()) {
        return;
    }
    if (!playedToEnd && !session->IsActive() && !session->EndedUnexpectedly()) {
        return;
    }
    const SessionLaunch &launch = session->CurrentLaunch();
    const std::optional<ResumeKey> key = ResumeKeyFor(launch);
    if (!key) {
        return;
    }
    const qint64 position = session->PositionMs() / 1000;
    if (ResumeRules::AtSessionEnd(position, session->DurationSec(), playedToEnd) ==
        ResumeRules::OnEnd::Forget) {
        resumeStore.Forget(*key);
        return;
    }
    ResumePoint point;
    point.position = position;
    point.audio = session->AudioChoice() - 1;
    const int streams = int(session->Streams().SubtitleStreams().size());
    const int subtitle = session->SubtitleChoice();
    if (subtitle == 0) {
        point.subtitles = ResumePoint::Subtitles::Off;
    } else if (subtitle <= streams) {
        point.subtitles = ResumePoint::Subtitles::Stream;
        point.subtitleIndex = subtitle - 1;
    } else {
        point.subtitles = ResumePoint::Subtitles::File;
        point.subtitleFile = session->Streams().SubtitleFiles().value(subtitle - streams - 1);
    }
    point.volume = session->Volume();
    point.savedAt = QDateTime::currentSecsSinceEpoch();
    if (!resumeStore.Remember(*key, point)) {
        qWarning("where %s was left could not be kept", qUtf8Printable(launch.path));
    }
}

SessionLaunch DRUI::WithResumePoint(SessionLaunch launch)
{
    resumedAtSec = -1;
    if (!preferences.Resume() || launch.startSec > 0) {
        return launch;
    }
    const std::optional<ResumeKey> key = ResumeKeyFor(launch);
    const std::optional<ResumePoint> point = key ? resumeStore.Find(*key) : std::nullopt;
    if (!point) {
        return launch;
    }
    launch.startSec = int(ResumeRules::StartPosition(point->position, launch.durationSec));
    if (launch.startSec <= 0) {
        return launch;
    }
    if (point->audio >= 0) {
        launch.audioChoice = point->audio + 1;
    }
    switch (point->subtitles) {
    case ResumePoint::Subtitles::EngineDefault:
        break;
    case ResumePoint::Subtitles::Off:
        launch.subtitleChoice = 0;
        break;
    case ResumePoint::Subtitles::Stream:
        launch.subtitleChoice = point->subtitleIndex + 1;
        break;
    case ResumePoint::Subtitles::File:
        launch.subtitleFile = point->subtitleFile;
        break;
    }
    launch.volume = qBound(0, point->volume, 100);
    volumeSlider->setValue(launch.volume);
    resumedAtSec = launch.startSec;
    resumedUntilMs = QDateTime::currentMSecsSinceEpoch() + NoticeMs;
    // The notice leaves the status line by itself.
    QTimer::singleShot(int(NoticeMs) + 100, this, [this] { update(); });
    return launch;
}

QString DRUI::ResumeNotice() const
{
    if (resumedAtSec < 0 || QDateTime::currentMSecsSinceEpoch() > resumedUntilMs) {
        return QString();
    }
    return GetText("MainWnd/ResumedAt").arg(FormatTime(resumedAtSec));
}

void DRUI::StartOver()
{
    if (const std::optional<ResumeKey> key = ResumeKeyFor(session->CurrentLaunch())) {
        resumeStore.Forget(*key);
    }
    resumedAtSec = -1;
    update();
    if (session->IsActive()) {
        Request(SessionRequest::Of(SessionRequest::Kind::SeekTo, 0));
    }
}

void DRUI::SetResumePreference(bool on)
{
    if (!preferences.SetResume(on)) {
        qWarning("the choice to resume could not be stored");
    }
}
