// The window's side of the playback session: launches made from what the window has open,
// and what the session's changes do to the widgets.
#include "ui/DRUI.h"
#include "ui/TrackMenus.h"

#include "disc/DiscProtection.h"
#include "disc/StreamMenuName.h"
#include "engine/EngineCommandLine.h"
#include "engine/FormatTime.h"
#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "i18n/StreamLabel.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "player/PlaylistRules.h"
#include "player/SnapshotWriter.h"
#include "player/SubtitleFileCheck.h"
#include "ui/CMessageBox.h"
#include "ui/DiscMenus.h"
#include "ui/VideoFrame.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QStackedLayout>
#include <QTimer>

namespace {

// The "VIDEO: " line comes before the engine has drawn its first frame; a probe started at
// once would compete with that frame for the processor.
constexpr int ProbeAfterVideoLineMs = 300;

} // namespace

void DRUI::ConnectSession()
{
    session->SetWorkingFolder(AppFolders::AppDataFolder());
    connect(session, &PlaybackSession::stateChanged, this, &DRUI::SessionStateChanged);
    connect(session, &PlaybackSession::positionAnswered, this, &DRUI::DoRefreshGui);
    connect(session, &PlaybackSession::durationChanged, this, &DRUI::ShowDuration);
    connect(session, &PlaybackSession::streamsChanged, this, &DRUI::ApplyStreamMenus);
    connect(session, &PlaybackSession::choicesChanged, this, &DRUI::ApplyStreamMenus);
    connect(session, &PlaybackSession::pictureSizeChanged, this,
            [this](const QSize &size) { videoFrame->SetPictureSize(size); });
    connect(session, &PlaybackSession::pictureStarted, this, [this] {
        QTimer::singleShot(ProbeAfterVideoLineMs, this, &DRUI::ProbePendingFiles);
        QTimer::singleShot(ProbeAfterVideoLineMs, this, &DRUI::ListDueDvdTitles);
    });
    connect(session, &PlaybackSession::screenshotWritten, this, &DRUI::KeepScreenshot);
    connect(session, &PlaybackSession::subtitleLoadFailed, this, &DRUI::SubtitleNotLoaded);
}

SessionLaunch DRUI::FileLaunch(const QString &path) const
{
    SessionLaunch launch;
    launch.kind = SourceKind::MediaFile;
    launch.path = path;
    launch.volume = session->Volume();
    return launch;
}

SessionLaunch DRUI::TitleLaunch(const QString &titleKey, int startSec) const
{
    SessionLaunch launch;
    launch.kind = SourceKind::BluRay;
    launch.path = loadedDisc.folder;
    launch.titleKey = titleKey;
    if (const BluRayTitle *title = loadedDisc.Find(titleKey)) {
        launch.engineTitle = title->engineTitle;
        launch.durationSec = title->lengthSeconds;
    }
    launch.startSec = startSec;
    launch.audioChoice = audioChoices.value(titleKey, SessionLaunch::NoChoice);
    launch.subtitleChoice = subtitleChoices.value(titleKey, SessionLaunch::NoChoice);
    launch.volume = session->Volume();
    return launch;
}

void DRUI::Launch(const SessionLaunch &asked)
{
    // A disc that cannot be decrypted here is not handed to the engine, which would only
    // fail without saying why; the user learns the cause and the remedy instead.
    if (asked.kind == SourceKind::BluRay) {
        const char *refusal =
            DiscProtection::MessageKey(DiscProtection::Decide(loadedDisc.protection));
        if (refusal) {
            CMessageBox::Inform(geometry(), GetText(refusal));
            return;
        }
    }
    // The session that ends here is remembered before the next one starts.
    RememberWhereItIs(false);
    const SessionLaunch launch = WithResumePoint(asked);
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
    sourceKind = launch.kind;
    if (launch.kind != SourceKind::BluRay) {
        titleSubmenu->clear();
        chapterSubmenu->clear();
    }
    // The stream menus belong to the source; the new one's are known once it plays.
    audioTrackSubmenu->clear();
    subtitleTrackSubmenu->clear();
    TrackMenus::ResetToFirst(audioChannelSubmenu);
    AddRecentFile(launch.path);

    session->SetWindowId(videoSurface->winId());
    session->SetExtraArguments(SubtitleCodePageArguments(CLanguageManager::Instance().Locale()));
    session->Start(launch);
    StartResumeSaver();
    MarkPlayingRow();
}

void DRUI::VideoPlay()
{
    PlayFromControls();
}

