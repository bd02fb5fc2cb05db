// Every road's requests end here: the window's controls, its keys, its menus and the
// desktop's media controls all ask the same way, so they cannot come to behave differently.
#include "ui/DRUI.h"

#include "player/TransportRules.h"

#include <QSlider>

#include <limits>

void DRUI::Request(const SessionRequest &request)
{
    using Kind = SessionRequest::Kind;
    const PlaybackSession::State state = session->CurrentState();
    switch (request.kind) {
    case Kind::PlayPause: {
        PlayRequestState decision;
        decision.sessionRunning = session->IsActive();
        decision.playing = state != PlaybackSession::State::Paused;
        decision.kind = sourceKind;
        decision.hasSource = !session->CurrentLaunch().path.isEmpty();
        switch (DecidePlayRequest(decision)) {
        case PlayRequest::PauseSession:
            session->Pause();
            break;
        case PlayRequest::ResumeSession:
            session->Resume();
            break;
        case PlayRequest::PlayBluRayTitle:
            PlayBluRayTitle();
            break;
        case PlayRequest::ReopenSource:
            if (session->CurrentLaunch().kind == SourceKind::Dvd) {
                OpenDvdFolder(session->CurrentLaunch().path);
            } else {
                OpenMediaFiles({session->CurrentLaunch().path});
            }
            break;
        case PlayRequest::AskForFile:
            btnOpenFile();
            break;
        }
        break;
    }
    case Kind::Play:
        if (state != PlaybackSession::State::Playing && state != PlaybackSession::State::Starting) {
            Request(SessionRequest::Of(Kind::PlayPause));
        }
        break;
    case Kind::Pause:
        session->Pause();
        break;
    case Kind::Stop:
        StopBtn();
        break;
    case Kind::SeekTo: {
        if (!session->IsActive()) {
            break;
        }
        answerPacer.Reset();
        // With the length still unknown there is no end to hold the seek to.
        const qint64 last = session->DurationSec() > 0 ? session->DurationSec()
                                                       : std::numeric_limits<int>::max();
        SeekTo(qBound<qint64>(0, request.value, last));
        break;
    }
    case Kind::Step:
        StepSeek(int(request.value));
        break;
    case Kind::Next:
        StepThroughSources(true);
        break;
    case Kind::Previous:
        StepThroughSources(false);
        break;
    case Kind::Chapter:
        // While a title or a file plays its chapters are places in it; otherwise one starts
        // the disc's title.
        if (session->IsActive() && session->CurrentLaunch().kind != SourceKind::Dvd) {
            if (session->CurrentState() == PlaybackSession::State::Paused) {
                session->Resume();
            }
            SeekTo(request.value / 1000);
        } else if (sourceKind == SourceKind::BluRay) {
            ChooseTitle(currentTitleKey, int(request.value / 1000));
        }
        break;
    case Kind::Title:
        ChooseTitle(request.path, 0);
        break;
    case Kind::AudioTrack:
        session->SelectAudio(int(request.value));
        if (session->CurrentLaunch().kind == SourceKind::BluRay) {
            audioChoices[session->CurrentLaunch().titleKey] = int(request.value);
        }
        break;
    case Kind::SubtitleTrack:
        session->SelectSubtitle(int(request.value));
        if (session->CurrentLaunch().kind == SourceKind::BluRay) {
            subtitleChoices[session->CurrentLaunch().titleKey] = int(request.value);
        }
        break;
    case Kind::Volume:
        VolumeSliderSeek(int(request.value));
        break;
    case Kind::VolumeStep:
        VolumeSliderSeek(volumeSlider->value() + int(request.value));
        break;
    case Kind::ToggleMute:
        ToggleMute();
        break;
    case Kind::Balance:
        session->SetBalance(int(request.value));
        break;
    case Kind::Snapshot:
        session->TakeSnapshot();
        break;
    case Kind::OpenPath:
        StopBtn();
        OpenSourcePath(request.path);
        break;
    }
}

void DRUI::PauseSession()
{
    Request(SessionRequest::Of(SessionRequest::Kind::Pause));
}

void DRUI::ResumeSession()
{
    Request(SessionRequest::Of(SessionRequest::Kind::Play));
}
