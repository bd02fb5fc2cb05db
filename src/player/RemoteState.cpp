#include "player/RemoteState.h"

#include "platform/AppFolders.h"
#include "platform/PathBytes.h"
#include "player/PlaylistRules.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString DiscArtPath(const PlayerState &state)
{
    // Written into the user's runtime folder, named by the picture's own bytes: another disc
    // in the same drive must not show this one's. The disc's own bytes are written as they
    // are (JPEG or PNG).
    if (state.launch.kind != SourceKind::BluRay || state.discArtKey.isEmpty())
        return QString();
    const bool jpeg = state.disc.thumbnailData.startsWith("\xFF\xD8");
    const QString file =
        AppFolders::RuntimeFolder() +
        QStringLiteral("orvel-disc-art-%1.%2")
            .arg(state.discArtKey, jpeg ? QStringLiteral("jpg") : QStringLiteral("png"));
    if (!QFileInfo::exists(file)) {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(state.disc.thumbnailData) < 0)
            return QString();
    }
    return file;
}

} // namespace

PlaybackState RemoteStateOf(const PlayerState &state)
{
    PlaybackState remote;
    remote.volumePercent = state.volume;
    if (!state.active)
        return remote;
    const SessionLaunch &launch = state.launch;
    remote.status = state.playback == SessionState::Paused ? PlaybackState::Status::Paused
                                                           : PlaybackState::Status::Playing;
    remote.path = launch.path;
    remote.title = launch.kind == SourceKind::BluRay
                       ? state.disc.discName
                       : PathBytes::Readable(QFileInfo(launch.path).fileName());
    remote.artPath = DiscArtPath(state);
    remote.durationSec = state.durationSec;
    remote.positionMs = state.positionMs;
    remote.rate = state.speed;
    remote.canSeek = true;
    if (launch.kind == SourceKind::BluRay) {
        const BluRayTitle *title = state.disc.Find(launch.titleKey);
        const QVector<quint32> chapters = title ? title->chapters : QVector<quint32>();
        const qint64 second = remote.positionMs / 1000;
        remote.canGoNext = NextChapterSecond(chapters, second).has_value();
        remote.canGoPrevious = PreviousChapterSecond(chapters, second).has_value();
    } else {
        remote.canGoNext = NextPlaylistIndex(state.playlist, launch.path) >= 0;
        remote.canGoPrevious = PreviousPlaylistIndex(state.playlist, launch.path) >= 0;
    }
    return remote;
}