void DRUI::SeekTo(qint64 second)
{
    session->SeekTo(second);
    seekSlider->setValue(int(second));
    elapsedLabel->setText(FormatTime(second) + QLatin1Char(' '));
}

void DRUI::MarkPlayingRow()
{
    const QString path = session->CurrentLaunch().path;
    WindowParts::MarkPlayingRows(playlistTable, PlaylistRowsMatching(playlist, path));
}

void DRUI::DoRefreshGui()
{
    const qint64 second = session->PositionMs() / 1000;
    elapsedLabel->setText(FormatTime(second) + QLatin1Char(' '));
    if (answerPacer.CountAnswer()) {
        seekSlider->setValue(int(second));
    }
}

void DRUI::ShowDuration(qint64 seconds)
{
    if (!session->IsActive()) {
        return;
    }
    seekSlider->setRange(0, int(seconds));
    totalLabel->setText(QLatin1Char(' ') + FormatTime(seconds));
}

void DRUI::StopBtn()
{
    RememberWhereItIs(false);
    if (session->IsActive()) {
        elapsedLabel->setText(QStringLiteral("00:00:00 "));
    }
    session->Stop();
    ShowPlayEntry();
    statusLabel->clear();
    if (CurrentPage() == Page::Video) {
        ShowPage(Page::Start);
    }
    seekSlider->setValue(0);
    seekSlider->setEnabled(false);
}

void DRUI::ShowPlayEntry()
{
    // After a session ends, the play button and the Play entry start it again.
    WindowParts::ShowPlayIcon(playButton, false);
    playPauseAction->setText(GetText("MainWnd/Play"));
    playPauseAction->setData(QStringLiteral("Play"));
}

void DRUI::ShowPauseEntry()
{
    WindowParts::ShowPlayIcon(playButton, true);
    playPauseAction->setText(GetText("MainWnd/Pause"));
    playPauseAction->setData(QStringLiteral("Pause"));
}

void DRUI::Navigation()
{
    session->Stop();
    // Until a disc has been loaded its page would be empty and its entries would do nothing.
    const bool discLoaded = sourceKind == SourceKind::BluRay && !currentTitleKey.isEmpty();
    ShowPage(discLoaded ? Page::Disc : Page::Start);
}

void DRUI::SessionStateChanged(PlaybackSession::State state)
{
    switch (state) {
    case PlaybackSession::State::Starting:
    case PlaybackSession::State::Playing:
        ShowPauseEntry();
        break;
    case PlaybackSession::State::Paused:
        WindowParts::ShowPlayIcon(playButton, false);
        playPauseAction->setText(GetText("MainWnd/Resume"));
        playPauseAction->setData(QStringLiteral("Resume"));
        break;
    case PlaybackSession::State::Stopped:
        ShowPlayEntry();
        break;
    case PlaybackSession::State::Ended:
        // Played to its end: there is nothing to come back to.
        RememberWhereItIs(true);
        if (!PlayOnAfterTheEnd()) {
            EndSessionDisplay();
        }
        break;
    case PlaybackSession::State::Failed: {
        EndSessionDisplay();
        const SessionLaunch &launch = session->CurrentLaunch();
        if (session->LastFailure() == PlaybackSession::Failure::EngineMissing) {
            CMessageBox::Inform(
                geometry(),
                GetText("Messages/MSG0104").arg(EngineLocator::EngineSearchDescription()));
        } else {
            qWarning("cannot play %s", qUtf8Printable(launch.path));
            CMessageBox::Inform(geometry(),
                                GetText("Messages/MSG0106").arg(QFileInfo(launch.path).fileName()));
        }
        break;
    }
    }
}

void DRUI::EndSessionDisplay()
{
    seekSlider->setValue(0);
    elapsedLabel->setText(QStringLiteral("00:00:00 "));
    totalLabel->setText(QLatin1Char(' ') + FormatTime(session->DurationSec()));
    StopBtn();
}

