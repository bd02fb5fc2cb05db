// Transport controls, keyboard, the Video, Audio and Tools menus.
#include "ui/DRUI.h"

#include "engine/FormatTime.h"
#include "engine/SlaveCommand.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTimer>

namespace {

QMenu *ParentMenu(const QAction *action)
{
    return qobject_cast<QMenu *>(action->parent());
}

} // namespace

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

void DRUI::CheckOnly(QMenu *submenu, QAction *entry)
{
    for (QAction *action : submenu->actions()) {
        action->setChecked(false);
    }
    entry->setCheckable(true);
    entry->setChecked(true);
}

void DRUI::ResetAudioChannelMenu()
{
    const QList<QAction *> entries = audioChannelSubmenu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        entries[i]->setCheckable(i == 0);
        entries[i]->setChecked(i == 0);
    }
}

void DRUI::BDControlsMenu(QAction *action)
{
    titleChosen = false;
    const QMenu *parentMenu = ParentMenu(action);
    if (parentMenu && parentMenu->menuAction() == chapterAction) {
        const int second = action->data().toInt() / 1000;
        if (engineProcess) {
            ResumeSession();
            SeekTo(second);
        }
        return;
    }

    const QString data = action->data().toString();
    if (data == QLatin1String("Play")) {
        // A Blu-ray title starts from the disc page; until one is loaded there is nothing
        // of that kind to start here.
        if (sourceKind != SourceKind::BluRay) {
            if (!requestedPath.isEmpty()) {
                OpenMediaFiles({requestedPath});
            } else {
                btnOpenFile();
            }
        }
    } else if (data == QLatin1String("Pause")) {
        PauseSession();
    } else if (data == QLatin1String("Resume")) {
        ResumeSession();
    } else if (data == QLatin1String("Stop")) {
        StopBtn();
    } else if (data == QLatin1String("Pre")) {
        PlayPre();
    } else if (data == QLatin1String("Next")) {
        PlayNext();
    } else if (data == QLatin1String("Forward") || data == QLatin1String("Backward")) {
        ResumeSession();
        if (engineProcess) {
            qint64 target = seekSlider->value() + (data == QLatin1String("Forward") ? 60 : -60);
            answerPacer.Reset();
            if (target > durationSec) {
                target = durationSec - 4;
            }
            seekTargetSec = int(qMax<qint64>(target, 0));
            SliderRelease();
        }
    } else if (data == QLatin1String("VolumeUp")) {
        VolumeSliderSeek(volumeSlider->value() + 5);
    } else if (data == QLatin1String("VolumeDown")) {
        VolumeSliderSeek(volumeSlider->value() - 5);
    } else if (data == QLatin1String("Navigation")) {
        Navigation();
    } else if (data == QLatin1String("FullScreen")) {
        FullScreenBtn();
    }
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

void DRUI::ShowVolumeIcon()
{
    const QPixmap pixmap(isMuted ? QStringLiteral(":/image/no-volume.png")
                                 : QStringLiteral(":/image/volume.png"));
    volumeButton->setIcon(QIcon(pixmap));
    volumeButton->setIconSize(pixmap.size());
    volumeButton->setFixedSize(pixmap.size());
}

void DRUI::VolumeSliderSeek(int value)
{
    value = qBound(0, value, 100);
    volumeSlider->setValue(value);
    isMuted = value == 0;
    ShowVolumeIcon();
    if (engineProcess) {
        SendCommand(SlaveCommand::VolumeKeepPause(value));
    }
}

void DRUI::VolumeBtn()
{
    isMuted = !isMuted;
    volumeSlider->setValue(isMuted ? 0 : 50);
    if (engineProcess) {
        SendCommand(isMuted ? SlaveCommand::Mute() : SlaveCommand::Unmute());
    }
    ShowVolumeIcon();
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

void DRUI::BDVideoMenu(QAction *action)
{
    QMenu *parentMenu = ParentMenu(action);
    if (parentMenu == subtitleTrackSubmenu) {
        if (engineProcess) {
            SendCommand(SlaveCommand::SubDemuxKeepPause(action->data().toInt() - 1));
            CheckOnly(subtitleTrackSubmenu, action);
        }
        return;
    }
    if (parentMenu == videoTrackSubmenu) {
        videoSurface->setVisible(action->data().toInt() != 0);
        CheckOnly(videoTrackSubmenu, action);
        return;
    }
    const QString data = action->data().toString();
    if (data == QLatin1String("HalfSize")) {
        resize(500, 340);
    } else if (data == QLatin1String("NormalSize")) {
        resize(1000, 680);
    } else if (data == QLatin1String("DoubleSize")) {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        resize(qMin(2000, available.width()), qMin(1360, available.height()));
    } else if (data == QLatin1String("Fit2Screen")) {
        setWindowState(Qt::WindowMaximized);
    }
}

void DRUI::BDAudioMenu(QAction *action)
{
    QMenu *parentMenu = ParentMenu(action);
    if (parentMenu == audioTrackSubmenu) {
        if (engineProcess) {
            const int n = action->data().toInt();
            SendCommand(SlaveCommand::SwitchAudioKeepPause(n == 0 ? -2 : n - 1));
            CheckOnly(audioTrackSubmenu, action);
        }
        return;
    }
    if (parentMenu == audioChannelSubmenu) {
        const QString data = action->data().toString();
        const int side = data == QLatin1String("Left")    ? -1
                         : data == QLatin1String("Right") ? 1
                                                          : 0;
        if (engineProcess) {
            SendCommand(SlaveCommand::Balance(side));
            CheckOnly(audioChannelSubmenu, action);
        }
    }
}

void DRUI::BDToolMenu(QAction *action)
{
    const QString data = action->data().toString();
    if (data == QLatin1String("PlayList")) {
        playlistTable->setVisible(playlistTable->isHidden());
    } else if (data == QLatin1String("Snapshot")) {
        if (engineProcess) {
            SendCommand(SlaveCommand::Screenshot());
        }
    }
}

void DRUI::paintEvent(QPaintEvent *event)
{
    if (pageStack && CurrentPage() == Page::Video) {
        for (QAction *action : controlsMenu->actions()) {
            action->setEnabled(action->data().toString() != QLatin1String("Navigation") ||
                               sourceKind == SourceKind::BluRay);
        }
        for (QMenu *menu : {videoMenu, audioMenu, toolsMenu}) {
            for (QAction *action : menu->actions()) {
                action->setEnabled(true);
            }
        }
        snapshotAction->setEnabled(true);
        const QString name = sourceKind == SourceKind::BluRay ? discNameLabel->text()
                                                              : QFileInfo(requestedPath).fileName();
        statusLabel->setText(QStringLiteral("    ") + name);
    } else if (pageStack && CurrentPage() == Page::Disc && sourceKind == SourceKind::BluRay) {
        discPageMenu->show();
    }
    QMainWindow::paintEvent(event);
}
