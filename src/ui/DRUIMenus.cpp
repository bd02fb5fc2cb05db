// The menu slots and the roads that open sources. Entries that are made at run time
// (streams, chapters, titles, recent files) are told apart by the menu that owns them before
// the menu's table is asked; each becomes one request for the controller.
#include "ui/DRUI.h"

#include "platform/PathBytes.h"
#include "ui/DiscMenus.h"
#include "ui/TrackMenus.h"
#include "ui/WindowDialogs.h"
#include "ui/WindowMenus.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

namespace {

QMenu *ParentMenu(const QAction *action)
{
    return qobject_cast<QMenu *>(action->parent());
}

Ask::StreamChoice Choice(const QAction *action)
{
    return Ask::StreamChoice{action->data().toInt()};
}

} // namespace

void DRUI::OpenMediaFiles(const QStringList &files)
{
    Request(Ask::Open{files, Ask::From::OpenDialog});
}

void DRUI::OpenDiscFolder(const QString &folder)
{
    Request(Ask::Open{{folder}, Ask::From::DiscDialog});
}

void DRUI::OpenPaths(const QStringList &paths)
{
    Request(Ask::Open{paths, Ask::From::Outside});
}

void DRUI::PauseSession()
{
    Request(Ask::Pause{});
}

void DRUI::ResumeSession()
{
    Request(Ask::Play{});
}

void DRUI::btnOpenFile()
{
    OpenMediaFiles(WindowDialogs::AskForMediaFiles(this));
}

void DRUI::btnLoadBDPath()
{
    const QString folder = WindowDialogs::AskForDiscFolder(this);
    if (!folder.isEmpty())
        OpenDiscFolder(folder);
}

void DRUI::LoadSubtitleFile()
{
    const PlayerState state = controller->State();
    if (!state.active)
        return;
    const QString path =
        WindowDialogs::AskForSubtitleFile(this, QFileInfo(state.launch.path).absolutePath());
    if (!path.isEmpty())
        Request(Ask::LoadSubtitle{path});
}

void DRUI::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void DRUI::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    // Only local files can be handed to the engine; the first one dropped is opened, by
    // the exact bytes of its name.
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    const QString path = PathBytes::FromFileUrl(urls.first());
    if (!path.isEmpty())
        Request(Ask::Open{{path}, Ask::From::Drop});
}

void DRUI::PlayListItemDoubleClick(int row, int column)
{
    if (QTableWidgetItem *cell = playlistTable->item(row, column))
        Request(Ask::Open{{cell->data(Qt::UserRole).value<PLAY_LIST_INFO>().path},
                          Ask::From::Playlist});
}

void DRUI::ClearRecentFiles()
{
    Request(Ask::ClearRecentFiles{});
}

void DRUI::BDFileMenu(QAction *action)
{
    if (action->parent() == recentMenu && action->data().toString() != "Clear Menu") {
        const QString path = action->data().toString();
        if (!path.isEmpty())
            Request(Ask::Open{{path}, Ask::From::Recent});
        return;
    }
    WindowMenus::Dispatch(*this, WindowMenus::Menu::File, action);
}

void DRUI::BDControlsMenu(QAction *action)
{
    if (action->property(WindowMenus::DirectEntry).toBool())
        return;
    const QMenu *parentMenu = ParentMenu(action);
    const PlayerState state = controller->State();
    const bool dvd = state.launch.kind == SourceKind::Dvd && state.openKind == SourceKind::Dvd;
    const bool inTitles =
        parentMenu && (parentMenu == titleSubmenu || parentMenu->menuAction() == disc.otherTitles);
    const bool inChapters =
        parentMenu && (parentMenu == chapterSubmenu || parentMenu->menuAction() == disc.chapter);
    if (inTitles && dvd) {
        // The launch refills the menu that is still delivering this entry.
        const int number = action->data().toInt();
        QTimer::singleShot(0, this, [this, number] { Request(Ask::DvdTitle{number}); });
    } else if (inChapters && dvd) {
        Request(Ask::DvdChapter{action->data().toInt()});
    } else if (inChapters) {
        Request(Ask::Chapter{action->data().toInt()});
    } else if (inTitles) {
        Request(Ask::Title{action->data().value<PLAY_LIST_INFO>().path});
    } else {
        WindowMenus::Dispatch(*this, WindowMenus::Menu::Controls, action);
    }
}

void DRUI::BDMenuOperate(QAction *action)
{
    QMenu *parentMenu = ParentMenu(action);
    const QAction *holder = parentMenu ? parentMenu->menuAction() : nullptr;
    if (holder && (holder == disc.subtitle || holder == disc.audio)) {
        parentMenu->setActiveAction(action);
        DiscMenus::MarkChoice(parentMenu, action);
        if (holder == disc.subtitle)
            Request(Ask::DiscSubtitle{Choice(action)});
        else
            Request(Ask::DiscAudio{Choice(action)});
    } else if (holder && holder == disc.chapter) {
        Request(Ask::Chapter{action->data().toInt()});
    } else if (holder && holder == disc.otherTitles) {
        Request(Ask::Title{action->data().value<PLAY_LIST_INFO>().path});
    } else {
        Request(Ask::PlayMovie{});
    }
}

void DRUI::BDVideoMenu(QAction *action)
{
    if (action->property(WindowMenus::DirectEntry).toBool())
        return;
    QMenu *parentMenu = ParentMenu(action);
    if (parentMenu == subtitleTrackSubmenu) {
        Request(Ask::SubtitleTrack{Choice(action)});
    } else if (parentMenu == videoTrackSubmenu) {
        Request(Ask::VideoTrack{Choice(action)});
        TrackMenus::CheckOnly(videoTrackSubmenu, action);
    } else {
        WindowMenus::Dispatch(*this, WindowMenus::Menu::Video, action);
    }
}

void DRUI::BDAudioMenu(QAction *action)
{
    if (action->property(WindowMenus::DirectEntry).toBool())
        return;
    QMenu *parentMenu = ParentMenu(action);
    if (parentMenu == audioTrackSubmenu) {
        Request(Ask::AudioTrack{Choice(action)});
    } else if (parentMenu == audioChannelSubmenu) {
        const QString data = action->data().toString();
        const Ask::Channel side = data == QLatin1String("Left")    ? Ask::Channel::Left
                                  : data == QLatin1String("Right") ? Ask::Channel::Right
                                                                   : Ask::Channel::Both;
        if (Request(Ask::Balance{side}))
            TrackMenus::CheckOnly(audioChannelSubmenu, action);
    } else {
        WindowMenus::Dispatch(*this, WindowMenus::Menu::Audio, action);
    }
}

void DRUI::BDToolMenu(QAction *action)
{
    WindowMenus::Dispatch(*this, WindowMenus::Menu::Tools, action);
}
