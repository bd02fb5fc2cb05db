// What the controller says, drawn: the pages, the time and the slider, the play entry, the
// stream, title and chapter menus, the disc page, the playlist and the recent files, and the
// messages.
#include "ui/DRUI.h"

#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "player/PlaylistRules.h"
#include "player/TimeText.h"
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
    PlayerController *c = controller;
    connect(c, &PlayerController::changed, this, &DRUI::ShowChange);
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

void DRUI::ShowChange(StateChanges what)
{
    const PlayerState state = controller->State();
    if (what & StateChange::Launch)
        ShowLaunch(state.launch);
    if (what & StateChange::Stop)
        ShowStopped(state.stopToDiscPage);
    if (what & StateChange::Playback)
        ShowSessionState(state);
    if (what & StateChange::Position)
        DoRefreshGui();
    if (what & StateChange::Length)
        ShowDuration(state.durationSec);
    if (what & StateChange::Seek)
        ShowSeek(state.seekedToMs);
    if (what & StateChange::Streams)
        ShowStreamMenus();
    if (what & StateChange::PictureSize)
        videoFrame->SetPictureSize(state.pictureSize);
    if (what & StateChange::Screenshot)
        KeepSnapshot(state.screenshotPath);
    if (what & StateChange::Viewing)
        ShowViewing();
    if (what & StateChange::Volume)
        ShowVolume(state.volume, state.muted);
    if (what & StateChange::Disc)
        ShowDisc();
    // The menus are refilled once the entry that asked for the title has finished delivering
    // its signal, as the refill deletes it.
    if (what & StateChange::CurrentTitle)
        QTimer::singleShot(0, this, &DRUI::FillDiscMenus);
    if (what & StateChange::DvdTitles)
        QTimer::singleShot(0, this, &DRUI::FillDvdMenus);
    if (what & StateChange::Playlist)
        FillPlaylist();
    if (what & StateChange::PlaylistRow)
        UpdatePlaylistRows();
    if (what & StateChange::RecentFiles)
        RebuildRecentMenu();
    if (what & StateChange::ResumeNotice)
        update();
    if ((what & StateChange::Preferences) && playNextAction)
        playNextAction->setChecked(state.preferences.PlayNext());
}

void DRUI::KeepSnapshot(const QString &screenshot)
{
    const QString saved = WindowDialogs::KeepSnapshot(this, screenshot, snapshotFormat);
    if (!saved.isEmpty())
        Request(Ask::SnapshotKept{QFileInfo(saved).fileName()});
}

void DRUI::ShowVideoTrack(int track)
{
    // Only a choice that changed is drawn: a window rebuilt after a change of language
    // starts with its picture shown.
    if (track == shownVideoTrack || !videoSurface)
        return;
    shownVideoTrack = track;
    videoSurface->setVisible(track != 0);
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
    bottom.elapsed->setText(TimeText(launch.startSec) + QLatin1Char(' '));
    bottom.total->setText(QLatin1Char(' ') + TimeText(launch.durationSec));
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
    bottom.total->setText(QLatin1Char(' ') + TimeText(controller->State().durationSec));
    if (discPage) {
        ShowDisc();
    } else if (CurrentPage() == Page::Video) {
        ShowPage(Page::Start);
    }
}

