// The window's menus: one table per menu builds it and dispatches its actions. Entries that
// are made at run time (streams, chapters, titles, recent files) are told apart by the menu
// that owns them before the table is asked.
#include "ui/DRUI.h"
#include "ui/TrackMenus.h"

#include "engine/SlaveCommand.h"
#include "ui/MenuTable.h"
#include "ui/WindowStyle.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QWidget>

namespace {

QMenu *ParentMenu(const QAction *action)
{
    return qobject_cast<QMenu *>(action->parent());
}

QMenu *NavigationSubmenu(QWidget *owner)
{
    auto *menu = new QMenu(owner);
    menu->setWindowFlags(menu->windowFlags() | Qt::FramelessWindowHint);
    menu->setAttribute(Qt::WA_TranslucentBackground);
    menu->setStyleSheet(WindowStyle::navigationSubmenu);
    return menu;
}

} // namespace

MenuTable<DRUI> DRUI::FileMenuTable()
{
    static const MenuRow<DRUI> rows[] = {
        {"MainWnd/OpenFile", "Open File", nullptr, true, &DRUI::btnOpenFile, "..."},
        {"MainWnd/OpenDisc", "Open Disc", nullptr, true, &DRUI::btnLoadBDPath, "..."},
        {"MainWnd/RecentFiles", "Recent Files", nullptr, true, nullptr, ""},
        {"MainWnd/Eject", "Eject", nullptr, true, &DRUI::StopBtn, ""},
        {"MainWnd/Close", "Close", nullptr, true, &DRUI::btnCloseSlot, ""},
        // The last entry of the recent-files submenu.
        {nullptr, "Clear Menu", nullptr, true, &DRUI::ClearRecentFiles, ""},
    };
    return MakeMenuTable("File", rows);
}

MenuTable<DRUI> DRUI::ControlsMenuTable()
{
    static const MenuRow<DRUI> rows[] = {
        {"MainWnd/Play", "Play", "Space", true, &DRUI::PlayFromControls, ""},
        {"MainWnd/Stop", "Stop", nullptr, true, &DRUI::StopBtn, ""},
        {"MainWnd/Previous", "Pre", nullptr, false, &DRUI::PlayPre, ""},
        {"MainWnd/Next", "Next", nullptr, true, &DRUI::PlayNext, ""},
        {"MainWnd/Forward", "Forward", "Right", true, &DRUI::StepForward, ""},
        {"MainWnd/Backward", "Backward", "Left", true, &DRUI::StepBackward, ""},
        {"MainWnd/VolumeUp", "VolumeUp", "Up", true, &DRUI::VolumeUp, ""},
        {"MainWnd/VolumeDown", "VolumeDown", "Down", true, &DRUI::VolumeDown, ""},
        {"MainWnd/NavigationPanel", "Navigation", "P", true, &DRUI::Navigation, ""},
        {"MainWnd/Title", "Title", nullptr, true, nullptr, ""},
        {"MainWnd/Chapter", "Chapter", nullptr, true, nullptr, ""},
        {"MainWnd/FullScreen", "FullScreen", "F", false, &DRUI::FullScreenBtn, ""},
        // The first entry's keyword follows the session: "Pause" while playing, "Resume"
        // while paused.
        {nullptr, "Pause", nullptr, true, &DRUI::PauseSession, ""},
        {nullptr, "Resume", nullptr, true, &DRUI::ResumeSession, ""},
    };
    return MakeMenuTable("Controls", rows);
}

MenuTable<DRUI> DRUI::VideoMenuTable()
{
    static const MenuRow<DRUI> rows[] = {
        {"MainWnd/HalfSize", "HalfSize", nullptr, false, &DRUI::ResizeToHalfSize, ""},
        {"MainWnd/NormalSize", "NormalSize", nullptr, true, &DRUI::ResizeToNormalSize, ""},
        {"MainWnd/DoubleSize", "DoubleSize", nullptr, true, &DRUI::ResizeToDoubleSize, ""},
        {"MainWnd/Fit2Screen", "Fit2Screen", nullptr, true, &DRUI::FitToScreen, ""},
        {"MainWnd/VideoTrack", "VideoTrack", nullptr, true, nullptr, ""},
        {"MainWnd/SubtitleTrack", "SubtitleTrack", nullptr, true, nullptr, ""},
    };
    return MakeMenuTable("Video", rows);
}

MenuTable<DRUI> DRUI::AudioMenuTable()
{
    static const MenuRow<DRUI> rows[] = {
        {"MainWnd/AudioTrack", "AudioTrack", nullptr, false, nullptr, ""},
        {"MainWnd/AudioChannel", "AudioChannel", nullptr, false, nullptr, ""},
    };
    return MakeMenuTable("Audio", rows);
}

