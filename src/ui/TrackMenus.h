#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

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

} // namespace TrackMenus
