#include "ui/WindowMenus.h"

#include "i18n/CHelpMenu.h"
#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "platform/PathBytes.h"
#include "ui/DRUI.h"
#include "ui/TrackMenus.h"
#include "ui/WindowStyle.h"

#include "player/ViewingRules.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>

namespace {

// The widest a recent-files entry is shown, in pixels.
constexpr int RecentEntryWidth = 600;

QMenu *NavigationSubmenu(QWidget *owner)
{
    auto *menu = new QMenu(owner);
    menu->setWindowFlags(menu->windowFlags() | Qt::FramelessWindowHint);
    menu->setAttribute(Qt::WA_TranslucentBackground);
    menu->setStyleSheet(WindowStyle::navigationSubmenu);
    return menu;
}

// An entry of a viewing submenu: it hands its request to the controller itself, and its key
// works wherever the focus is in the window. The menus' own slots pass such entries by
// (DirectEntry), so a click is not taken twice.
QAction *AddDirect(DRUI &window, QMenu *menu, const QString &text, const char *shortcut,
                   const PlayerRequest &request, bool checkable = false)
{
    QAction *action = menu->addAction(text);
    action->setProperty(WindowMenus::DirectEntry, true);
    action->setCheckable(checkable);
    if (shortcut) {
        action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
        window.addAction(action);
    }
    QObject::connect(action, &QAction::triggered, &window, [&window, request] {
        window.Request(request);
        // What the engine plays now decides the marks, whether or not the request acted.
        window.ShowViewing();
    });
    return action;
}

} // namespace

MenuTable<DRUI> WindowMenus::Table(Menu menu)
{
    static const MenuRow<DRUI> file[] = {
        {"MainWnd/OpenFile", "Open File", nullptr, true, &DRUI::btnOpenFile, "..."},
        {"MainWnd/OpenDisc", "Open Disc", nullptr, true, &DRUI::btnLoadBDPath, "..."},
        {"MainWnd/LoadSubtitle", "Load Subtitle", nullptr, true, &DRUI::LoadSubtitleFile, "..."},
        {"MainWnd/RecentFiles", "Recent Files", nullptr, true, nullptr, ""},
        {"MainWnd/Eject", "Eject", nullptr, true, &DRUI::StopBtn, ""},
        {"MainWnd/Close", "Close", nullptr, true, &DRUI::btnCloseSlot, ""},
        // The last entry of the recent-files submenu.
        {nullptr, "Clear Menu", nullptr, true, &DRUI::ClearRecentFiles, ""},
    };
    static const MenuRow<DRUI> controls[] = {
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
        {"MainWnd/StartOver", "StartOver", nullptr, true, &DRUI::StartOver, ""},
        {"MainWnd/PlayNext", "PlayNext", nullptr, true, &DRUI::TogglePlayNext, ""},
        {"MainWnd/ForwardShort", "ForwardShort", "Shift+Right", true, &DRUI::StepForwardShort, ""},
        {"MainWnd/BackwardShort", "BackwardShort", "Shift+Left", true, &DRUI::StepBackwardShort,
         ""},
        {"MainWnd/Speed", "Speed", nullptr, true, nullptr, ""},
        // The first entry's keyword follows the session: "Pause" while playing, "Resume"
        // while paused.
        {nullptr, "Pause", nullptr, true, &DRUI::PauseSession, ""},
        {nullptr, "Resume", nullptr, true, &DRUI::ResumeSession, ""},
    };
    static const MenuRow<DRUI> video[] = {
        {"MainWnd/HalfSize", "HalfSize", nullptr, false, &DRUI::ResizeToHalfSize, ""},
        {"MainWnd/NormalSize", "NormalSize", nullptr, true, &DRUI::ResizeToNormalSize, ""},
        {"MainWnd/DoubleSize", "DoubleSize", nullptr, true, &DRUI::ResizeToDoubleSize, ""},
        {"MainWnd/Fit2Screen", "Fit2Screen", nullptr, true, &DRUI::FitToScreen, ""},
        {"MainWnd/VideoTrack", "VideoTrack", nullptr, true, nullptr, ""},
        {"MainWnd/SubtitleTrack", "SubtitleTrack", nullptr, true, nullptr, ""},
        {"MainWnd/SubtitleDelay", "SubtitleDelay", nullptr, true, nullptr, ""},
        {"MainWnd/Deinterlace", "Deinterlace", "D", true, &DRUI::ToggleDeinterlace, ""},
        {"MainWnd/AspectRatio", "AspectRatio", nullptr, true, nullptr, ""},
    };
    static const MenuRow<DRUI> audio[] = {
        {"MainWnd/AudioTrack", "AudioTrack", nullptr, false, nullptr, ""},
        {"MainWnd/AudioChannel", "AudioChannel", nullptr, false, nullptr, ""},
        {"MainWnd/AudioDelay", "AudioDelay", nullptr, true, nullptr, ""},
    };
    static const MenuRow<DRUI> tools[] = {
        {"MainWnd/PlayList", "PlayList", nullptr, true, &DRUI::TogglePlaylist, "..."},
        {"MainWnd/Preferences", "Preferences", nullptr, true, &DRUI::ShowPreferences, "..."},
        {"MainWnd/Snapshot", "Snapshot", "S", false, &DRUI::TakeSnapshot, ""},
    };
    switch (menu) {
    case Menu::File:
        return MakeMenuTable("File", file);
    case Menu::Controls:
        return MakeMenuTable("Controls", controls);
    case Menu::Video:
        return MakeMenuTable("Video", video);
    case Menu::Audio:
        return MakeMenuTable("Audio", audio);
    case Menu::Tools:
        return MakeMenuTable("Tools", tools);
    case Menu::Help:
        break;
    }
    // The Help menu is made by the language layer; nothing of it is dispatched here.
    return MenuTable<DRUI>{"Help", nullptr, 0};
}

