// Transport controls, keyboard, the Video, Audio and Tools menus.
#include "ui/DRUI.h"

#include "engine/FormatTime.h"
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
    if (session->IsActive()) {
        SeekTo(seekTargetSec);
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
    session->SetVolume(value);
}

void DRUI::VolumeBtn()
{
    Request(SessionRequest::Of(SessionRequest::Kind::ToggleMute));
}

void DRUI::ToggleMute()
{
    // Unmuting returns to the level before the mute, not to a fixed one.
    if (!isMuted) {
        volumeBeforeMute = volumeSlider->value() > 0 ? volumeSlider->value() : volumeBeforeMute;
    }
    VolumeSliderSeek(isMuted ? qMax(volumeBeforeMute, 1) : 0);
}

void DRUI::FullScreenBtn()
{
    if (!session->IsActive()) {
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
               session->IsActive()) {
        answerPacer.Reset();
        SliderMouseLButtonPress(watched, event);
    } else if (watched == volumeSlider && event->type() == QEvent::MouseButtonPress &&
               session->IsActive()) {
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
        const QString name = sourceKind == SourceKind::BluRay
                                 ? discNameLabel->text()
                                 : QFileInfo(session->CurrentLaunch().path).fileName();
        WindowParts::ShowStatusName(statusLabel, name, ResumeNotice());
    } else if (pageStack && CurrentPage() == Page::Disc && sourceKind == SourceKind::BluRay) {
        discPageMenu->show();
    }
    QMainWindow::paintEvent(event);
}

void DRUI::PlayFromControls()
{
    Request(SessionRequest::Of(SessionRequest::Kind::PlayPause));
}

void DRUI::StepForward()
{
    Request(SessionRequest::Of(SessionRequest::Kind::Step, 60));
}

void DRUI::StepBackward()
{
    Request(SessionRequest::Of(SessionRequest::Kind::Step, -60));
}

void DRUI::StepSeek(int seconds)
{
    if (session->CurrentState() == PlaybackSession::State::Paused) {
        session->Resume();
    }
    if (!session->IsActive()) {
        return;
    }
    const qint64 duration = session->DurationSec();
    const qint64 origin = StepSeekOrigin(seekSlider->value(), session->PositionMs(), duration);
    answerPacer.Reset();
    SeekTo(StepSeekTarget(origin, seconds, duration));
}

void DRUI::VolumeUp()
{
    Request(SessionRequest::Of(SessionRequest::Kind::VolumeStep, 5));
}

void DRUI::VolumeDown()
{
    Request(SessionRequest::Of(SessionRequest::Kind::VolumeStep, -5));
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
    Request(SessionRequest::Of(SessionRequest::Kind::Snapshot));
}

void DRUI::ShowPreferences()
{
    CProcessUI dialog;
    dialog.formatIndex = snapshotFormatIndex;
    dialog.resume = preferences.Resume();
    dialog.BuildLayout();
    dialog.exec();
    if (dialog.resultFlag == 0) {
        snapshotFormatIndex = dialog.formatIndex;
        snapshotFormat = dialog.formatCombo->currentText();
        if (dialog.resume != preferences.Resume()) {
            SetResumePreference(dialog.resume);
        }
    }
}

void DRUI::btnOpenSnapshotFolder()
{
    const QString folder = SnapshotFolder(appDataFolder, AppFolders::DocumentsFolder());
    QDir().mkpath(folder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
