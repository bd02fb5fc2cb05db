#pragma once

#include "player/SessionStatus.h"

#include "player/SourceCheck.h"
#include "player/SubtitleFileCheck.h"

#include <QString>
#include <QStringList>

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
// Says why the session failed: no engine to start, a source it could not play, or an
// engine that died or stopped answering (whose place is kept).
void TellFailure(QWidget *parent, SessionFailure failure, const QString &path);
// Names the subtitle file and why it was not loaded (a Fine verdict: the engine refused it).
void TellSubtitleRefused(QWidget *parent, const QString &path, SubtitleFileCheck::Verdict verdict);
// Names a path from outside that was refused, and why. Only while the window is in front: a
// notice over another program would get in the way. It waits for the event loop, so that the
// desktop's call is answered first.
void TellSourceRefused(QWidget *parent, const QString &path, SourceCheck::Verdict verdict);

} // namespace WindowDialogs
