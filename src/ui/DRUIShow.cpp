// What the controller and its session say, drawn: the pages, the time and the slider, the
// play entry, the stream, title and chapter menus, the disc page, the playlist and the
// recent files, and the messages.
#include "ui/DRUI.h"

#include "engine/FormatTime.h"
#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "player/PlaylistRules.h"
#include "player/ViewingRules.h"
#include "ui/CMessageBox.h"
#include "ui/DiscMenus.h"
#include "ui/TrackMenus.h"
#include "ui/VideoFrame.h"
#include "ui/WindowDialogs.h"
#include "ui/WindowMenus.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTimer>

void DRUI::ConnectController()
{
    PlaybackSession *session = &controller->Session();
    connect(session, &PlaybackSession::stateChanged, this, &DRUI::ShowSessionState);
    connect(session, &PlaybackSession::positionAnswered, this, &DRUI::DoRefreshGui);
    connect(session, &PlaybackSession::durationChanged, this, &DRUI::ShowDuration);
    connect(session, &PlaybackSession::seeked, this, &DRUI::ShowSeek);
    connect(session, &PlaybackSession::streamsChanged, this, &DRUI::ShowStreamMenus);
    connect(session, &PlaybackSession::choicesChanged, this, &DRUI::ShowStreamMenus);
    connect(session, &PlaybackSession::pictureSizeChanged, this,
            [this](const QSize &size) { videoFrame->SetPictureSize(size); });
    connect(session, &PlaybackSession::screenshotWritten, this, [this](const QString &path) {
        const QString saved = WindowDialogs::KeepSnapshot(this, path, snapshotFormat);
        if (!saved.isEmpty())
            controller->SnapshotKept(QFileInfo(saved).fileName());
    });
    connect(session, &PlaybackSession::viewingChanged, this, &DRUI::ShowViewing);

    PlayerController *c = controller;
    connect(c, &PlayerController::launched, this, &DRUI::ShowLaunch);
    connect(c, &PlayerController::stopped, this, &DRUI::ShowStopped);
    connect(c, &PlayerController::discLoaded, this, &DRUI::ShowDisc);
    // The menus are refilled once the entry that asked for the title has finished delivering
    // its signal, as the refill deletes it.
    connect(c, &PlayerController::currentTitleChanged, this,
            [this] { QTimer::singleShot(0, this, &DRUI::FillDiscMenus); });
    connect(c, &PlayerController::dvdTitlesChanged, this,
            [this] { QTimer::singleShot(0, this, &DRUI::FillDvdMenus); });
    connect(c, &PlayerController::playlistChanged, this, &DRUI::FillPlaylist);
    connect(c, &PlayerController::playlistRowChanged, this, &DRUI::UpdatePlaylistRow);
    connect(c, &PlayerController::recentFilesChanged, this, &DRUI::RebuildRecentMenu);
    connect(c, &PlayerController::resumedAt, this, [this] { update(); });
    connect(c, &PlayerController::resumeNoticeEnded, this, [this] { update(); });
    connect(c, &PlayerController::volumeShown, this, &DRUI::ShowVolume);
    connect(c, &PlayerController::fileWanted, this, &DRUI::btnOpenFile);
    connect(c, &PlayerController::discReading, this, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    connect(c, &PlayerController::notADisc, this, [this] { Inform(GetText("Messages/MSG0102")); });
    connect(c, &PlayerController::discLocked, this,
            [this](const QString &key) { Inform(GetText(key.toLatin1().constData())); });
    connect(c, &PlayerController::subtitleNotLoaded, this,
            [this](const QString &path, SubtitleFileCheck::Verdict verdict) {
                WindowDialogs::TellSubtitleRefused(this, path, verdict);
            });
    connect(c, &PlayerController::refusedFromOutside, this,
            [this](const QString &path, SourceCheck::Verdict verdict) {
                WindowDialogs::TellSourceRefused(this, path, verdict);
            });
}

void DRUI::Inform(const QString &text)
{
    CMessageBox::Inform(geometry(), text);
}

void DRUI::ShowLaunch(const SessionLaunch &launch)
{
    ShowPage(Page::Video);
    // The surface takes the picture's shape now when the source tells it: resized as the
    // engine draws its first frame, the engine cleared that frame and showed the next one,
    // about 50 ms later. Otherwise it fills the page until the engine tells the shape.
    videoFrame->SetPictureSize(launch.pictureShape);
    bottom.seek->setEnabled(true);
    bottom.seek->setRange(0, int(launch.durationSec));
    bottom.seek->setValue(0);
    bottom.elapsed->setText(FormatTime(launch.startSec) + QLatin1Char(' '));
    bottom.total->setText(QLatin1Char(' ') + FormatTime(launch.durationSec));
    answerPacer.Reset();
    seekTargetSec = 0;
    if (launch.kind != SourceKind::BluRay) {
        DiscMenus::ForgetPendingTitles(titleSubmenu);
        titleSubmenu->clear();
        chapterSubmenu->clear();
    }
    // The stream menus belong to the source; the new one's are known once it plays.
    audioTrackSubmenu->clear();
    subtitleTrackSubmenu->clear();
    TrackMenus::ResetToFirst(audioChannelSubmenu);
    controller->SetDrawingWindow(videoSurface->winId());
    MarkPlayingRow(launch.path);
}

void DRUI::ResetTimeDisplay()
{
    bottom.elapsed->setText(QStringLiteral("00:00:00 "));
    bottom.seek->setValue(0);
    bottom.seek->setEnabled(false);
}

void DRUI::ShowStopped(bool discPage)
{
    ShowPlayEntry(false);
    bottom.status->clear();
    ResetTimeDisplay();
    bottom.total->setText(QLatin1Char(' ') + FormatTime(controller->Session().DurationSec()));
    if (discPage) {
        ShowDisc();
    } else if (CurrentPage() == Page::Video) {
        ShowPage(Page::Start);
    }
}

void DRUI::ShowSessionState(PlaybackSession::State state)
{
    switch (state) {
    case PlaybackSession::State::Starting:
    case PlaybackSession::State::Playing:
        WindowParts::ShowPlayIcon(bottom.play, true);
        playPauseAction->setText(GetText("MainWnd/Pause"));
        playPauseAction->setData(QStringLiteral("Pause"));
        break;
    case PlaybackSession::State::Paused:
        ShowPlayEntry(true);
        break;
    case PlaybackSession::State::Stopped:
    case PlaybackSession::State::Ended:
        ShowPlayEntry(false);
        break;
    case PlaybackSession::State::Failed:
        ShowStopped(false);
        WindowDialogs::TellFailure(this, controller->Session());
        break;
    }
}

void DRUI::ShowPlayEntry(bool paused)
{
    // After a session ends, the play button and the Play entry start it again.
    WindowParts::ShowPlayIcon(bottom.play, false);
    playPauseAction->setText(GetText(paused ? "MainWnd/Resume" : "MainWnd/Play"));
    playPauseAction->setData(paused ? QStringLiteral("Resume") : QStringLiteral("Play"));
}

void DRUI::ShowSeek(qint64 positionMs)
{
    bottom.seek->setValue(int(positionMs / 1000));
    bottom.elapsed->setText(FormatTime(positionMs / 1000) + QLatin1Char(' '));
    answerPacer.Reset();
}

void DRUI::DoRefreshGui()
{
    const qint64 second = controller->Session().PositionMs() / 1000;
    bottom.elapsed->setText(FormatTime(second) + QLatin1Char(' '));
    if (answerPacer.CountAnswer())
        bottom.seek->setValue(int(second));
}

void DRUI::ShowDuration(qint64 seconds)
{
    if (!controller->Session().IsActive())
        return;
    bottom.seek->setRange(0, int(seconds));
    bottom.total->setText(QLatin1Char(' ') + FormatTime(seconds));
}

void DRUI::ShowVolume(int level, bool muted)
{
    bottom.volumeSlider->setValue(level);
    WindowParts::ShowVolumeIcon(bottom.volume, muted);
}

void DRUI::ShowStreamMenus()
{
    const PlaybackSession &session = controller->Session();
    const SessionLaunch &launch = session.CurrentLaunch();
    TrackMenus::ShowSessionStreams(session,
                                   launch.kind == SourceKind::BluRay
                                       ? controller->LoadedDisc().Find(launch.titleKey)
                                       : nullptr,
                                   CLanguageManager::Instance().Locale(), audioTrackSubmenu,
                                   subtitleTrackSubmenu, chapterSubmenu);
}

void DRUI::ShowDisc()
{
    const BluRayScan &scan = controller->LoadedDisc();
    disc.name->setText(scan.discName);
    WindowParts::ShowProtection(disc.protection, scan.protection);
    QPixmap picture;
    picture.loadFromData(scan.thumbnailData);
    disc.art->setPixmap(picture);
    // The page names the movie's length, never what played before.
    const BluRayTitle *title = controller->CurrentTitle();
    WindowParts::AddPictureNotes(disc.protection, title);
    ResetTimeDisplay();
    bottom.total->setText(QLatin1Char(' ') + FormatTime(title ? title->lengthSeconds : 0));
    FillDiscMenus();
    ShowPage(Page::Disc);
    update();
}

void DRUI::FillDiscMenus()
{
    const BluRayScan &scan = controller->LoadedDisc();
    const BluRayTitle *title = controller->CurrentTitle();
    if (!title || controller->OpenKind() != SourceKind::BluRay)
        return;
    QVector<DiscMenus::TitleEntry> titleEntries;
    for (const BluRayTitle &each : scan.titles) {
        titleEntries.append({PLAY_LIST_INFO{SourceKind::BluRay, 0, each.key, each.durationText},
                             each.HasEngineTitle()});
    }
    const QString key = controller->CurrentTitleKey();
    DiscMenus::FillForTitle(this,
                            {disc.subtitle, disc.audio, disc.chapter, disc.otherTitles,
                             subtitleTrackSubmenu, audioTrackSubmenu, chapterSubmenu, titleSubmenu},
                            {title->subtitles, title->audioStreams, title->chapters, titleEntries},
                            {controller->AudioChoiceOf(key), controller->SubtitleChoiceOf(key)});
}

void DRUI::FillDvdMenus()
{
    if (controller->Session().CurrentLaunch().kind == SourceKind::Dvd)
        DiscMenus::FillDvdMenus(titleSubmenu, chapterSubmenu, controller->DvdTitlesRead(),
                                controller->PlayingDvdTitle());
}

void DRUI::FillPlaylist()
{
    const QVector<PLAY_LIST_INFO> &playlist = controller->Playlist();
    // Rows are added, removed and moved: the table is drawn anew from the list.
    playlistTable->setRowCount(0);
    for (qsizetype row = 0; row < playlist.size(); ++row)
        WindowParts::AppendPlaylistRow(playlistTable, playlist[row]);
    MarkPlayingRow(controller->Session().CurrentLaunch().path);
}

void DRUI::UpdatePlaylistRow(int row)
{
    if (QTableWidgetItem *cell = playlistTable->item(row, 0))
        cell->setData(Qt::UserRole, QVariant::fromValue(controller->Playlist().value(row)));
}

void DRUI::MarkPlayingRow(const QString &path)
{
    WindowParts::MarkPlayingRows(playlistTable, PlaylistRowsMatching(controller->Playlist(), path));
}

void DRUI::RebuildRecentMenu()
{
    if (recentMenu)
        WindowMenus::FillRecentMenu(recentMenu, controller->RecentEntries());
}