QMenu *WindowMenus::Build(DRUI &window, Menu menu)
{
    QMenu *built = nullptr;
    switch (menu) {
    case Menu::File:
        built = BuildFile(window);
        break;
    case Menu::Controls:
        built = BuildControls(window);
        break;
    case Menu::Video:
        built = BuildVideo(window);
        break;
    case Menu::Audio:
        built = BuildAudio(window);
        break;
    case Menu::Tools:
        built = BuildTools(window);
        break;
    case Menu::Help:
        built = window.helpMenu = CHelpMenu::Build(&window, CLanguageManager::Instance());
        QObject::connect(built, &QMenu::triggered, &window, &DRUI::BDHelpMenu);
        break;
    }
    window.ownedMenus.append(built);
    return built;
}

void WindowMenus::DeleteAll(DRUI &window)
{
    // A top-level menu has no Qt parent, and submenus that belong to the window would
    // otherwise pile up with every rebuild.
    for (QMenu *menu : std::as_const(window.ownedMenus)) {
        for (QAction *action : menu->actions()) {
            if (action->menu() && action->menu()->parent() == &window) {
                delete action->menu();
            }
        }
    }
    qDeleteAll(window.ownedMenus);
    window.ownedMenus.clear();
}

void WindowMenus::Dispatch(DRUI &window, Menu menu, const QAction *action)
{
    DispatchMenuAction(&window, Table(menu), action);
}

QMenu *WindowMenus::BuildFile(DRUI &window)
{
    QMenu *menu = window.fileMenu = new QMenu;
    const auto entries = BuildMenuFromTable(menu, Table(Menu::File));
    window.recentMenu = new QMenu(menu);
    entries.value(QStringLiteral("Recent Files"))->setMenu(window.recentMenu);
    window.RebuildRecentMenu();
    QObject::connect(menu, &QMenu::triggered, &window, &DRUI::BDFileMenu);
    return menu;
}

