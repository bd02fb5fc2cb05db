#pragma once

#include "ui/MenuTable.h"

#include <QStringList>

class DRUI;
class QAction;
class QMenu;

// The main window's six menus. File, Controls, Video, Audio and Tools are one table each,
// which both builds the menu and dispatches its actions; Help is made by the language
// layer. The window's menu slots tell run-time entries (streams, chapters, titles, recent
// files) apart themselves and hand everything else to Dispatch.
class WindowMenus
{
public:
    // The kinds of the menu strip's buttons, left to right.
    enum class Menu
    {
        File = 1,
        Controls,
        Video,
        Audio,
        Tools,
        Help,
    };

    // Builds one menu with its submenus, keeps them in the window's members and connects
    // the menu to its slot. The window deletes the menu at its next rebuild.
    static QMenu *Build(DRUI &window, Menu menu);

    // Deletes every menu built so far, with the submenus that belong to the window.
    static void DeleteAll(DRUI &window);

    // The property that marks an entry which hands its request on by itself.
    static constexpr const char *DirectEntry = "orvelDirectEntry";

    // Runs the entry of a table-made menu whose keyword is the action's data.
    static void Dispatch(DRUI &window, Menu menu, const QAction *action);

    // One entry per path, shown elided and with its "&" kept as text, then "Clear Menu".
    static void FillRecentMenu(QMenu *menu, const QStringList &paths);

    // The state of the entries while the video page shows a source of the given kind.
    static void EnableForVideoPage(DRUI &window, bool blurayPlaying);

private:
    static MenuTable<DRUI> Table(Menu menu);
    static QMenu *BuildFile(DRUI &window);
    static QMenu *BuildControls(DRUI &window);
    static QMenu *BuildVideo(DRUI &window);
    static QMenu *BuildAudio(DRUI &window);
    static QMenu *BuildTools(DRUI &window);
};
