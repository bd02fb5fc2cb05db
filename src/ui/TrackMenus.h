#pragma once

#include <QString>

class QAction;
class QMenu;

// Check marks and entries of the stream and channel submenus.
namespace TrackMenus {

// Unchecks every entry (their checkability stays), then makes entry checkable and checked.
void CheckOnly(QMenu *submenu, QAction *entry);

// Checks the entry at index (made checkable) and unchecks the others.
void SelectOnly(QMenu *menu, int index);

// The first entry checkable and checked, the others neither: the state at every launch.
void ResetToFirst(QMenu *menu);

// Makes the menu "Disable" plus one entry per stream ("<label> n", data n) when its entries
// do not fit the count; a menu that fits keeps its entries and check marks. The first
// stream is checked in an audio menu, "Disable" in a subtitle menu. True when rebuilt.
bool FitToStreams(QMenu *menu, int streamCount, const QString &label, bool checkDisable);

} // namespace TrackMenus