void DRUI::ApplyStreamMenus()
{
    const SessionLaunch &launch = session->CurrentLaunch();
    const StreamCatalog &streams = session->Streams();
    const QString locale = CLanguageManager::Instance().Locale();
    // A Blu-ray title's streams keep the names its playlist gives them, as on the disc page.
    const BluRayTitle *title =
        launch.kind == SourceKind::BluRay ? loadedDisc.Find(launch.titleKey) : nullptr;
    QStringList audioNames;
    const QList<StreamCatalog::Stream> audio = streams.AudioStreams();
    for (int n = 1; n <= audio.size(); ++n) {
        audioNames << (title && n <= title->audioStreams.size()
                           ? StreamMenuName(title->audioStreams[n - 1])
                           : StreamLabel::Text(StreamLabel::Kind::Audio, n, audio[n - 1].language,
                                               audio[n - 1].title, locale));
    }
    QStringList subtitleNames;
    const QList<StreamCatalog::Stream> subtitles = streams.SubtitleStreams();
    for (int n = 1; n <= subtitles.size(); ++n) {
        subtitleNames << (title && n <= title->subtitles.size()
                              ? StreamMenuName(title->subtitles[n - 1])
                              : StreamLabel::Text(StreamLabel::Kind::Subtitle, n,
                                                  subtitles[n - 1].language, subtitles[n - 1].title,
                                                  locale));
    }
    // Subtitle files follow the film's own streams, by file name.
    for (const QString &file : streams.SubtitleFiles()) {
        subtitleNames << QFileInfo(file).fileName();
    }
    TrackMenus::ShowStreams(audioTrackSubmenu, audioNames, session->AudioChoice());
    TrackMenus::ShowStreams(subtitleTrackSubmenu, subtitleNames, session->SubtitleChoice());

    // A media file's own chapters fill Controls > Chapter; a disc title's come from its
    // playlist.
    if (launch.kind == SourceKind::MediaFile) {
        chapterSubmenu->clear();
        const QList<StreamCatalog::Chapter> chapters = streams.Chapters();
        for (int i = 0; i < chapters.size(); ++i) {
            const qint64 startMs = qint64(qBound(0.0, chapters[i].startSeconds * 1000, 4.0e9));
            auto *entry = new QAction(
                QStringLiteral("%1. ").arg(i + 1) + FormatTime(startMs / 1000), chapterSubmenu);
            entry->setData(startMs);
            chapterSubmenu->addAction(entry);
        }
    }
}

void DRUI::LoadSubtitleFile()
{
    if (!session->IsActive()) {
        return;
    }
    const QString filter = GetText("MainWnd/SubtitleFiles") +
                           QStringLiteral(" (*.srt *.ass *.ssa *.sub *.idx *.smi *.txt);;") +
                           GetText("MainWnd/AllFiles") + QStringLiteral(" (*)");
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), QFileInfo(session->CurrentLaunch().path).absolutePath(), filter);
    if (path.isEmpty()) {
        return;
    }
    // Checked first: the engine stalls for minutes on a huge file and for ever on a pipe.
    if (SubtitleFileCheck::Check(path) != SubtitleFileCheck::Verdict::Fine ||
        !session->LoadSubtitle(path)) {
        SubtitleNotLoaded(path);
    }
}

void DRUI::SubtitleNotLoaded(const QString &path)
{
    qWarning("the subtitle file %s could not be loaded", qUtf8Printable(path));
    CMessageBox::Inform(geometry(), GetText("Messages/MSG0108").arg(QFileInfo(path).fileName()));
}

void DRUI::KeepScreenshot(const QString &path)
{
    switch (SnapshotWriter::Keep(path, AppFolders::AppDataFolder(), AppFolders::DocumentsFolder(),
                                 QDateTime::currentDateTime(), snapshotFormat)) {
    case SnapshotWriter::Result::Saved:
        break;
    case SnapshotWriter::Result::NotAccepted:
        // Not a screenshot of ours: a film's own metadata can print the same line.
        qWarning("ignored a screenshot line naming %s", qUtf8Printable(path));
        break;
    case SnapshotWriter::Result::LoadFailed:
    case SnapshotWriter::Result::SaveFailed:
        qWarning("the snapshot from %s could not be saved", qUtf8Printable(path));
        CMessageBox::Inform(geometry(), GetText("Messages/MSG0107"));
        break;
    }
}

void DRUI::TogglePlayNext()
{
    if (!preferences.SetPlayNext(playNextAction->isChecked())) {
        qWarning("the choice to play on could not be stored");
    }
}

bool DRUI::PlayOnAfterTheEnd()
{
    if (!preferences.PlayNext()) {
        return false;
    }
    const int next = NextPlaylistIndex(playlist, session->CurrentLaunch().path);
    if (next < 0) {
        return false;
    }
    // Taken from the event loop: the session is still inside the engine's last signal.
    const PLAY_LIST_INFO item = playlist[next];
    QTimer::singleShot(0, this, [this, item] { OpenPlaylistItem(item); });
    return true;
}
