// What the controller and its session say, drawn: the pages, the time and the slider, the
// play entry, the stream, title and chapter menus, the disc page, the playlist and the
// recent files, and the messages.
#include "ui/DRUI.h"

#include "player/ViewingRules.h"

#include "disc/StreamMenuName.h"
#include "engine/FormatTime.h"
#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "i18n/StreamLabel.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "platform/PathBytes.h"
#include "player/PlaylistRules.h"
#include "player/SnapshotWriter.h"
#include "ui/CMessageBox.h"
#include "ui/DiscMenus.h"
#include "ui/TrackMenus.h"
#include "ui/VideoFrame.h"
#include "ui/WindowMenus.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
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
    connect(session, &PlaybackSession::screenshotWritten, this, &DRUI::KeepScreenshot);
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
    connect(c, &PlayerController::subtitleNotLoaded, this, [this](const QString &path) {
        qWarning("the subtitle file %s could not be loaded", qUtf8Printable(path));
        Inform(GetText("Messages/MSG0108").arg(QFileInfo(path).fileName()));
    });
    connect(c, &PlayerController::missingFromOutside, this, [this](const QString &path) {
        // Only in front of the user: a notice over another program would get in the way. It
        // waits for the event loop, so that the desktop's call is answered first.
        if (isActiveWindow()) {
            QTimer::singleShot(0, this, [this, path] {
                Inform(GetText("Messages/MSG0109").arg(PathBytes::Readable(path)));
            });
        }
    });
}

void DRUI::Inform(const QString &text)
{
    CMessageBox::Inform(geometry(), text);
}

void DRUI::ShowLaunch(const SessionLaunch &launch)
{
    ShowPage(Page::Video);
    // Until the engine tells the picture's shape, the surface fills the page.
    videoFrame->SetPictureSize(QSize());
    seekSlider->setEnabled(true);
    seekSlider->setRange(0, int(launch.durationSec));
    seekSlider->setValue(0);
    elapsedLabel->setText(FormatTime(launch.startSec) + QLatin1Char(' '));
    totalLabel->setText(QLatin1Char(' ') + FormatTime(launch.durationSec));
    answerPacer.Reset();
    seekTargetSec = 0;
    if (launch.kind != SourceKind::BluRay) {
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
    elapsedLabel->setText(QStringLiteral("00:00:00 "));
    seekSlider->setValue(0);
    seekSlider->setEnabled(false);
}

void DRUI::ShowStopped(bool discPage)
{
    ShowPlayEntry(false);
    statusLabel->clear();
    ResetTimeDisplay();
    totalLabel->setText(QLatin1Char(' ') + FormatTime(controller->Session().DurationSec()));
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
        ShowPauseEntry();
        break;
    case PlaybackSession::State::Paused:
        ShowPlayEntry(true);
        break;
    case PlaybackSession::State::Stopped:
    case PlaybackSession::State::Ended:
        ShowPlayEntry(false);
        break;
    case PlaybackSession::State::Failed: {
        ShowStopped(false);
        const SessionLaunch &launch = controller->Session().CurrentLaunch();
        if (controller->Session().LastFailure() == PlaybackSession::Failure::EngineMissing) {
            Inform(GetText("Messages/MSG0104").arg(EngineLocator::EngineSearchDescription()));
        } else {
            qWarning("cannot play %s", qUtf8Printable(launch.path));
            Inform(GetText("Messages/MSG0106").arg(QFileInfo(launch.path).fileName()));
        }
        break;
    }
    }
}

void DRUI::ShowPlayEntry(bool paused)
{
    // After a session ends, the play button and the Play entry start it again.
    WindowParts::ShowPlayIcon(playButton, false);
    const char *keyword = paused ? "Resume" : "Play";
    playPauseAction->setText(GetText(paused ? "MainWnd/Resume" : "MainWnd/Play"));
    playPauseAction->setData(QString::fromLatin1(keyword));
}

void DRUI::ShowPauseEntry()
{
    WindowParts::ShowPlayIcon(playButton, true);
    playPauseAction->setText(GetText("MainWnd/Pause"));
    playPauseAction->setData(QStringLiteral("Pause"));
}

void DRUI::ShowSeek(qint64 positionMs)
{
    seekSlider->setValue(int(positionMs / 1000));
    elapsedLabel->setText(FormatTime(positionMs / 1000) + QLatin1Char(' '));
    answerPacer.Reset();
}

void DRUI::DoRefreshGui()
{
    const qint64 second = controller->Session().PositionMs() / 1000;
    elapsedLabel->setText(FormatTime(second) + QLatin1Char(' '));
    if (answerPacer.CountAnswer())
        seekSlider->setValue(int(second));
}

void DRUI::ShowDuration(qint64 seconds)
{
    if (!controller->Session().IsActive())
        return;
    seekSlider->setRange(0, int(seconds));
    totalLabel->setText(QLatin1Char(' ') + FormatTime(seconds));
}

void DRUI::ShowVolume(int level, bool muted)
{
    volumeSlider->setValue(level);
    WindowParts::ShowVolumeIcon(volumeButton, muted);
}

