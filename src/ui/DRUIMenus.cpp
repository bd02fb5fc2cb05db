// The menu slots. Entries that are made at run time (streams, chapters, titles, recent
// files) are told apart by the menu that owns them before the menu's table is asked.
#include "ui/DRUI.h"
#include "ui/TrackMenus.h"

#include "ui/WindowMenus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTimer>

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
            Request(SessionRequest::ForPath(SessionRequest::Kind::OpenPath, path));
        }
        return;
    }
    WindowMenus::Dispatch(*this, WindowMenus::Menu::File, action);
}

void DRUI::BDControlsMenu(QAction *action)
{
    const QMenu *parentMenu = ParentMenu(action);
    // A DVD's titles and chapters are entries of the submenus themselves.
    if (parentMenu && (parentMenu == titleSubmenu || parentMenu == chapterSubmenu) &&
        session->CurrentLaunch().kind == SourceKind::Dvd) {
        if (parentMenu == titleSubmenu) {
            // The launch refills the menu that is still delivering this entry.
            const int number = action->data().toInt();
            QTimer::singleShot(0, this, [this, number] { PlayDvdTitle(number); });
        } else if (const DvdTitle *title = PlayingDvdTitle()) {
            const int index = action->data().toInt();
            session->SeekChapter(index, title->chapterStartsMs.value(index) / 1000);
        }
        return;
    }
    if (parentMenu && (parentMenu->menuAction() == chapterAction || parentMenu == chapterSubmenu)) {
        Request(SessionRequest::Of(SessionRequest::Kind::Chapter, action->data().toLongLong()));
        return;
    }
    if (parentMenu && (parentMenu->menuAction() == otherTitlesAction || parentMenu == titleSubmenu)) {
        Request(SessionRequest::ForPath(SessionRequest::Kind::Title,
                                        action->data().value<PLAY_LIST_INFO>().path));
        return;
    }
    WindowMenus::Dispatch(*this, WindowMenus::Menu::Controls, action);
}

void DRUI::BDVideoMenu(QAction *action)
{
    QMenu *parentMenu = ParentMenu(action);
    if (parentMenu == subtitleTrackSubmenu) {
        Request(SessionRequest::Of(SessionRequest::Kind::SubtitleTrack, action->data().toInt()));
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
        Request(SessionRequest::Of(SessionRequest::Kind::AudioTrack, action->data().toInt()));
        return;
    }
    if (parentMenu == audioChannelSubmenu) {
        const QString data = action->data().toString();
        const int side = data == QLatin1String("Left")    ? -1
                         : data == QLatin1String("Right") ? 1
                                                          : 0;
        if (session->IsActive()) {
            Request(SessionRequest::Of(SessionRequest::Kind::Balance, side));
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