QMenu *WindowMenus::BuildControls(DRUI &window)
{
    QMenu *menu = window.controlsMenu = new QMenu;
    const auto entries = BuildMenuFromTable(menu, Table(Menu::Controls));
    window.titleSubmenu = NavigationSubmenu(&window);
    window.chapterSubmenu = NavigationSubmenu(&window);
    entries.value(QStringLiteral("Title"))->setMenu(window.titleSubmenu);
    entries.value(QStringLiteral("Chapter"))->setMenu(window.chapterSubmenu);
    window.playPauseAction = menu->actions().first();
    window.playNextAction = entries.value(QStringLiteral("PlayNext"));
    window.playNextAction->setCheckable(true);
    window.playNextAction->setChecked(window.controller->State().preferences.PlayNext());
    window.speedSubmenu = new QMenu(&window);
    entries.value(QStringLiteral("Speed"))->setMenu(window.speedSubmenu);
    for (double factor : SpeedSteps())
        AddDirect(window, window.speedSubmenu, QStringLiteral("%1x").arg(factor), nullptr,
                  Ask::Speed{factor}, true)
            ->setData(factor);
    window.speedSubmenu->addSeparator();
    AddDirect(window, window.speedSubmenu, GetText("MainWnd/Faster"), "]", Ask::SpeedStep{1});
    AddDirect(window, window.speedSubmenu, GetText("MainWnd/Slower"), "[", Ask::SpeedStep{-1});
    AddDirect(window, window.speedSubmenu, GetText("MainWnd/NormalSpeed"), "Backspace",
              Ask::Speed{NormalSpeed});
    // A menu that is not open takes no keys, so the entries with shortcuts are also added to
    // the window, where they act whatever widget inside it has the focus.
    window.addActions(menu->actions());
    QObject::connect(menu, &QMenu::triggered, &window, &DRUI::BDControlsMenu);
    return menu;
}

QMenu *WindowMenus::BuildVideo(DRUI &window)
{
    QMenu *menu = window.videoMenu = new QMenu;
    const auto entries = BuildMenuFromTable(menu, Table(Menu::Video));
    QMenu *tracks = window.videoTrackSubmenu = new QMenu(&window);
    window.subtitleTrackSubmenu = new QMenu(&window);
    entries.value(QStringLiteral("VideoTrack"))->setMenu(tracks);
    entries.value(QStringLiteral("SubtitleTrack"))->setMenu(window.subtitleTrackSubmenu);
    QMenu *subtitleDelay = new QMenu(&window);
    entries.value(QStringLiteral("SubtitleDelay"))->setMenu(subtitleDelay);
    AddDirect(window, subtitleDelay, GetText("MainWnd/DelayLater"), "X",
              Ask::SubtitleDelayStep{Ask::Milliseconds(DelayStepMs)});
    AddDirect(window, subtitleDelay, GetText("MainWnd/DelayEarlier"), "Z",
              Ask::SubtitleDelayStep{Ask::Milliseconds(-DelayStepMs)});
    AddDirect(window, subtitleDelay, GetText("MainWnd/DelayReset"), nullptr,
              Ask::SubtitleDelay{Ask::Milliseconds(0)});
    window.deinterlaceAction = entries.value(QStringLiteral("Deinterlace"));
    window.deinterlaceAction->setCheckable(true);
    window.addAction(window.deinterlaceAction);
    window.aspectSubmenu = new QMenu(&window);
    entries.value(QStringLiteral("AspectRatio"))->setMenu(window.aspectSubmenu);
    static const std::pair<AspectChoice, const char *> shapes[] = {
        {AspectChoice::FourThree, "4:3"},
        {AspectChoice::SixteenNine, "16:9"},
        {AspectChoice::Scope, "2.35:1"},
    };
    AddDirect(window, window.aspectSubmenu, GetText("MainWnd/AspectAuto"), nullptr,
              Ask::Aspect{AspectChoice::Auto}, true)
        ->setData(int(AspectChoice::Auto));
    for (const auto &[shape, name] : shapes)
        AddDirect(window, window.aspectSubmenu, QString::fromLatin1(name), nullptr,
                  Ask::Aspect{shape}, true)
            ->setData(int(shape));

    auto *videoOff = new QAction(TrackMenus::DisableText(), tracks);
    videoOff->setData(0);
    auto *videoOn = new QAction(GetText("MainWnd/Video") + " 1", tracks);
    videoOn->setData(1);
    videoOn->setCheckable(true);
    videoOn->setChecked(true);
    tracks->addAction(videoOff);
    tracks->addAction(videoOn);
    QObject::connect(menu, &QMenu::triggered, &window, &DRUI::BDVideoMenu);
    return menu;
}

