// What the desktop's media controls ask of the window. Each request takes the road of the
// window's own control for it, so that a media key and a click can never disagree.
#include "ui/WindowRemote.h"

#include "engine/EngineProcess.h"
#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "platform/PathBytes.h"
#include "player/PlaylistRules.h"
#include "ui/CMessageBox.h"
#include "ui/DRUI.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QSlider>
#include <QTimer>

#include <limits>

PlaybackState WindowRemote::State() const
{
    PlaybackState state;
    state.volumePercent = w.volumeSlider ? w.volumeSlider->value() : 0;
    if (!w.engineProcess || w.isStopped || w.loadedPath.isEmpty()) {
        return state;
    }
    state.status = w.isPlaying ? PlaybackState::Status::Playing : PlaybackState::Status::Paused;
    state.path = w.requestedPath;
    state.title = w.sourceKind == SourceKind::BluRay
                      ? w.discNameLabel->text()
                      : PathBytes::Readable(QFileInfo(w.requestedPath).fileName());
    state.artPath = ArtPath();
    state.durationSec = w.durationSec;
    state.positionMs = w.clockMs;
    state.canSeek = true;
    if (w.sourceKind == SourceKind::BluRay) {
        const QVector<quint32> chapters = w.titleChapters.value(w.currentTitleKey);
        const qint64 second = w.clockMs / 1000;
        state.canGoNext = NextChapterSecond(chapters, second).has_value();
        state.canGoPrevious = PreviousChapterSecond(chapters, second).has_value();
    } else {
        state.canGoNext = NextPlaylistIndex(w.playlist, w.requestedPath) >= 0;
        state.canGoPrevious = PreviousPlaylistIndex(w.playlist, w.requestedPath) >= 0;
    }
    return state;
}

QString WindowRemote::ArtPath() const
{
    // The desktop shows cover art from a file, so the disc picture on the disc page is written
    // out once per disc into the user's runtime folder.
    if (w.sourceKind != SourceKind::BluRay || !w.discArtLabel) {
        return QString();
    }
    const QPixmap art = w.discArtLabel->pixmap();
    if (art.isNull()) {
        return QString();
    }
    const QByteArray key =
        QCryptographicHash::hash(w.requestedPath.toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString file =
        AppFolders::RuntimeFolder() + QStringLiteral("orvel-disc-art-%1.png").arg(QString(key));
    if (!QFileInfo::exists(file) && !art.save(file, "PNG")) {
        return QString();
    }
    return file;
}

void WindowRemote::PlayPause()
{
    w.VideoPlay();
}

void WindowRemote::Play()
{
    if (State().status != PlaybackState::Status::Playing) {
        w.VideoPlay();
    }
}

void WindowRemote::Pause()
{
    if (State().status == PlaybackState::Status::Playing) {
        w.PauseSession();
    }
}

void WindowRemote::Stop()
{
    w.StopBtn();
}

void WindowRemote::Next()
{
    w.PlayNext();
}

void WindowRemote::Previous()
{
    w.PlayPre();
}

void WindowRemote::SeekTo(qint64 second)
{
    if (!w.engineProcess || w.isStopped) {
        return;
    }
    // A click on the seek bar.
    w.answerPacer.Reset();
    // With the length still unknown there is no end to hold the seek to.
    const qint64 last = w.durationSec > 0 ? w.durationSec : std::numeric_limits<int>::max();
    w.seekTargetSec = int(qBound<qint64>(0, second, last));
    w.seekSlider->setSliderPosition(w.seekTargetSec);
    w.SliderRelease();
}

bool WindowRemote::Open(const QString &path)
{
    if (!PathBytes::Exists(path)) {
        qWarning("%s: asked to play it by the desktop, but it does not exist; what plays goes on",
                 qPrintable(PathBytes::Readable(path)));
        if (w.isActiveWindow()) {
            // After the desktop's call has been answered: the notice waits for the user.
            QTimer::singleShot(0, &w, [window = &w, path] {
                CMessageBox::Inform(window->geometry(),
                                    GetText("Messages/MSG0105").arg(PathBytes::Readable(path)));
            });
        }
        return false;
    }
    w.OpenPaths({path});
    return true;
}

void WindowRemote::SetVolume(int percent)
{
    w.VolumeSliderSeek(percent);
}
