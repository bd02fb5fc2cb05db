// The playback session: launching the engine, pausing, stopping, the clock, and what the
// engine's output does to the window.
#include "ui/DRUI.h"
#include "ui/TrackMenus.h"

#include "engine/EngineCommandLine.h"
#include "engine/EngineProcess.h"
#include "engine/FormatTime.h"
#include "engine/SlaveCommand.h"
#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "platform/PathBytes.h"
#include "player/PlaylistRules.h"
#include "player/SessionRules.h"
#include "player/SnapshotWriter.h"
#include "ui/CMessageBox.h"
#include "ui/VideoFrame.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QStackedLayout>
#include <QTimer>

namespace {

// The "VIDEO: " line comes before the engine has drawn its first frame; a probe started at
// once would compete with that frame for the processor.
constexpr int ProbeAfterVideoLineMs = 300;

// Milliseconds on a clock that only moves forward, for the session clock.
qint64 MonotonicMs()
{
    static QElapsedTimer since;
    if (!since.isValid()) {
        since.start();
    }
    return since.elapsed();
}

} // namespace

void DRUI::SendCommand(const QByteArray &command)
{
    if (engineProcess) {
        engineProcess->Send(command);
    }
}

void DRUI::SeekTo(int second)
{
    SendCommand(SlaveCommand::Seek(second));
    clockMs = qint64(second) * 1000;
    if (waitingForPicture) {
        sessionClock.Hold(clockMs, MonotonicMs());
    } else {
        sessionClock.Restart(clockMs, MonotonicMs());
    }
}

void DRUI::EndEngine()
{
    if (engineProcess) {
        engineProcess->disconnect(this);
        engineProcess->Kill();
        // The engine may be ended from inside one of its own signals.
        engineProcess->deleteLater();
        engineProcess = nullptr;
    }
}

void DRUI::VideoPlay()
{
    if (requestedPath.isEmpty() || !PathBytes::Exists(requestedPath)) {
        return;
    }
    if (requestedPath == loadedPath) {
        if (isPlaying) {
            PauseSession();
        } else {
            ResumeSession();
        }
        return;
    }
    LaunchEngine();
}

void DRUI::LaunchEngine()
{
    loadedPath = requestedPath;
    EndEngine();

    pendingAudioTrack = PendingTrack(audioChoices, currentTitleKey);
    pendingSubtitleTrack = PendingTrack(subtitleChoices, currentTitleKey);

    ShowPage(Page::Video);
    // Until the engine tells the picture's shape, the surface fills the page.
    videoFrame->SetPictureSize(QSize());
    seekSlider->setEnabled(true);
    seekSlider->setRange(0, int(durationSec));
    seekSlider->setValue(0);
    answerPacer.Reset();
    seekTargetSec = 0;
    isStopped = false;
    if (sourceKind != SourceKind::BluRay) {
        titleSubmenu->clear();
        chapterSubmenu->clear();
    }

    engineProcess = new EngineProcess;
    connect(engineProcess, &EngineProcess::eventReceived, this, &DRUI::MPlayerDataRecieve);
    connect(engineProcess, &EngineProcess::startFailed, this, &DRUI::EngineFailedToStart);
    connect(engineProcess, &EngineProcess::finished, this, &DRUI::EngineEnded);

    AddRecentFile(requestedPath);
    streamTally.OnPlaying();
    clockMs = 0;
    // The clock starts with the picture, not with the launch.
    sessionClock.Hold(0, MonotonicMs());
    waitingForPicture = true;
    TrackMenus::ResetToFirst(audioChannelSubmenu);

    std::optional<int> titleNumber;
    if (titleNumbers.contains(currentTitleKey)) {
        titleNumber = titleNumbers.value(currentTitleKey);
    }
    const QStringList arguments = EngineArguments(EngineSourceFor(sourceKind), requestedPath,
                                                  videoSurface->winId(), titleChosen, titleNumber);
    engineProcess->SetWorkingFolder(AppFolders::AppDataFolder());
    engineProcess->Start(arguments);

    WindowParts::ShowPlayIcon(playButton, true);
    playPauseAction->setText(GetText("MainWnd/Pause"));
    playPauseAction->setData(QStringLiteral("Pause"));
    isPlaying = true;

    SendCommand(SlaveCommand::Volume(volumeSlider->value()));
    if (startPositionSec > 0) {
        SeekTo(startPositionSec);
    }
    refreshTimer->start(500);
    MarkPlayingRow();
}

void DRUI::MarkPlayingRow()
{
    WindowParts::MarkPlayingRows(playlistTable, PlaylistRowsMatching(playlist, requestedPath));
}

void DRUI::PauseSession()
{
    if (!engineProcess) {
        return;
    }
    refreshTimer->stop();
    SendCommand(SlaveCommand::Pause());
    sessionClock.Pause(MonotonicMs());
    clockMs = sessionClock.PositionMs(MonotonicMs());
    WindowParts::ShowPlayIcon(playButton, false);
    // While paused the engine's output stays unread and is parsed after the resume.
    engineProcess->SetReading(false);
    isPlaying = false;
    playPauseAction->setText(GetText("MainWnd/Resume"));
    playPauseAction->setData(QStringLiteral("Resume"));
}

void DRUI::ResumeSession()
{
    if (!engineProcess) {
        return;
    }
    refreshTimer->start(500);
    if (!waitingForPicture) {
        sessionClock.Resume(MonotonicMs());
    }
    engineProcess->SetReading(true);
    WindowParts::ShowPlayIcon(playButton, true);
    isPlaying = true;
    playPauseAction->setText(GetText("MainWnd/Pause"));
    playPauseAction->setData(QStringLiteral("Pause"));
}

