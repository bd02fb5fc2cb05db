#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
struct PlayerState;
struct BluRayTitle;

// Check marks and entries of the stream and channel submenus.
namespace TrackMenus {

// Unchecks every entry (their checkability stays), then makes entry checkable and checked.
void CheckOnly(QMenu *submenu, QAction *entry);

// The first entry checkable and checked, the others neither: the state at every launch.
void ResetToFirst(QMenu *menu);

// The first entry of every stream menu, in the interface language.
QString DisableText();

// Makes the menu "Disable" (data 0) plus one entry per name (data n for the n-th) and checks
// the entry whose data is checked. A source without streams leaves the menu empty.
void ShowStreams(QMenu *menu, const QStringList &names, int checked);

// Fills the audio and subtitle submenus with what the session's engine reported, checked as
// the session plays them: a Blu-ray title's streams keep the names its playlist gives (title
// may be null), other streams are named in the interface language (locale), and subtitle
// files follow the film's own streams by file name. For a media file, the chapter submenu
// gets its chapters, "n. hh:mm:ss" with data the index from 0.
void ShowSessionStreams(const PlayerState &state, const BluRayTitle *title, const QString &locale,
                        QMenu *audio, QMenu *subtitles, QMenu *chapters);

// Marks the speed, the picture's shape and the deinterlacing the session has in their menus
// (any of them may not exist yet).
void ShowViewing(const PlayerState &state, QMenu *speedSubmenu, QMenu *aspectSubmenu,
                 QAction *deinterlaceAction);

} // namespace TrackMenus
