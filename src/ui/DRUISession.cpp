// The playback session: launching the engine, pausing, stopping, the clock, and what the
// engine's output does to the window.
#include "ui/DRUI.h"

#include "ui/CMessageBox.h"
#include "engine/EngineCommandLine.h"
#include "engine/EngineProcess.h"
#include "engine/EngineScreenshot.h"
#include "engine/FormatTime.h"
#include "i18n/GetText.h"
#include "player/PlaylistRules.h"
#include "player/SessionRules.h"
#include "engine/SlaveCommand.h"
#include "player/SnapshotNaming.h"
#include "player/SnapshotWriter.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTimer>

namespace {

void SetPlayIcon(QPushButton *button, bool playing)
{
    button->setIcon(
        QIcon(playing ? QStringLiteral(":/image/pause.png") : QStringLiteral(":/image/play.png")));
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
    if (requestedPath.isEmpty() || !QFile::exists(requestedPath)) {
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

    pageStack->setCurrentIndex(2);
    seekSlider->setEnabled(true);
    seekSlider->setRange(0, int(durationSec));
    seekSlider->setValue(0);
    answerPacer.Reset();
    seekTargetSec = 0;
    isStopped = false;
    if (sourceKind != 2) {
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
    ResetAudioChannelMenu();

    std::optional<int> titleNumber;
    if (titleNumbers.contains(currentTitleKey)) {
        titleNumber = titleNumbers.value(currentTitleKey);
    }
    const QStringList arguments =
        EngineArguments(sourceKind, requestedPath, videoSurface->winId(), titleChosen, titleNumber);
    engineProcess->SetWorkingFolder(AppFolders::AppDataFolder());
    engineProcess->Start(arguments);

    SetPlayIcon(playButton, true);
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
    for (int row = 0; row < playlistTable->rowCount(); ++row) {
        if (QTableWidgetItem *item = playlistTable->item(row, 0)) {
            item->setIcon(QIcon());
        }
    }
    for (int row : PlaylistRowsMatching(playlist, requestedPath)) {
        if (QTableWidgetItem *item = playlistTable->item(row, 0)) {
            playlistTable->selectRow(row);
            playlistTable->setFocus();
            item->setIcon(QIcon(QStringLiteral(":/image/playstatus.png")));
        }
    }
}

void DRUI::PauseSession()
{
    if (!engineProcess) {
        return;
    }
    refreshTimer->stop();
    SendCommand(SlaveCommand::Pause());
    SetPlayIcon(playButton, false);
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
    engineProcess->SetReading(true);
    SetPlayIcon(playButton, true);
    isPlaying = true;
    playPauseAction->setText(GetText("MainWnd/Pause"));
    playPauseAction->setData(QStringLiteral("Pause"));
}

void DRUI::DoRefreshGui()
{
    if (!engineProcess) {
        return;
    }
    clockMs += 507;
    SendCommand(SlaveCommand::GetTimeLength());
    SendCommand(SlaveCommand::GetTimePos());
}

void DRUI::StopBtn()
{
    if (engineProcess) {
        refreshTimer->stop();
        SendCommand(SlaveCommand::Quit());
        elapsedLabel->setText(QStringLiteral("00:00:00 "));
    }
    isStopped = true;
    statusLabel->clear();
    loadedPath.clear();
    if (pageStack->currentIndex() == 2) {
        pageStack->setCurrentIndex(0);
    }
    seekSlider->setValue(0);
    seekSlider->setEnabled(false);
}

void DRUI::Navigation()
{
    if (engineProcess) {
        refreshTimer->stop();
        SendCommand(SlaveCommand::Quit());
        isStopped = true;
    }
    loadedPath.clear();
    pageStack->setCurrentIndex(sourceKind == 2 ? 1 : 0);
}

void DRUI::MPlayerDataRecieve(const EngineEvent &event)
{
    switch (event.kind) {
    case EngineEvent::Kind::PositionAnswer:
        // The answer only paces the display; the position shown is the front end's clock.
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
    case EngineEvent::Kind::VideoStarted:
        ApplyStreamMenus();
        break;
    }
}

void DRUI::EndSessionDisplay()
{
    seekSlider->setValue(0);
    elapsedLabel->setText(QStringLiteral("00:00:00 "));
    totalLabel->setText(QLatin1Char(' ') + FormatTime(durationSec));
    SetPlayIcon(playButton, false);
    loadedPath.clear();
    isPlaying = false;
    StopBtn();
}

void DRUI::EngineEnded()
{
    // An engine that crashed, was killed or could not play the file never prints its
    // closing line; its end still ends the session, or the window would go on "playing".
    if (!isStopped || pageStack->currentIndex() == 2) {
        EndSessionDisplay();
    }
}

void DRUI::EngineFailedToStart(const QString &program)
{
    EndSessionDisplay();
    CMessageBox box;
    box.setGeometry(CMessageBox::PlacementFor(geometry()));
    box.ShowInformation(GetText("Messages/MSG0104").arg(program));
    box.exec();
}

void DRUI::SelectOnly(QMenu *menu, int index)
{
    const QList<QAction *> entries = menu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        if (i == index) {
            entries[i]->setCheckable(true);
            entries[i]->setChecked(true);
        } else {
            entries[i]->setChecked(false);
        }
    }
}

void DRUI::ApplyStreamMenus()
{
    if (pendingSubtitleTrack >= 0) {
        SendCommand(SlaveCommand::SubDemux(pendingSubtitleTrack));
        SelectOnly(subtitleTrackSubmenu, pendingSubtitleTrack + 1);
    }
    if (pendingAudioTrack >= 0) {
        SendCommand(SlaveCommand::SwitchAudio(pendingAudioTrack));
        SelectOnly(audioTrackSubmenu, pendingAudioTrack + 1);
    }
    if (StreamTally::MenuNeedsRebuild(streamTally.AudioCount(),
                                      int(audioTrackSubmenu->actions().size()))) {
        audioTrackSubmenu->clear();
        auto *off = new QAction(QStringLiteral("Disable"), audioTrackSubmenu);
        off->setData(0);
        audioTrackSubmenu->addAction(off);
        for (int n = 1; n <= streamTally.AudioCount(); ++n) {
            auto *entry = new QAction(QStringLiteral("Audio %1").arg(n), audioTrackSubmenu);
            entry->setData(n);
            if (n == 1) {
                entry->setCheckable(true);
                entry->setChecked(true);
            }
            audioTrackSubmenu->addAction(entry);
        }
        SendCommand(SlaveCommand::SwitchAudioKeepPause(0));
    }
    if (StreamTally::MenuNeedsRebuild(streamTally.SubtitleCount(),
                                      int(subtitleTrackSubmenu->actions().size()))) {
        subtitleTrackSubmenu->clear();
        auto *off = new QAction(QStringLiteral("Disable"), subtitleTrackSubmenu);
        off->setData(0);
        off->setCheckable(true);
        off->setChecked(true);
        subtitleTrackSubmenu->addAction(off);
        for (int n = 1; n <= streamTally.SubtitleCount(); ++n) {
            auto *entry = new QAction(QStringLiteral("Subtitle %1").arg(n), subtitleTrackSubmenu);
            entry->setData(n);
            subtitleTrackSubmenu->addAction(entry);
        }
    }
}

void DRUI::HandleScreenshotLine(const EngineEvent &event)
{
    // The name comes from engine output, which also carries the media's own metadata, so
    // only a file the screenshot filter itself wrote is touched.
    const QString folder = AppFolders::AppDataFolder();
    const EngineScreenshot screenshot = EngineScreenshot::Check(event.screenshotPath, folder);
    if (!screenshot.IsAccepted()) {
        return;
    }
    const QString snapshotFolder = SnapshotFolder(folder, AppFolders::DocumentsFolder());
    // On a new installation the default folder does not exist yet; without it every
    // snapshot would be lost without a word.
    AppFolders::EnsureFolder(snapshotFolder);
    const QString snapshotFile =
        SnapshotFileName(snapshotFolder, QDateTime::currentDateTime(), snapshotFormat);
    SnapshotWriter::Save(screenshot, snapshotFile, snapshotFormat);
}