void DRUI::DoRefreshGui()
{
    if (!engineProcess) {
        return;
    }
    clockMs = sessionClock.PositionMs(MonotonicMs());
    SendCommand(SlaveCommand::GetTimeLength());
    SendCommand(SlaveCommand::GetTimePos());
    sessionClock.OnPositionAsked();
}

void DRUI::StopBtn()
{
    if (engineProcess) {
        refreshTimer->stop();
        SendCommand(SlaveCommand::Quit());
        elapsedLabel->setText(QStringLiteral("00:00:00 "));
    }
    isStopped = true;
    isPlaying = false;
    sessionClock.Pause(MonotonicMs());
    ShowPlayEntry();
    statusLabel->clear();
    loadedPath.clear();
    if (CurrentPage() == Page::Video) {
        ShowPage(Page::Start);
    }
    seekSlider->setValue(0);
    seekSlider->setEnabled(false);
}

void DRUI::StartClockWithThePicture()
{
    if (!waitingForPicture) {
        return;
    }
    waitingForPicture = false;
    if (isPlaying) {
        sessionClock.Resume(MonotonicMs());
    }
}

void DRUI::ShowPlayEntry()
{
    // After a session ends, the play button and the Play entry start it again.
    WindowParts::ShowPlayIcon(playButton, false);
    playPauseAction->setText(GetText("MainWnd/Play"));
    playPauseAction->setData(QStringLiteral("Play"));
}

void DRUI::Navigation()
{
    if (engineProcess) {
        refreshTimer->stop();
        SendCommand(SlaveCommand::Quit());
        isStopped = true;
    }
    loadedPath.clear();
    // Until a disc has been loaded its page would be empty and its entries would do nothing.
    const bool discLoaded = sourceKind == SourceKind::BluRay && !currentTitleKey.isEmpty();
    ShowPage(discLoaded ? Page::Disc : Page::Start);
}

void DRUI::MPlayerDataRecieve(const EngineEvent &event)
{
    switch (event.kind) {
    case EngineEvent::Kind::PositionAnswer:
        // The answer paces the display and keeps the clock honest; the position shown is the
        // front end's clock.
        // A source without a picture (a sound file) never prints "VIDEO: "; its first answer
        // says it plays.
        StartClockWithThePicture();
        sessionClock.OnEnginePosition(event.valueValid ? event.value : -1, MonotonicMs());
        clockMs = sessionClock.PositionMs(MonotonicMs());
        positionText = PositionTextFromClock(clockMs);
        if (answerPacer.CountAnswer()) {
            seekSlider->setValue(positionText.toInt());
        }
        break;
    case EngineEvent::Kind::LengthAnswer: {
        const LengthDecision decision =
            DecideLengthAnswer(sourceKind, durationSec, event.wholeSeconds);
        durationSec = decision.durationSec;
        if (decision.sliderRangeChanged) {
            seekSlider->setRange(0, int(durationSec));
        }
        elapsedLabel->setText(FormatTime(positionText.toLongLong()) + QLatin1Char(' '));
        totalLabel->setText(QLatin1Char(' ') + FormatTime(durationSec));
        break;
    }
    case EngineEvent::Kind::PercentAnswer:
        break;
    case EngineEvent::Kind::Playing:
        streamTally.OnPlaying();
        break;
    case EngineEvent::Kind::EndOfFile:
    case EngineEvent::Kind::Quit:
        EndSessionDisplay();
        break;
    case EngineEvent::Kind::Screenshot:
        HandleScreenshotLine(event);
        break;
    case EngineEvent::Kind::AudioStream:
        streamTally.OnAudioStream();
        break;
    case EngineEvent::Kind::SubtitleStream:
        streamTally.OnSubtitleStream();
        break;
    case EngineEvent::Kind::VideoOutput:
        videoFrame->SetPictureSize(QSize(event.displayWidth, event.displayHeight));
        break;
    case EngineEvent::Kind::VideoStarted:
        StartClockWithThePicture();
        ApplyStreamMenus();
        QTimer::singleShot(ProbeAfterVideoLineMs, this, &DRUI::ProbePendingFiles);
        break;
    }
}

void DRUI::EndSessionDisplay()
{
    seekSlider->setValue(0);
    elapsedLabel->setText(QStringLiteral("00:00:00 "));
    totalLabel->setText(QLatin1Char(' ') + FormatTime(durationSec));
    WindowParts::ShowPlayIcon(playButton, false);
    loadedPath.clear();
    isPlaying = false;
    StopBtn();
}

void DRUI::EngineEnded()
{
    // An engine that crashed, was killed or could not play the file never prints its
    // closing line; its end still ends the session, or the window would go on "playing".
    if (!isStopped || CurrentPage() == Page::Video) {
        EndSessionDisplay();
    }
}

void DRUI::EngineFailedToStart(const QString &program)
{
    EndSessionDisplay();
    CMessageBox::Inform(geometry(), GetText("Messages/MSG0104").arg(program));
}

void DRUI::ApplyStreamMenus()
{
    for (const QByteArray &command :
         TrackMenus::FitToEngine(audioTrackSubmenu, subtitleTrackSubmenu, streamTally.AudioCount(),
                                 streamTally.SubtitleCount(), pendingAudioTrack,
                                 pendingSubtitleTrack, volumeSlider->value())) {
        SendCommand(command);
    }
}

void DRUI::HandleScreenshotLine(const EngineEvent &event)
{
    SnapshotWriter::Keep(event.screenshotPath, AppFolders::AppDataFolder(),
                         AppFolders::DocumentsFolder(), QDateTime::currentDateTime(),
                         snapshotFormat);
}
