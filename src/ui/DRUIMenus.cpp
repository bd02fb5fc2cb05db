// The menu slots. Entries that are made at run time (streams, chapters, titles, recent
// files) are told apart by the menu that owns them before the menu's table is asked.
#include "ui/DRUI.h"
#include "ui/TrackMenus.h"

#include "engine/SlaveCommand.h"
#include "ui/WindowMenus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>

namespace {

QMenu *ParentMenu(const QAction *action)
{
    return qobject_cast<QMenu *>(action->parent());
}

} // namespace

void DRUI::BDFileMenu(QAction *action)
{
    if (action->parent() == recentMenu && action->data().toString() != "Clear Menu") {
        const QString path = action->data().toString();
        if (!path.isEmpty()) {
            StopBtn();
            OpenSourcePath(path);
        }
        return;
    }
    WindowMenus::Dispatch(*this, WindowMenus::Menu::File, action);
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
    if (parentMenu && parentMenu->menuAction() == otherTitlesAction) {
        ChooseTitle(action);
        return;
    }
    WindowMenus::Dispatch(*this, WindowMenus::Menu::Controls, action);
}

void DRUI::BDVideoMenu(QAction *action)
{
    QMenu *parentMenu = ParentMenu(action);
    if (parentMenu == subtitleTrackSubmenu) {
        if (engineProcess) {
            SendCommand(SlaveCommand::SubDemuxKeepPause(action->data().toInt() - 1));
            TrackMenus::CheckOnly(subtitleTrackSubmenu, action);
        }
        return;
    }
    if (parentMenu == videoTrackSubmenu) {
        videoSurface->setVisible(action->data().toInt() != 0);
        TrackMenus::CheckOnly(videoTrackSubmenu, action);
        return;
    }
    WindowMenus::Dispatch(*this, WindowMenus::Menu::Video, action);
}

void DRUI::BDAudioMenu(QAction *action)
{
    QMenu *parentMenu = ParentMenu(action);
    if (parentMenu == audioTrackSubmenu) {
        if (engineProcess) {
            const int n = action->data().toInt();
            SendCommand(SlaveCommand::SwitchAudioKeepPause(n == 0 ? -2 : n - 1));
            // The engine starts a newly chosen stream at full level; the level and the mute
            // that the window shows must hold across the switch.
            SendCommand(SlaveCommand::VolumeKeepPause(volumeSlider->value()));
            TrackMenus::CheckOnly(audioTrackSubmenu, action);
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
            TrackMenus::CheckOnly(audioChannelSubmenu, action);
        }
        return;
    }
    WindowMenus::Dispatch(*this, WindowMenus::Menu::Audio, action);
}

void DRUI::BDToolMenu(QAction *action)
{
    WindowMenus::Dispatch(*this, WindowMenus::Menu::Tools, action);
}
