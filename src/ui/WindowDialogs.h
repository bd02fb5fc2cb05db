#pragma once

#include <QString>
#include <QStringList>

class PlaybackSession;
class QUrl;
class QWidget;

// The file dialogs the window asks with, and opening an address in the desktop's browser.
namespace WindowDialogs {

// Media files (or one disc image) picked in the open dialog, by the exact bytes of their
// names; empty when cancelled.
QStringList AskForMediaFiles(QWidget *parent);
// A disc folder; empty when cancelled.
QString AskForDiscFolder(QWidget *parent);
// A subtitle file, starting in folder; empty when cancelled.
QString AskForSubtitleFile(QWidget *parent, const QString &folder);
// Opens the address; without a browser (or any program for it) a message says so, since the
// guide would otherwise fail without a word.
void OpenOrSay(QWidget *parent, const QUrl &url);
// Keeps the engine's screenshot as a snapshot in the user's folder, in the format chosen
// ("JPG", "PNG", "BMP"); a snapshot that cannot be saved gets a message. Returns the
// snapshot's path, or nothing when it was not saved.
QString KeepSnapshot(QWidget *parent, const QString &screenshot, const QString &format);
// Says why the session failed: no engine to start, or a source it could not play.
void TellFailure(QWidget *parent, const PlaybackSession &session);

} // namespace WindowDialogs
