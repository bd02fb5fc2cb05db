// Transport controls, keyboard, the Video, Audio and Tools menus.
#include "ui/DRUI.h"

#include "engine/FormatTime.h"
#include "engine/SlaveCommand.h"
#include "platform/AppFolders.h"
#include "player/SnapshotNaming.h"
#include "player/TransportRules.h"
#include "ui/CProcessUI.h"
#include "ui/WindowMenus.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

void DRUI::ConnectControls()
{
    connect(seekSlider, &QSlider::sliderPressed, this, &DRUI::SliderPress);
    connect(seekSlider, &QSlider::sliderMoved, this, &DRUI::SliderSeek);
    connect(seekSlider, &QSlider::sliderReleased, this, &DRUI::SliderRelease);
    connect(playButton, &QPushButton::clicked, this, &DRUI::VideoPlay);
    connect(stopButton, &QPushButton::clicked, this, &DRUI::StopBtn);
    connect(previousButton, &QPushButton::clicked, this, &DRUI::PlayPre);
    connect(nextButton, &QPushButton::clicked, this, &DRUI::PlayNext);
    connect(volumeButton, &QPushButton::clicked, this, &DRUI::VolumeBtn);
    connect(volumeSlider, &QSlider::sliderMoved, this, &DRUI::VolumeSliderSeek);
    connect(fullScreenButton, &QPushButton::clicked, this, &DRUI::FullScreenBtn);
}

void DRUI::SliderPress()
{
    answerPacer.Reset();
}

void DRUI::SliderSeek(int value)
{
    seekTargetSec = qMax(value, 0);
}

void DRUI::SliderRelease()
{
    if (engineProcess && !isStopped) {
        SeekTo(seekTargetSec);
        seekSlider->setValue(seekTargetSec);
        positionText = QString::number(seekTargetSec);
        elapsedLabel->setText(FormatTime(seekTargetSec));
        ResumeSession();
    }
    answerPacer.Reset();
}

void DRUI::SliderMouseLButtonPress(QObject *slider, QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    auto *target = qobject_cast<QSlider *>(slider);
    if (!target || mouse->button() != Qt::LeftButton || target->width() <= 0) {
        return;
    }
    const double fraction = mouse->position().x() / target->width();
    const int value = int(target->minimum() + (target->maximum() - target->minimum()) * fraction);
    if (value == target->sliderPosition()) {
        return;
    }
    if (target == seekSlider) {
        seekTargetSec = qMax(value, 0);
        target->setSliderPosition(value);
        SliderRelease();
    } else if (target == volumeSlider) {
        VolumeSliderSeek(value);
    }
}

void DRUI::VolumeSliderSeek(int value)
{
    value = qBound(0, value, 100);
    volumeSlider->setValue(value);
    isMuted = value == 0;
    WindowParts::ShowVolumeIcon(volumeButton, isMuted);
    if (engineProcess) {
        SendCommand(SlaveCommand::VolumeKeepPause(value));
    }
}

void DRUI::VolumeBtn()
{
    isMuted = !isMuted;
    volumeSlider->setValue(isMuted ? 0 : 50);
    if (engineProcess) {
        // With the prefix a paused engine stays paused, as the window still shows it.
        SendCommand(SlaveCommand::VolumeKeepPause(volumeSlider->value()));
    }
    WindowParts::ShowVolumeIcon(volumeButton, isMuted);
}

void DRUI::FullScreenBtn()
{
    if (!engineProcess || isStopped) {
        return;
    }
    if (!isFullScreen) {
        menuStrip->hide();
        bottomPanel->hide();
        playlistTable->hide();
        showFullScreen();
    } else {
        menuStrip->show();
        bottomPanel->show();
        showNormal();
    }
    isFullScreen = !isFullScreen;
}