void DRUI::ShowStreamMenus()
{
    const PlaybackSession &session = controller->Session();
    const SessionLaunch &launch = session.CurrentLaunch();
    const StreamCatalog &streams = session.Streams();
    const QString locale = CLanguageManager::Instance().Locale();
    // A Blu-ray title's streams keep the names its playlist gives them, as on the disc page.
    const BluRayTitle *title = launch.kind == SourceKind::BluRay
                                   ? controller->LoadedDisc().Find(launch.titleKey)
                                   : nullptr;
    const auto names = [&](StreamLabel::Kind kind, const QList<StreamCatalog::Stream> &found,
                           const QVector<MplsStream> &named) {
        QStringList shown;
        for (int n = 1; n <= found.size(); ++n) {
            shown << (title && n <= named.size() ? StreamMenuName(named[n - 1])
                                                 : StreamLabel::Text(kind, n, found[n - 1].language,
                                                                     found[n - 1].title, locale));
        }
        return shown;
    };
    const QStringList audioNames = names(StreamLabel::Kind::Audio, streams.AudioStreams(),
                                         title ? title->audioStreams : QVector<MplsStream>());
    QStringList subtitleNames = names(StreamLabel::Kind::Subtitle, streams.SubtitleStreams(),
                                      title ? title->subtitles : QVector<MplsStream>());
    // Subtitle files follow the film's own streams, by file name.
    for (const QString &file : streams.SubtitleFiles())
        subtitleNames << QFileInfo(file).fileName();
    TrackMenus::ShowStreams(audioTrackSubmenu, audioNames, session.AudioChoice());
    TrackMenus::ShowStreams(subtitleTrackSubmenu, subtitleNames, session.SubtitleChoice());

    // A media file's own chapters fill Controls > Chapter; a disc title's come from its
    // playlist.
    if (launch.kind == SourceKind::MediaFile) {
        chapterSubmenu->clear();
        const QList<StreamCatalog::Chapter> chapters = streams.Chapters();
        for (int i = 0; i < chapters.size(); ++i) {
            const qint64 startSec = qint64(qBound(0.0, chapters[i].startSeconds, 4.0e6));
            auto *entry =
                new QAction(ChapterRowText(i + 1, chapters[i].name, startSec), chapterSubmenu);
            entry->setData(i);
            chapterSubmenu->addAction(entry);
        }
    }
}

void DRUI::ShowDisc()
{
    const BluRayScan &disc = controller->LoadedDisc();
    discNameLabel->setText(disc.discName);
    QPixmap picture;
    picture.loadFromData(disc.thumbnailData);
    discArtLabel->setPixmap(picture);
    // The page names the movie's length, never what played before.
    const BluRayTitle *title = controller->CurrentTitle();
    ResetTimeDisplay();
    totalLabel->setText(QLatin1Char(' ') + FormatTime(title ? title->lengthSeconds : 0));
    FillDiscMenus();
    ShowPage(Page::Disc);
    update();
}

void DRUI::FillDiscMenus()
{
    const BluRayScan &disc = controller->LoadedDisc();
    const BluRayTitle *title = controller->CurrentTitle();
    if (!title || controller->OpenKind() != SourceKind::BluRay)
        return;
    QVector<DiscMenus::TitleEntry> titleEntries;
    for (const BluRayTitle &each : disc.titles) {
        titleEntries.append({PLAY_LIST_INFO{SourceKind::BluRay, 0, each.key, each.durationText},
                             each.HasEngineTitle()});
    }
    const QString key = controller->CurrentTitleKey();
    DiscMenus::FillForTitle(this,
                            {subtitleAction, audioAction, chapterAction, otherTitlesAction,
                             subtitleTrackSubmenu, audioTrackSubmenu, chapterSubmenu, titleSubmenu},
                            {title->subtitles, title->audioStreams, title->chapters, titleEntries},
                            {controller->AudioChoiceOf(key), controller->SubtitleChoiceOf(key)});
}

void DRUI::FillDvdMenus()
{
    if (controller->Session().CurrentLaunch().kind != SourceKind::Dvd)
        return;
    titleSubmenu->clear();
    chapterSubmenu->clear();
    const DvdTitle *playing = controller->PlayingDvdTitle();
    for (const DvdTitle &title : controller->DvdTitlesRead().titles) {
        auto *entry = new QAction(QStringLiteral("%1. ").arg(title.number) +
                                      FormatTime(title.lengthMs / 1000),
                                  titleSubmenu);
        entry->setData(title.number);
        entry->setCheckable(true);
        entry->setChecked(playing && title.number == playing->number);
        titleSubmenu->addAction(entry);
    }
    if (!playing)
        return;
    for (int i = 0; i < playing->chapterStartsMs.size(); ++i) {
        auto *entry = new QAction(QStringLiteral("%1. ").arg(i + 1) +
                                      FormatTime(playing->chapterStartsMs[i] / 1000),
                                  chapterSubmenu);
        entry->setData(i);
        chapterSubmenu->addAction(entry);
    }
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

void DRUI::KeepScreenshot(const QString &path)
{
    QString savedAs;
    switch (SnapshotWriter::Keep(path, AppFolders::AppDataFolder(), AppFolders::DocumentsFolder(),
                                 QDateTime::currentDateTime(), snapshotFormat, &savedAs)) {
    case SnapshotWriter::Result::Saved:
        controller->SnapshotKept(QFileInfo(savedAs).fileName());
        break;
    case SnapshotWriter::Result::NotAccepted:
        // Not a screenshot of ours: a film's own metadata can print the same line.
        qWarning("ignored a screenshot line naming %s", qUtf8Printable(path));
        break;
    case SnapshotWriter::Result::LoadFailed:
    case SnapshotWriter::Result::SaveFailed:
        qWarning("the snapshot from %s could not be saved", qUtf8Printable(path));
        Inform(GetText("Messages/MSG0107"));
        break;
    }
}
