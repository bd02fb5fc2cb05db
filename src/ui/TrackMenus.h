#pragma once

#include <QByteArray>
#include <QList>
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

// Once the engine has announced its streams: fits both menus to them, then applies a disc
// title's stored choices (-1: none) after the rebuild, so that it cannot undo them. Returns
// the commands that make the engine play what the menus check; a switched audio stream
// starts at full level, so volume (the window's level) follows it.
QList<QByteArray> FitToEngine(QMenu *audio, QMenu *subtitles, int audioCount, int subtitleCount,
                              int audioChoice, int subtitleChoice, int volume);

} // namespace TrackMenus
