// Opening disc folders: DVDs play at once, Blu-rays show their disc page first.
#include "ui/DRUI.h"

#include "engine/FormatTime.h"
#include "player/PlaylistRules.h"

#include <QDir>
#include <QFile>

void DRUI::OpenDvdFolder(const QString &folder)
{
    const bool listed = !PlaylistRowsMatching(playlist, folder).isEmpty();
    const PLAY_LIST_INFO item{SourceKind::Dvd, 0, folder, QString()};
    loadedPath.clear();
    requestedPath = folder;
    // The engine tells a DVD's length once it plays.
    durationSec = 0;
    currentTitleKey.clear();
    if (!listed) {
        AddToPlaylist({item});
    }
    sourceKind = SourceKind::Dvd;
    VideoPlay();
}

void DRUI::PlayBluRayTitle()
{
    if (currentTitleKey.isEmpty()) {
        return;
    }
    const QString folder = titleDiscFolders.value(currentTitleKey, currentTitleKey);
    const bool listed = !PlaylistRowsMatching(playlist, folder).isEmpty();
    qint64 lengthSec = 0;
    for (const MplsPlayItem &item : titlePlayItems.value(currentTitleKey)) {
        lengthSec += item.durationMs / 1000;
    }
    const PLAY_LIST_INFO item{SourceKind::BluRay, 0, folder, FormatTime(lengthSec)};
    loadedPath.clear();
    requestedPath = folder;
    durationSec = lengthSec;
    if (!listed) {
        AddToPlaylist({item});
    }
    // The engine looks for the disc's clips from the stream folder.
    QDir::setCurrent(folder + QStringLiteral("/BDMV/STREAM"));
    sourceKind = SourceKind::BluRay;
    VideoPlay();
}