MenuTable<DRUI> DRUI::ToolsMenuTable()
{
    static const MenuRow<DRUI> rows[] = {
        {"MainWnd/PlayList", "PlayList", nullptr, true, &DRUI::TogglePlaylist, "..."},
        {"MainWnd/Preferences", "Preferences", nullptr, true, &DRUI::ShowPreferences, "..."},
        {"MainWnd/Snapshot", "Snapshot", "S", false, &DRUI::TakeSnapshot, ""},
    };
    return MakeMenuTable("Tools", rows);
}

QMenu *DRUI::BuildFileMenu()
{
    fileMenu = new QMenu;
    const auto entries = BuildMenuFromTable(fileMenu, FileMenuTable());
    recentFilesAction = entries.value(QStringLiteral("Recent Files"));
    recentMenu = new QMenu(fileMenu);
    recentFilesAction->setMenu(recentMenu);
    LoadRecentFiles();
    RebuildRecentMenu();
    connect(fileMenu, &QMenu::triggered, this, &DRUI::BDFileMenu);
    return fileMenu;
}

QMenu *DRUI::BuildControlsMenu()
{
    controlsMenu = new QMenu;
    const auto entries = BuildMenuFromTable(controlsMenu, ControlsMenuTable());
    titleSubmenu = NavigationSubmenu(this);
    chapterSubmenu = NavigationSubmenu(this);
    entries.value(QStringLiteral("Title"))->setMenu(titleSubmenu);
    entries.value(QStringLiteral("Chapter"))->setMenu(chapterSubmenu);
    playPauseAction = controlsMenu->actions().first();
    // A menu that is not open takes no keys, so the entries with shortcuts are also added to
    // the window, where they act whatever widget inside it has the focus.
    addActions(controlsMenu->actions());
    connect(controlsMenu, &QMenu::triggered, this, &DRUI::BDControlsMenu);
    return controlsMenu;
}

QMenu *DRUI::BuildVideoMenu()
{
    videoMenu = new QMenu;
    const auto entries = BuildMenuFromTable(videoMenu, VideoMenuTable());
    videoTrackSubmenu = new QMenu(this);
    subtitleTrackSubmenu = new QMenu(this);
    entries.value(QStringLiteral("VideoTrack"))->setMenu(videoTrackSubmenu);
    entries.value(QStringLiteral("SubtitleTrack"))->setMenu(subtitleTrackSubmenu);

    auto *videoOff = new QAction(QStringLiteral("Disable"), videoTrackSubmenu);
    videoOff->setData(0);
    auto *videoOn = new QAction(GetText("MainWnd/Video") + " 1", videoTrackSubmenu);
    videoOn->setData(1);
    videoOn->setCheckable(true);
    videoOn->setChecked(true);
    videoTrackSubmenu->addAction(videoOff);
    videoTrackSubmenu->addAction(videoOn);
    connect(videoMenu, &QMenu::triggered, this, &DRUI::BDVideoMenu);
    return videoMenu;
}

QMenu *DRUI::BuildAudioMenu()
{
    audioMenu = new QMenu;
    const auto entries = BuildMenuFromTable(audioMenu, AudioMenuTable());
    audioTrackSubmenu = new QMenu(this);
    audioChannelSubmenu = new QMenu(this);
    entries.value(QStringLiteral("AudioTrack"))->setMenu(audioTrackSubmenu);
    entries.value(QStringLiteral("AudioChannel"))->setMenu(audioChannelSubmenu);
    static const char *const channels[][2] = {
        {"MainWnd/Stereo", "Stereo"}, {"MainWnd/Left", "Left"}, {"MainWnd/Right", "Right"}};
    for (const auto &channel : channels) {
        auto *action = new QAction(GetText(channel[0]), audioChannelSubmenu);
        action->setData(QString::fromLatin1(channel[1]));
        audioChannelSubmenu->addAction(action);
    }
    TrackMenus::ResetToFirst(audioChannelSubmenu);
    connect(audioMenu, &QMenu::triggered, this, &DRUI::BDAudioMenu);
    return audioMenu;
}

QMenu *DRUI::BuildToolsMenu()
{
    toolsMenu = new QMenu;
    const auto entries = BuildMenuFromTable(toolsMenu, ToolsMenuTable());
    snapshotAction = entries.value(QStringLiteral("Snapshot"));
    addAction(snapshotAction);
    connect(toolsMenu, &QMenu::triggered, this, &DRUI::BDToolMenu);
    return toolsMenu;
}

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
    DispatchMenuAction(this, FileMenuTable(), action);
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
    DispatchMenuAction(this, ControlsMenuTable(), action);
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
    DispatchMenuAction(this, VideoMenuTable(), action);
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
    DispatchMenuAction(this, AudioMenuTable(), action);
}

void DRUI::BDToolMenu(QAction *action)
{
    DispatchMenuAction(this, ToolsMenuTable(), action);
}
