// Transport controls, keyboard, the Video, Audio and Tools menus.
#include "ui/DRUI.h"
#include "ui/TrackMenus.h"

#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "player/SnapshotNaming.h"
#include "player/TimeText.h"
#include "ui/CProcessUI.h"
#include "ui/FullScreenControls.h"
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
    connect(bottom.seek, &QSlider::sliderPressed, this, &DRUI::SliderPress);
    connect(bottom.seek, &QSlider::sliderMoved, this, &DRUI::SliderSeek);
    connect(bottom.seek, &QSlider::sliderReleased, this, &DRUI::SliderRelease);
    connect(bottom.play, &QPushButton::clicked, this, &DRUI::VideoPlay);
    connect(bottom.stop, &QPushButton::clicked, this, &DRUI::StopBtn);
    connect(bottom.previous, &QPushButton::clicked, this, &DRUI::PlayPre);
    connect(bottom.next, &QPushButton::clicked, this, &DRUI::PlayNext);
    connect(bottom.volume, &QPushButton::clicked, this, &DRUI::VolumeBtn);
    connect(bottom.volumeSlider, &QSlider::sliderMoved, this, &DRUI::VolumeSliderSeek);
    connect(bottom.fullScreen, &QPushButton::clicked, this, &DRUI::FullScreenBtn);
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
    Request(Ask::SeekTo{Ask::Seconds(seekTargetSec)});
    answerPacer.Reset();
}

void DRUI::SliderMouseLButtonPress(QObject *slider, QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    auto *target = qobject_cast<QSlider *>(slider);
    if (!target || mouse->button() != Qt::LeftButton || target->width() <= 0)
        return;
    const double fraction = mouse->position().x() / target->width();
    const int value = int(target->minimum() + (target->maximum() - target->minimum()) * fraction);
    if (value == target->sliderPosition())
        return;
    if (target == bottom.seek) {
        seekTargetSec = qMax(value, 0);
        target->setSliderPosition(value);
        SliderRelease();
    } else if (target == bottom.volumeSlider) {
        VolumeSliderSeek(value);
    }
}

void DRUI::VolumeSliderSeek(int value)
{
    Request(Ask::Volume{value});
}

void DRUI::VolumeBtn()
{
    Request(Ask::ToggleMute{});
}

void DRUI::FullScreenBtn()
{
    if (controller->State().active)
        SetFullScreen(!isFullScreen);
}

void DRUI::SetFullScreen(bool on)
{
    menuStrip->setVisible(!on);
    bottom.panel->setVisible(!on);
    if (on) {
        playlistTable->hide();
        fullScreen->Enter(bottom.panel);
    } else {
        fullScreen->Leave();
    }
    isFullScreen = on;
}

bool DRUI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == videoSurface && event->type() == QEvent::MouseButtonDblClick) {
        FullScreenBtn();
    } else if (watched == bottom.seek && event->type() == QEvent::MouseButtonPress &&
               controller->State().active) {
        answerPacer.Reset();
        SliderMouseLButtonPress(watched, event);
    } else if (watched == bottom.volumeSlider && event->type() == QEvent::MouseButtonPress &&
               controller->State().active) {
        SliderMouseLButtonPress(watched, event);
    }
    return QMainWindow::eventFilter(watched, event);
}

void DRUI::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (isFullScreen)
            SetFullScreen(false);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void DRUI::paintEvent(QPaintEvent *event)
{
    const PlayerState state = controller->State();
    const bool bluray = state.openKind == SourceKind::BluRay;
    if (pageStack && CurrentPage() == Page::Video) {
        WindowMenus::EnableForVideoPage(*this, bluray);
        const QString name = bluray ? disc.name->text() : QFileInfo(state.launch.path).fileName();
        WindowParts::ShowStatusName(
            bottom.status, name,
            state.resumedAt ? GetText("MainWnd/ResumedAt").arg(TimeText(*state.resumedAt))
                            : QString());
    } else if (pageStack && CurrentPage() == Page::Disc && bluray) {
        disc.menu->show();
    }
    QMainWindow::paintEvent(event);
}

void DRUI::VideoPlay()
{
    PlayFromControls();
}

void DRUI::PlayFromControls()
{
    Request(Ask::PlayPause{});
}

void DRUI::StopBtn()
{
    Request(Ask::Stop{});
}

void DRUI::Navigation()
{
    Request(Ask::Navigation{});
}

void DRUI::PlayNext()
{
    Request(Ask::Next{});
}

void DRUI::PlayPre()
{
    Request(Ask::Previous{});
}

void DRUI::StepForward()
{
    Request(Ask::Step{Ask::Seconds(60)});
}

void DRUI::StepBackward()
{
    Request(Ask::Step{Ask::Seconds(-60)});
}

void DRUI::StepForwardShort()
{
    Request(Ask::Step{Ask::Seconds(10)});
}

void DRUI::StepBackwardShort()
{
    Request(Ask::Step{Ask::Seconds(-10)});
}

void DRUI::ToggleDeinterlace()
{
    Request(Ask::Deinterlace{deinterlaceAction->isChecked()});
    ShowViewing();
}

void DRUI::ShowViewing()
{
    const PlayerState state = controller->State();
    TrackMenus::ShowViewing(state, speedSubmenu, aspectSubmenu, deinterlaceAction);
    ShowVideoTrack(state.videoTrack);
}

void DRUI::VolumeUp()
{
    Request(Ask::VolumeStep{5});
}

void DRUI::VolumeDown()
{
    Request(Ask::VolumeStep{-5});
}

void DRUI::StartOver()
{
    Request(Ask::StartOver{});
}

void DRUI::TogglePlayNext()
{
    Request(Ask::PlayNextAutomatically{playNextAction->isChecked()});
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
    Request(Ask::Snapshot{});
}

void DRUI::ShowPreferences()
{
    CProcessUI dialog;
    dialog.formatIndex = snapshotFormatIndex;
    const PlayerPreferences preferences = controller->State().preferences;
    dialog.resume = preferences.Resume();
    dialog.audioLanguage = preferences.AudioLanguage();
    dialog.subtitleLanguage = preferences.SubtitleLanguage();
    dialog.BuildLayout();
    dialog.exec();
    if (dialog.resultFlag == 0) {
        snapshotFormatIndex = dialog.formatIndex;
        snapshotFormat = dialog.formatCombo->currentText();
        Request(Ask::ResumeWhereLeft{dialog.resume});
        if (dialog.audioLanguage != preferences.AudioLanguage() ||
            dialog.subtitleLanguage != preferences.SubtitleLanguage())
            Request(Ask::PreferredLanguages{dialog.audioLanguage, dialog.subtitleLanguage});
    }
}

void DRUI::btnOpenSnapshotFolder()
{
    const QString folder =
        SnapshotFolder(AppFolders::AppDataFolder(), AppFolders::DocumentsFolder());
    QDir().mkpath(folder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
