// The requests that change how a source plays and what the player keeps, not what plays:
// volume, speed, delays, the picture, the texts over it, the lists and the preferences.
#include "player/PlayerController.h"

#include "player/LoadedDisc.h"
#include "player/PlaybackSession.h"
#include "player/PlaylistKeeper.h"
#include "player/ResumeKeeper.h"
#include "player/TimeText.h"
#include "player/ViewingRules.h"

#include <algorithm>

namespace {

// A delay asked for, held to what the player allows before it is narrowed to an int.
int DelayMs(Ask::Milliseconds delay)
{
    return int(std::clamp<Ask::Milliseconds::rep>(delay.count(), -MaximumDelayMs, MaximumDelayMs));
}

} // namespace

bool PlayerController::Act(const Ask::Volume &ask)
{
    ShowVolume(ask.percent);
    return true;
}

bool PlayerController::Act(const Ask::VolumeStep &ask)
{
    ShowVolume(session->Volume() + ask.percentBy);
    return true;
}

bool PlayerController::Act(const Ask::ToggleMute &)
{
    // Unmuting returns to the level before the mute, not to a fixed one.
    if (!muted)
        levelBeforeMute = session->Volume() > 0 ? session->Volume() : levelBeforeMute;
    ShowVolume(muted ? qMax(levelBeforeMute, 1) : 0);
    return true;
}

void PlayerController::ShowVolume(int level)
{
    level = qBound(0, level, 100);
    muted = level == 0;
    session->SetVolume(level);
    session->ShowOnScreen(onScreen.volume.arg(level));
    Tell(StateChange::Volume);
}

bool PlayerController::Act(const Ask::Balance &ask)
{
    if (!session->IsActive())
        return false;
    session->SetBalance(int(ask.side));
    return true;
}

bool PlayerController::Act(const Ask::Snapshot &)
{
    if (!session->IsActive())
        return false;
    session->TakeSnapshot();
    return true;
}

bool PlayerController::Act(const Ask::SnapshotKept &ask)
{
    session->ShowOnScreen(onScreen.snapshot.arg(ask.fileName));
    return true;
}

void PlayerController::ShowPositionOnScreen(qint64 second)
{
    session->ShowOnScreen(
        onScreen.position.arg(TimeText(second), TimeText(session->DurationSec())));
}

void PlayerController::ShowChapterOnScreen(int index, const QString &name)
{
    const QString shown = name.simplified();
    session->ShowOnScreen(
        onScreen.chapter.arg(shown.isEmpty() ? QString::number(index + 1)
                                             : QStringLiteral("%1: %2").arg(index + 1).arg(shown)));
}

bool PlayerController::Act(const Ask::Speed &ask)
{
    if (!session->IsActive())
        return false;
    session->SetSpeed(ask.factor);
    session->ShowOnScreen(onScreen.speed.arg(session->Speed()));
    return true;
}

bool PlayerController::Act(const Ask::SpeedStep &ask)
{
    return Act(Ask::Speed{SteppedSpeed(session->Speed(), ask.steps)});
}

bool PlayerController::Act(const Ask::AudioDelay &ask)
{
    if (!session->IsActive())
        return false;
    session->SetAudioDelay(SteppedDelayMs(DelayMs(ask.at), 0));
    session->ShowOnScreen(onScreen.audioDelay.arg(session->AudioDelayMs()));
    return true;
}

bool PlayerController::Act(const Ask::AudioDelayStep &ask)
{
    return Act(Ask::AudioDelay{
        Ask::Milliseconds(SteppedDelayMs(session->AudioDelayMs(), DelayMs(ask.by)))});
}

bool PlayerController::Act(const Ask::SubtitleDelay &ask)
{
    if (!session->IsActive())
        return false;
    session->SetSubtitleDelay(SteppedDelayMs(DelayMs(ask.at), 0));
    session->ShowOnScreen(onScreen.subtitleDelay.arg(session->SubtitleDelayMs()));
    return true;
}

bool PlayerController::Act(const Ask::SubtitleDelayStep &ask)
{
    return Act(Ask::SubtitleDelay{
        Ask::Milliseconds(SteppedDelayMs(session->SubtitleDelayMs(), DelayMs(ask.by)))});
}

bool PlayerController::Act(const Ask::Deinterlace &ask)
{
    if (!session->IsActive())
        return false;
    deinterlaceChosen = true;
    session->SetDeinterlace(ask.on);
    session->ShowOnScreen(ask.on ? onScreen.deinterlaceOn : onScreen.deinterlaceOff);
    return true;
}

bool PlayerController::Act(const Ask::Aspect &ask)
{
    if (!session->IsActive())
        return false;
    session->SetAspect(ask.shape);
    static const char *const names[] = {nullptr, "4:3", "16:9", "2.35:1"};
    const int which = int(ask.shape);
    session->ShowOnScreen(onScreen.aspect.arg(names[which] ? QString::fromLatin1(names[which])
                                                           : onScreen.aspectAuto));
    return true;
}

bool PlayerController::Act(const Ask::RemoveFromPlaylist &ask)
{
    return playlist->Remove(ask.rows);
}

bool PlayerController::Act(const Ask::ClearPlaylist &)
{
    return playlist->Clear();
}

bool PlayerController::Act(const Ask::MoveInPlaylist &ask)
{
    return playlist->Move(ask.row, ask.by);
}

bool PlayerController::Act(const Ask::AddToPlaylist &ask)
{
    const qsizetype before = playlist->Items().size();
    playlist->Add(ask.items);
    return playlist->Items().size() != before;
}

bool PlayerController::Act(const Ask::AddRecentFile &ask)
{
    if (ask.path.isEmpty())
        return false;
    AddRecentFile(ask.path);
    return true;
}

bool PlayerController::Act(const Ask::ClearRecentFiles &)
{
    recentFiles.Clear();
    Tell(StateChange::RecentFiles);
    return true;
}

bool PlayerController::Act(const Ask::PlayNextAutomatically &ask)
{
    if (!preferences.SetPlayNext(ask.on) && !preferences.FilePath().isEmpty())
        qWarning("the choice to play on could not be stored");
    Tell(StateChange::Preferences);
    return true;
}

bool PlayerController::Act(const Ask::ResumeWhereLeft &ask)
{
    resume->SetEnabled(ask.on);
    if (ask.on != preferences.Resume() && !preferences.SetResume(ask.on) &&
        !preferences.FilePath().isEmpty())
        qWarning("the choice to resume could not be stored");
    Tell(StateChange::Preferences);
    return true;
}

bool PlayerController::Act(const Ask::PreferredLanguages &ask)
{
    if (!preferences.SetLanguages(ask.audio, ask.subtitle) && !preferences.FilePath().isEmpty())
        qWarning("the preferred languages could not be stored");
    discs->SetPreferredLanguages(preferences.AudioLanguage(), preferences.SubtitleLanguage());
    // A disc page that shows now offers what its title would start with.
    Tell(StateChange::Preferences | StateChange::CurrentTitle);
    return true;
}

bool PlayerController::Act(const Ask::VideoTrack &ask)
{
    videoTrack = ask.choice.number;
    Tell(StateChange::Viewing);
    return true;
}

bool PlayerController::Act(const Ask::SurfaceResized &)
{
    session->SurfaceResized();
    return true;
}
