// What the desktop's media controls ask of the window. Each request takes the road of the
// window's own control for it, so that a media key and a click can never disagree.
#include "ui/WindowRemote.h"

#include "player/SourceCheck.h"

#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "platform/PathBytes.h"
#include "player/PlaylistRules.h"
#include "ui/CMessageBox.h"
#include "ui/DRUI.h"

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

PlaybackState WindowRemote::State() const
{
    const PlaybackSession &session = w.Session();
    PlaybackState state;
    state.volumePercent = session.Volume();
    if (!session.IsActive()) {
        return state;
    }
    const SessionLaunch &launch = session.CurrentLaunch();
    state.status = session.CurrentState() == PlaybackSession::State::Paused
                       ? PlaybackState::Status::Paused
                       : PlaybackState::Status::Playing;
    state.path = launch.path;
    state.title = launch.kind == SourceKind::BluRay
                      ? w.loadedDisc.discName
                      : PathBytes::Readable(QFileInfo(launch.path).fileName());
    state.artPath = ArtPath();
    state.durationSec = session.DurationSec();
    state.positionMs = session.PositionMs();
    state.canSeek = true;
    if (launch.kind == SourceKind::BluRay) {
        const BluRayTitle *title = w.loadedDisc.Find(launch.titleKey);
        const QVector<quint32> chapters = title ? title->chapters : QVector<quint32>();
        const qint64 second = state.positionMs / 1000;
        state.canGoNext = NextChapterSecond(chapters, second).has_value();
        state.canGoPrevious = PreviousChapterSecond(chapters, second).has_value();
    } else {
        state.canGoNext = NextPlaylistIndex(w.playlist, launch.path) >= 0;
        state.canGoPrevious = PreviousPlaylistIndex(w.playlist, launch.path) >= 0;
    }
    return state;
}

QString WindowRemote::ArtPath() const
{
    // The desktop shows cover art from a file, so the disc picture on the disc page is written
    // out into the user's runtime folder, named by the picture's own bytes: another disc in
    // the same drive must not show this one's picture.
    if (w.Session().CurrentLaunch().kind != SourceKind::BluRay || !w.discArtLabel) {
        return QString();
    }
    const QPixmap art = w.discArtLabel->pixmap();
    if (art.isNull()) {
        return QString();
    }
    // The key is made once per disc: this runs at every change the desktop is told of.
    if (w.discArtKey.isEmpty()) {
        return QString();
    }
    const QString file =
        AppFolders::RuntimeFolder() + QStringLiteral("orvel-disc-art-%1.png").arg(w.discArtKey);
    if (!QFileInfo::exists(file) && !art.save(file, "PNG")) {
        return QString();
    }
    return file;
}

void WindowRemote::PlayPause()
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::PlayPause));
}

void WindowRemote::Play()
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::Play));
}

void WindowRemote::Pause()
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::Pause));
}

void WindowRemote::Stop()
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::Stop));
}

void WindowRemote::Next()
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::Next));
}

void WindowRemote::Previous()
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::Previous));
}

void WindowRemote::SeekTo(qint64 second)
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::SeekTo, second));
}

bool WindowRemote::Open(const QString &path)
{
    // Checked before anything stops, and the desktop's call is answered before the notice
    // waits for the user.
    const SourceCheck::Verdict verdict = SourceCheck::Check(path);
    const char *message = nullptr;
    switch (verdict) {
    case SourceCheck::Verdict::MediaFile:
    case SourceCheck::Verdict::Disc:
        w.OpenPaths({path});
        return true;
    case SourceCheck::Verdict::Missing:
        message = "Messages/MSG0109";
        break;
    case SourceCheck::Verdict::NotADisc:
        message = "Messages/MSG0116";
        break;
    case SourceCheck::Verdict::NotMedia:
        message = "Messages/MSG0106";
        break;
    }
    qWarning("%s: asked to play it by the desktop, but it %s; what plays goes on",
             qPrintable(PathBytes::Readable(path)),
             verdict == SourceCheck::Verdict::Missing ? "does not exist" : "cannot be played");
    if (w.isActiveWindow()) {
        QTimer::singleShot(0, &w, [window = &w, path, message] {
            CMessageBox::Inform(window->geometry(),
                                GetText(message).arg(PathBytes::Readable(path)));
        });
    }
    return false;
}

void WindowRemote::SetVolume(int percent)
{
    w.Request(SessionRequest::Of(SessionRequest::Kind::Volume, percent));
}
