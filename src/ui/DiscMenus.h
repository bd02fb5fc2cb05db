#pragma once

#include "disc/DvdTitles.h"
#include "disc/MplsStream.h"
#include "player/PlayListInfo.h"

#include <QString>
#include <QVector>

class QAction;
class QMenu;
class QWidget;

// The menus a Blu-ray title fills: the disc page's popups and the menu bar's submenus.
namespace DiscMenus {

// A popup of the disc page: frameless, half-transparent black, large white text.
QMenu *DiscPopupMenu(QWidget *parent);

// "Disable" then one entry per stream, data 0 then n, in both menus (each owns its own
// entries). The popup's active entry is the one at activeIndex; the submenu checks the
// entry at checkedIndex. Returns the popup's active entry. Nothing is added without streams.
QAction *FillStreamMenus(QMenu *popup, QMenu *submenu, const QVector<MplsStream> &streams,
                         int activeIndex, int checkedIndex);

// One entry per chapter, "n. hh:mm:ss", data its index from 0; each entry is one action
// shown in both menus and owned by the popup.
void FillChapterMenus(QMenu *popup, QMenu *submenu, const QVector<quint32> &chaptersMs);

// One title entry for the title menus.
struct TitleEntry
{
    PLAY_LIST_INFO record; // path: the title key; durationText: its length
    bool playable = true;  // the engine can reach it by number
};

// One entry per title, "n. hh:mm:ss", data the title's record; shared like the chapters.
// A title the engine cannot reach is listed but disabled.
void FillTitleMenus(QMenu *popup, QMenu *submenu, const QVector<TitleEntry> &titles);

// The menus one title fills: the disc page's menu entries that hold its popups, and the
// menu-bar submenus beside them.
struct TitleMenus
{
    QAction *subtitleHolder = nullptr;
    QAction *audioHolder = nullptr;
    QAction *chapterHolder = nullptr;
    QAction *titlesHolder = nullptr;
    QMenu *subtitleSubmenu = nullptr;
    QMenu *audioSubmenu = nullptr;
    QMenu *chapterSubmenu = nullptr;
    QMenu *titleSubmenu = nullptr;
};

// What a title shows in its menus.
struct TitleContents
{
    QVector<MplsStream> subtitles;
    QVector<MplsStream> audioStreams;
    QVector<quint32> chaptersMs;
    QVector<TitleEntry> titles; // every title of the disc
};

// The popups' active entries after a fill; null where the title has no such streams.
struct ActiveEntries
{
    QAction *subtitle = nullptr;
    QAction *audio = nullptr;
};

// The stream entries the user chose for the title (0 for "Disable", n for stream n).
struct TitleChoices
{
    int audio = 1;
    int subtitle = 0;
};

// Empties the submenus and replaces the previous disc's popups (their shared entries go with
// them) by new ones, made with parent, for the title; the chosen entries are active and
// marked in the popups and checked in the submenus.
ActiveEntries FillForTitle(QWidget *parent, const TitleMenus &menus, const TitleContents &contents,
                           const TitleChoices &choices);

// A DVD's titles, "n. hh:mm:ss" with data the title's number and the one that plays checked,
// and the chapters of the one that plays (data the index from 0); playing may be null.
void FillDvdMenus(QMenu *titleSubmenu, QMenu *chapterSubmenu, const DvdTitles &titles,
                  const DvdTitle *playing);

// Marks the popup entry the user chose as the only marked one.
void MarkChoice(QMenu *popup, QAction *chosen);

} // namespace DiscMenus
