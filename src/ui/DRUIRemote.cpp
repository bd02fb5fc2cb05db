// What the command line, a later start of the program and the desktop's media controls ask
// of the window. Each request takes the road of the window's own control for it, so that a
// media key and a click can never disagree.
#include "ui/DRUI.h"

#include "engine/EngineProcess.h"
#include "platform/AppFolders.h"
#include "player/PlaylistRules.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QSlider>

#include <limits>

void DRUI::OpenPaths(const QStringList &paths)
{
    QStringList files;
    QString folder;
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir()) {
            if (folder.isEmpty()) {
                folder = path;
            }
        } else {
            files << path;
        }
    }
    if (files.isEmpty() && folder.isEmpty()) {
        return;
    }
    // Opening the file that already plays would pause it, as a second pick in the open
    // dialog does; a file handed over from outside starts again instead, as a recent file
    // does.
    if (engineProcess) {
        StopBtn();
    }
    if (!files.isEmpty()) {
        OpenMediaFiles(files);
        return;
    }
    // A folder takes the road of a folder dropped on the window.
    OpenSourcePath(folder);
}

PlaybackState DRUI::RemoteState() const
{
    PlaybackState state;
    state.volumePercent = volumeSlider ? volumeSlider->value() : 0;
    if (!engineProcess || isStopped || loadedPath.isEmpty()) {
        return state;
    }
    state.status = isPlaying ? PlaybackState::Status::Playing : PlaybackState::Status::Paused;
    state.path = requestedPath;
    state.title = sourceKind == SourceKind::BluRay ? discNameLabel->text()
                                                   : QFileInfo(requestedPath).fileName();
    state.artPath = RemoteArtPath();
    state.durationSec = durationSec;
    state.positionMs = clockMs;
    state.canSeek = true;
    if (sourceKind == SourceKind::BluRay) {
        const QVector<quint32> chapters = titleChapters.value(currentTitleKey);
        const qint64 second = clockMs / 1000;
        state.canGoNext = NextChapterSecond(chapters, second).has_value();
        state.canGoPrevious = PreviousChapterSecond(chapters, second).has_value();
    } else {
        state.canGoNext = NextPlaylistIndex(playlist, requestedPath) >= 0;
        state.canGoPrevious = PreviousPlaylistIndex(playlist, requestedPath) >= 0;
    }
    return state;
}

QString DRUI::RemoteArtPath() const
{
    // The desktop shows cover art from a file, so the disc picture on the disc page is written
    // out once per disc into the user's runtime folder.
    if (sourceKind != SourceKind::BluRay || !discArtLabel) {
        return QString();
    }
    const QPixmap art = discArtLabel->pixmap();
    if (art.isNull()) {
        return QString();
    }
    const QByteArray key =
        QCryptographicHash::hash(requestedPath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString file =
        AppFolders::RuntimeFolder() + QStringLiteral("orvel-disc-art-%1.png").arg(QString(key));
    if (!QFileInfo::exists(file) && !art.save(file, "PNG")) {
        return QString();
    }
    return file;
}

void DRUI::RemotePlayPause()
{
    VideoPlay();
}

void DRUI::RemotePlay()
{
    if (RemoteState().status != PlaybackState::Status::Playing) {
        VideoPlay();
    }
}

void DRUI::RemotePause()
{
    if (RemoteState().status == PlaybackState::Status::Playing) {
        PauseSession();
    }
}

void DRUI::RemoteStop()
{
    StopBtn();
}

void DRUI::RemoteNext()
{
    PlayNext();
}

void DRUI::RemotePrevious()
{
    PlayPre();
}

void DRUI::RemoteSeekTo(qint64 second)
{
    if (!engineProcess || isStopped) {
        return;
    }
    // A click on the seek bar.
    answerPacer.Reset();
    // With the length still unknown there is no end to hold the seek to.
    const qint64 last = durationSec > 0 ? durationSec : std::numeric_limits<int>::max();
    seekTargetSec = int(qBound<qint64>(0, second, last));
    seekSlider->setSliderPosition(seekTargetSec);
    SliderRelease();
}

void DRUI::RemoteSetVolume(int percent)
{
    VolumeSliderSeek(percent);
}