QMenu *WindowMenus::BuildAudio(DRUI &window)
{
    QMenu *menu = window.audioMenu = new QMenu;
    const auto entries = BuildMenuFromTable(menu, Table(Menu::Audio));
    window.audioTrackSubmenu = new QMenu(&window);
    QMenu *channels = window.audioChannelSubmenu = new QMenu(&window);
    entries.value(QStringLiteral("AudioTrack"))->setMenu(window.audioTrackSubmenu);
    entries.value(QStringLiteral("AudioChannel"))->setMenu(channels);
    static const char *const channelRows[][2] = {
        {"MainWnd/Stereo", "Stereo"}, {"MainWnd/Left", "Left"}, {"MainWnd/Right", "Right"}};
    for (const auto &row : channelRows) {
        auto *action = new QAction(GetText(row[0]), channels);
        action->setData(QString::fromLatin1(row[1]));
        channels->addAction(action);
    }
    TrackMenus::ResetToFirst(channels);
    QMenu *audioDelay = new QMenu(&window);
    entries.value(QStringLiteral("AudioDelay"))->setMenu(audioDelay);
    AddDirect(window, audioDelay, GetText("MainWnd/DelayLater"), "+",
              Ask::AudioDelayStep{Ask::Milliseconds(DelayStepMs)});
    AddDirect(window, audioDelay, GetText("MainWnd/DelayEarlier"), "-",
              Ask::AudioDelayStep{Ask::Milliseconds(-DelayStepMs)});
    AddDirect(window, audioDelay, GetText("MainWnd/DelayReset"), nullptr,
              Ask::AudioDelay{Ask::Milliseconds(0)});
    QObject::connect(menu, &QMenu::triggered, &window, &DRUI::BDAudioMenu);
    return menu;
}

QMenu *WindowMenus::BuildTools(DRUI &window)
{
    QMenu *menu = window.toolsMenu = new QMenu;
    const auto entries = BuildMenuFromTable(menu, Table(Menu::Tools));
    window.snapshotAction = entries.value(QStringLiteral("Snapshot"));
    window.addAction(window.snapshotAction);
    QObject::connect(menu, &QMenu::triggered, &window, &DRUI::BDToolMenu);
    return menu;
}

void WindowMenus::FillRecentMenu(QMenu *menu, const QStringList &paths)
{
    menu->clear();
    const QFontMetrics metrics(menu->font());
    for (const QString &path : paths) {
        // The shown text is elided in the middle, where a long path is least telling, and
        // its "&" doubled so that none turns into a shortcut mark; the path itself stays
        // whole in the entry's data.
        // A line break in a name shows as a mark, so the entry stays one line.
        QString readable = PathBytes::Readable(path);
        readable.replace(QLatin1Char('\n'), QChar(0x21B5))
            .replace(QLatin1Char('\r'), QChar(0x21B5));
        QString shown = metrics.elidedText(readable, Qt::ElideMiddle, RecentEntryWidth);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto *entry = new QAction(shown, menu);
        entry->setData(path);
        menu->addAction(entry);
    }
    auto *clear = new QAction(GetText("MainWnd/ClearMenu"), menu);
    clear->setData(QStringLiteral("Clear Menu"));
    menu->addAction(clear);
}

void WindowMenus::EnableForVideoPage(DRUI &window, bool blurayPlaying)
{
    for (QAction *action : window.controlsMenu->actions()) {
        action->setEnabled(action->data().toString() != QLatin1String("Navigation") ||
                           blurayPlaying);
    }
    for (QMenu *menu : {window.videoMenu, window.audioMenu, window.toolsMenu}) {
        for (QAction *action : menu->actions()) {
            action->setEnabled(true);
        }
    }
    window.snapshotAction->setEnabled(true);
}