void DRUI::ShowSessionState(const PlayerState &state)
{
    switch (state.playback) {
    case SessionState::Starting:
    case SessionState::Playing:
        WindowParts::ShowPlayIcon(bottom.play, true);
        playPauseAction->setText(GetText("MainWnd/Pause"));
        playPauseAction->setData(QStringLiteral("Pause"));
        break;
    case SessionState::Paused:
        ShowPlayEntry(true);
        break;
    case SessionState::Stopped:
    case SessionState::Ended:
        ShowPlayEntry(false);
        break;
    case SessionState::Failed:
        ShowStopped(false);
        WindowDialogs::TellFailure(this, state.failure, state.launch.path);
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
    bottom.elapsed->setText(TimeText(positionMs / 1000) + QLatin1Char(' '));
    answerPacer.Reset();
}

void DRUI::DoRefreshGui()
{
    const qint64 second = controller->State().positionMs / 1000;
    bottom.elapsed->setText(TimeText(second) + QLatin1Char(' '));
    if (answerPacer.CountAnswer())
        bottom.seek->setValue(int(second));
}

void DRUI::ShowDuration(qint64 seconds)
{
    if (!controller->State().active)
        return;
    bottom.seek->setRange(0, int(seconds));
    bottom.total->setText(QLatin1Char(' ') + TimeText(seconds));
}

void DRUI::ShowVolume(int level, bool muted)
{
    bottom.volumeSlider->setValue(level);
    WindowParts::ShowVolumeIcon(bottom.volume, muted);
}

void DRUI::ShowStreamMenus()
{
    const PlayerState state = controller->State();
    TrackMenus::ShowSessionStreams(state, state.LaunchedTitle(),
                                   CLanguageManager::Instance().Locale(), audioTrackSubmenu,
                                   subtitleTrackSubmenu, chapterSubmenu);
}

void DRUI::ShowDisc()
{
    const PlayerState state = controller->State();
    const BluRayScan &scan = state.disc;
    disc.name->setText(scan.discName);
    WindowParts::ShowProtection(disc.protection, scan.protection);
    QPixmap picture;
    picture.loadFromData(scan.thumbnailData);
    disc.art->setPixmap(picture);
    // The page names the movie's length, never what played before.
    const BluRayTitle *title = state.CurrentTitle();
    WindowParts::AddPictureNotes(disc.protection, title);
    ResetTimeDisplay();
    bottom.total->setText(QLatin1Char(' ') + TimeText(title ? title->lengthSeconds : 0));
    FillDiscMenus();
    ShowPage(Page::Disc);
    update();
}

void DRUI::FillDiscMenus()
{
    const PlayerState state = controller->State();
    const BluRayScan &scan = state.disc;
    const BluRayTitle *title = state.CurrentTitle();
    if (!title || state.openKind != SourceKind::BluRay)
        return;
    QVector<DiscMenus::TitleEntry> titleEntries;
    for (const BluRayTitle &each : scan.titles) {
        titleEntries.append({PLAY_LIST_INFO{SourceKind::BluRay, 0, each.key, each.durationText},
                             each.HasEngineTitle()});
    }
    DiscMenus::FillForTitle(this,
                            {disc.subtitle, disc.audio, disc.chapter, disc.otherTitles,
                             subtitleTrackSubmenu, audioTrackSubmenu, chapterSubmenu, titleSubmenu},
                            {title->subtitles, title->audioStreams, title->chapters, titleEntries},
                            {state.currentTitleAudio, state.currentTitleSubtitle});
}

void DRUI::FillDvdMenus()
{
    const PlayerState state = controller->State();
    if (state.launch.kind == SourceKind::Dvd)
        DiscMenus::FillDvdMenus(titleSubmenu, chapterSubmenu, state.dvdTitles,
                                state.PlayingDvdTitle());
}

void DRUI::FillPlaylist()
{
    const PlayerState state = controller->State();
    // Rows are added, removed and moved: the table is drawn anew from the list.
    playlistTable->setRowCount(0);
    for (qsizetype row = 0; row < state.playlist.size(); ++row)
        WindowParts::AppendPlaylistRow(playlistTable, state.playlist[row]);
    MarkPlayingRow(state.launch.path);
}

void DRUI::UpdatePlaylistRows()
{
    // A row whose length became known; the others are left as they are.
    const QVector<PLAY_LIST_INFO> playlist = controller->State().playlist;
    for (int row = 0; row < playlist.size(); ++row) {
        QTableWidgetItem *cell = playlistTable->item(row, 0);
        if (cell && cell->data(Qt::UserRole).value<PLAY_LIST_INFO>() != playlist[row])
            cell->setData(Qt::UserRole, QVariant::fromValue(playlist[row]));
    }
}

void DRUI::MarkPlayingRow(const QString &path)
{
    WindowParts::MarkPlayingRows(playlistTable,
                                 PlaylistRowsMatching(controller->State().playlist, path));
}

void DRUI::RebuildRecentMenu()
{
    if (recentMenu)
        WindowMenus::FillRecentMenu(recentMenu, controller->State().recentFiles);
}