bool DRUI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == videoSurface && event->type() == QEvent::MouseButtonDblClick) {
        FullScreenBtn();
    } else if (watched == seekSlider && event->type() == QEvent::MouseButtonPress &&
               engineProcess && !isStopped) {
        answerPacer.Reset();
        SliderMouseLButtonPress(watched, event);
    } else if (watched == volumeSlider && event->type() == QEvent::MouseButtonPress &&
               engineProcess && !isStopped) {
        SliderMouseLButtonPress(watched, event);
    }
    return QMainWindow::eventFilter(watched, event);
}

void DRUI::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (isFullScreen) {
            menuStrip->show();
            bottomPanel->show();
            showNormal();
            isFullScreen = false;
        }
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void DRUI::paintEvent(QPaintEvent *event)
{
    if (pageStack && CurrentPage() == Page::Video) {
        WindowMenus::EnableForVideoPage(*this, sourceKind == SourceKind::BluRay);
        WindowParts::ShowStatusName(statusLabel, sourceKind == SourceKind::BluRay
                                                     ? discNameLabel->text()
                                                     : QFileInfo(requestedPath).fileName());
    } else if (pageStack && CurrentPage() == Page::Disc && sourceKind == SourceKind::BluRay) {
        discPageMenu->show();
    }
    QMainWindow::paintEvent(event);
}

void DRUI::PlayFromControls()
{
    PlayRequestState state;
    state.sessionRunning = engineProcess && !isStopped;
    state.playing = isPlaying;
    state.kind = sourceKind;
    state.hasSource = !requestedPath.isEmpty();
    switch (DecidePlayRequest(state)) {
    case PlayRequest::PauseSession:
        PauseSession();
        break;
    case PlayRequest::ResumeSession:
        ResumeSession();
        break;
    case PlayRequest::PlayBluRayTitle:
        PlayBluRayTitle();
        break;
    case PlayRequest::ReopenSource:
        if (sourceKind == SourceKind::Dvd) {
            OpenDvdFolder(requestedPath);
        } else {
            OpenMediaFiles({requestedPath});
        }
        break;
    case PlayRequest::AskForFile:
        btnOpenFile();
        break;
    }
}

void DRUI::StepForward()
{
    StepSeek(60);
}

void DRUI::StepBackward()
{
    StepSeek(-60);
}

void DRUI::StepSeek(int seconds)
{
    ResumeSession();
    if (!engineProcess) {
        return;
    }
    const qint64 origin = StepSeekOrigin(seekSlider->value(), clockMs, durationSec);
    answerPacer.Reset();
    seekTargetSec = int(StepSeekTarget(origin, seconds, durationSec));
    SliderRelease();
}

void DRUI::VolumeUp()
{
    VolumeSliderSeek(volumeSlider->value() + 5);
}

void DRUI::VolumeDown()
{
    VolumeSliderSeek(volumeSlider->value() - 5);
}

void DRUI::ResizeToHalfSize()
{
    WindowParts::ResizeWithinScreen(this, QSize(500, 340));
}

void DRUI::ResizeToNormalSize()
{
    WindowParts::ResizeWithinScreen(this, QSize(1000, 680));
}

void DRUI::ResizeToDoubleSize()
{
    WindowParts::ResizeWithinScreen(this, QSize(2000, 1360));
}

void DRUI::FitToScreen()
{
    setWindowState(Qt::WindowMaximized);
}

void DRUI::TogglePlaylist()
{
    playlistTable->setVisible(playlistTable->isHidden());
}

void DRUI::TakeSnapshot()
{
    if (engineProcess) {
        SendCommand(SlaveCommand::Screenshot());
    }
}

void DRUI::ShowPreferences()
{
    CProcessUI dialog;
    dialog.formatIndex = snapshotFormatIndex;
    dialog.BuildLayout();
    dialog.exec();
    if (dialog.resultFlag == 0) {
        snapshotFormatIndex = dialog.formatIndex;
        snapshotFormat = dialog.formatCombo->currentText();
    }
}

void DRUI::btnOpenSnapshotFolder()
{
    const QString folder = SnapshotFolder(appDataFolder, AppFolders::DocumentsFolder());
    QDir().mkpath(folder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
