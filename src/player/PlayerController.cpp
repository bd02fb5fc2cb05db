#include "player/PlayerController.h"

#include "disc/DiscProtection.h"
#include "engine/DurationProbe.h"
#include "platform/PathBytes.h"
#include "player/LoadedDisc.h"
#include "player/PlaybackSession.h"
#include "player/PlaylistKeeper.h"
#include "player/PlaylistRules.h"
#include "player/ResumeKeeper.h"
#include "player/TransportRules.h"
#include "player/ViewingRules.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

// The longest the length probe waits for the engine's picture before it runs anyway.
constexpr int ProbeDelayMs = 1500;
// The "VIDEO: " line comes before the engine has drawn its first frame; a probe started at
// once would compete with that frame for the processor.
constexpr int ProbeAfterVideoLineMs = 300;

} // namespace

PlayerController::PlayerController(const QString &folder, QObject *parent)
    : PlayerController(folder, QString(), parent)
{
}

PlayerController::PlayerController(const QString &folder, const QString &preferencesFile,
                                   QObject *parent)
    : QObject(parent), session(new PlaybackSession(this)),
      playlist(new PlaylistKeeper(folder, this)), discs(new LoadedDisc(this)),
      resume(new ResumeKeeper(folder, this)), appDataFolder(folder), preferences(preferencesFile),
      recentFiles(folder.isEmpty() ? QString() : RecentFiles::FilePathIn(folder))
{
    session->SetWorkingFolder(folder);
    if (!folder.isEmpty())
        recentFiles.Load();
    resume->SetEnabled(preferences.Resume());
    discs->SetPreferredLanguages(preferences.AudioLanguage(), preferences.SubtitleLanguage());
    ConnectRooms();
}

PlayerController::~PlayerController()
{
    // The rooms go after the controller: nothing they say on the way may reach it.
    session->disconnect(this);
    playlist->disconnect(this);
    discs->disconnect(this);
    resume->disconnect(this);
}

void PlayerController::ConnectRooms()
{
    connect(session, &PlaybackSession::stateChanged, this, &PlayerController::SessionStateChanged);
    connect(session, &PlaybackSession::pictureStarted, this, [this] {
        if (!launchNote.isEmpty())
            session->ShowOnScreen(launchNote);
        launchNote.clear();
        QTimer::singleShot(ProbeAfterVideoLineMs, playlist, &PlaylistKeeper::Measure);
        QTimer::singleShot(ProbeAfterVideoLineMs, discs, &LoadedDisc::ListDueDvdTitles);
    });
    connect(session, &PlaybackSession::subtitleLoadFailed, this, [this](const QString &path) {
        emit subtitleNotLoaded(path, SubtitleFileCheck::Verdict::Fine);
    });
    connect(session, &PlaybackSession::positionAnswered, this,
            [this] { Tell(StateChange::Position); });
    connect(session, &PlaybackSession::durationChanged, this,
            [this] { Tell(StateChange::Length); });
    connect(session, &PlaybackSession::seeked, this, [this](qint64 positionMs) {
        seekedToMs = positionMs;
        Tell(StateChange::Seek);
    });
    connect(session, &PlaybackSession::streamsChanged, this,
            [this] { Tell(StateChange::Streams); });
    connect(session, &PlaybackSession::choicesChanged, this,
            [this] { Tell(StateChange::Streams); });
    connect(session, &PlaybackSession::pictureSizeChanged, this, [this](const QSize &size) {
        pictureSize = size;
        Tell(StateChange::PictureSize);
    });
    connect(session, &PlaybackSession::screenshotWritten, this, [this](const QString &path) {
        screenshotPath = path;
        Tell(StateChange::Screenshot);
    });
    connect(session, &PlaybackSession::volumeChanged, this, [this] { Tell(StateChange::Volume); });
    connect(session, &PlaybackSession::viewingChanged, this,
            [this] { Tell(StateChange::Viewing); });

    connect(playlist, &PlaylistKeeper::changed, this, [this] { Tell(StateChange::Playlist); });
    connect(playlist, &PlaylistKeeper::rowChanged, this,
            [this] { Tell(StateChange::PlaylistRow); });
    connect(playlist, &PlaylistKeeper::measured, this, &PlayerController::TakeProbedDuration);

    connect(discs, &LoadedDisc::reading, this, &PlayerController::discReading);
    connect(discs, &LoadedDisc::notADisc, this, &PlayerController::notADisc);
    connect(discs, &LoadedDisc::loaded, this, [this] {
        // Play now means this disc.
        openKind = SourceKind::BluRay;
        Tell(StateChange::Disc);
    });
    connect(discs, &LoadedDisc::dvdTitlesChanged, this, [this] { Tell(StateChange::DvdTitles); });

    connect(resume, &ResumeKeeper::saveDue, this, [this] {
        if (session->CurrentState() == PlaybackSession::State::Playing)
            RememberWhereItIs(false);
    });
    connect(resume, &ResumeKeeper::noticeEnded, this, [this] { Tell(StateChange::ResumeNotice); });
}

bool PlayerController::Handle(const PlayerRequest &request)
{
    return std::visit([this](const auto &ask) { return Act(ask); }, request);
}

PlayerState PlayerController::State() const
{
    PlayerState state;
    state.openKind = openKind;
    // The launch as planned: the window draws it before the engine is asked to start.
    state.launch = launch;
    state.playback = session->CurrentState();
    state.failure = session->LastFailure();
    state.active = session->IsActive();
    state.positionMs = session->PositionMs();
    state.seekedToMs = seekedToMs;
    state.durationSec = session->DurationSec();
    state.volume = session->Volume();
    state.muted = muted;
    state.speed = session->Speed();
    state.audioDelayMs = session->AudioDelayMs();
    state.subtitleDelayMs = session->SubtitleDelayMs();
    state.deinterlaced = session->Deinterlaced();
    state.aspect = session->Aspect();
    state.videoTrack = videoTrack;
    state.pictureSize = pictureSize;
    const StreamCatalog &streams = session->Streams();
    state.audioStreams = streams.AudioStreams();
    state.subtitleStreams = streams.SubtitleStreams();
    state.subtitleFiles = streams.SubtitleFiles();
    state.chapters = streams.Chapters();
    state.audioChoice = session->AudioChoice();
    state.subtitleChoice = session->SubtitleChoice();
    // A disc lists up to 32 audio streams, more than the engine may have found yet.
    for (int entry = 1; entry <= qMax<qsizetype>(state.audioStreams.size(), 32); ++entry) {
        if (session->AudioHealth().Of(entry) == AudioPlayability::Verdict::CannotPlay)
            state.audioCannotPlay << entry;
    }
    state.playingItem = session->PlayingItem();
    state.disc = discs->Disc();
    state.discArtKey = discs->ArtKey();
    state.currentTitleKey = discs->CurrentTitleKey();
    state.currentTitleAudio = discs->AudioChoiceOf(state.currentTitleKey);
    state.currentTitleSubtitle = discs->SubtitleChoiceOf(state.currentTitleKey);
    state.stopToDiscPage = stopToDiscPage;
    state.dvdTitles = discs->DvdTitlesRead();
    state.playingDvdTitle = discs->PlayingDvdTitleNumber(state.launch);
    state.playlist = playlist->Items();
    state.recentFiles = recentFiles.Entries();
    state.resumedAt = resume->ResumedAt();
    state.preferences = preferences;
    state.screenshotPath = screenshotPath;
    return state;
}

void PlayerController::SetDrawingWindow(qulonglong id)
{
    session->SetWindowId(id);
}

bool PlayerController::Act(const Ask::PlayPause &)
{
    const PlaybackSession::State state = session->CurrentState();
    PlayRequestState decision;
    decision.sessionRunning = session->IsActive();
    decision.playing = state != PlaybackSession::State::Paused;
    decision.kind = openKind;
    decision.hasSource = !session->CurrentLaunch().path.isEmpty();
    switch (DecidePlayRequest(decision)) {
    case PlayRequest::PauseSession:
        session->Pause();
        break;
    case PlayRequest::ResumeSession:
        session->Resume();
        break;
    case PlayRequest::PlayBluRayTitle:
        if (!discs->CurrentTitle())
            return false;
        PlayTitle(discs->CurrentTitleKey(), 0, true);
        break;
    case PlayRequest::ReopenSource:
        if (session->CurrentLaunch().kind == SourceKind::Dvd)
            OpenDvd(session->CurrentLaunch().path);
        else
            OpenMediaFiles({session->CurrentLaunch().path}, true);
        break;
    case PlayRequest::AskForFile:
        emit fileWanted();
        break;
    }
    return true;
}

bool PlayerController::Act(const Ask::Play &)
{
    const PlaybackSession::State state = session->CurrentState();
    if (state == PlaybackSession::State::Playing || state == PlaybackSession::State::Starting)
        return false;
    return Act(Ask::PlayPause{});
}

bool PlayerController::Act(const Ask::Pause &)
{
    session->Pause();
    return true;
}

bool PlayerController::Act(const Ask::Stop &)
{
    StopSession();
    stopToDiscPage = false;
    Tell(StateChange::Stop);
    return true;
}

bool PlayerController::Act(const Ask::Navigation &)
{
    StopSession();
    // Until a disc has been loaded its page would be empty and its entries would do nothing.
    stopToDiscPage = openKind == SourceKind::BluRay && discs->CurrentTitle();
    Tell(StateChange::Stop);
    return true;
}

bool PlayerController::Act(const Ask::Quit &)
{
    // Nothing may keep playing sound after the window is gone.
    RememberWhereItIs(false);
    session->EndAll();
    resume->StopSaving();
    return true;
}

void PlayerController::StopSession()
{
    // The place is taken before the engine goes, not from the last periodic save.
    RememberWhereItIs(false);
    session->Stop();
    resume->StopSaving();
}

bool PlayerController::Act(const Ask::SeekTo &ask)
{
    if (!session->IsActive())
        return false;
    // With the length still unknown there is no end to hold the seek to.
    const qint64 last =
        session->DurationSec() > 0 ? session->DurationSec() : std::numeric_limits<int>::max();
    const qint64 target = std::clamp<qint64>(ask.at.count(), 0, last);
    session->SeekTo(target);
    ShowPositionOnScreen(target);
    return true;
}

bool PlayerController::Act(const Ask::Step &ask)
{
    if (session->CurrentState() == PlaybackSession::State::Paused)
        session->Resume();
    if (!session->IsActive())
        return false;
    const qint64 duration = session->DurationSec();
    const qint64 position = session->PositionMs();
    const qint64 origin = StepSeekOrigin(int(position / 1000), position, duration);
    const qint64 target = StepSeekTarget(origin, int(ask.by.count()), duration);
    session->SeekTo(target);
    ShowPositionOnScreen(target);
    return true;
}

bool PlayerController::Act(const Ask::Next &)
{
    StepThroughSources(true);
    return true;
}

bool PlayerController::Act(const Ask::Previous &)
{
    StepThroughSources(false);
    return true;
}

bool PlayerController::Act(const Ask::Chapter &ask)
{
    const SessionLaunch &launch = session->CurrentLaunch();
    const bool fileOrTitlePlays = session->IsActive() && launch.kind != SourceKind::Dvd;
    if (fileOrTitlePlays && launch.kind == SourceKind::MediaFile) {
        const QList<StreamCatalog::Chapter> chapters = session->Streams().Chapters();
        if (ask.index < 0 || ask.index >= chapters.size())
            return false;
        if (session->CurrentState() == PlaybackSession::State::Paused)
            session->Resume();
        session->SeekTo(qint64(qBound(0.0, chapters[ask.index].startSeconds, 4.0e6)));
        ShowChapterOnScreen(ask.index, chapters[ask.index].name);
        return true;
    }
    if (openKind != SourceKind::BluRay)
        return false;
    const BluRayTitle *title = discs->CurrentTitle();
    if (!title || ask.index < 0 || ask.index >= title->chapters.size())
        return false;
    const qint64 startSec = title->chapters[ask.index] / 1000;
    // While the title plays its chapters are places in it; otherwise the chapter starts it,
    // from the chapter's own start, even when that start is 0.
    if (fileOrTitlePlays && launch.titleKey == discs->CurrentTitleKey()) {
        if (session->CurrentState() == PlaybackSession::State::Paused)
            session->Resume();
        session->SeekTo(startSec);
        ShowChapterOnScreen(ask.index, QString());
    } else {
        PlayTitle(discs->CurrentTitleKey(), startSec, false);
    }
    return true;
}

bool PlayerController::Act(const Ask::Title &ask)
{
    const BluRayTitle *title = discs->Disc().Find(ask.key);
    if (!title || !title->HasEngineTitle())
        return false;
    PlayTitle(ask.key, 0, true);
    return true;
}

bool PlayerController::Act(const Ask::PlayMovie &)
{
    // The disc's movie, whichever title played last.
    return Act(Ask::Title{discs->Disc().currentTitleKey});
}

bool PlayerController::Act(const Ask::DvdTitle &ask)
{
    const QString disc = session->CurrentLaunch().kind == SourceKind::Dvd
                             ? session->CurrentLaunch().path
                             : discs->DvdTitlesDisc();
    if (disc.isEmpty() || ask.number < 1)
        return false;
    LaunchPlan::Request request;
    request.kind = SourceKind::Dvd;
    request.path = disc;
    request.dvdTitle = ask.number;
    Launch(request);
    launchNote = onScreen.title.arg(ask.number);
    Tell(StateChange::DvdTitles);
    return true;
}

bool PlayerController::Act(const Ask::DvdChapter &ask)
{
    const DvdTitle *title = discs->PlayingDvdTitle(session->CurrentLaunch());
    if (!title || ask.index < 0 || ask.index >= title->chapterStartsMs.size())
        return false;
    // The disc knows where its chapters start; a seek by time could land in another cell.
    session->SeekChapter(ask.index, title->chapterStartsMs[ask.index] / 1000);
    ShowChapterOnScreen(ask.index, QString());
    return true;
}

bool PlayerController::Act(const Ask::AudioTrack &ask)
{
    if (!session->IsActive())
        return false;
    session->SelectAudio(ask.choice.number);
    if (session->CurrentLaunch().kind == SourceKind::BluRay)
        discs->ChooseAudio(session->CurrentLaunch().titleKey, ask.choice.number);
    return true;
}

bool PlayerController::Act(const Ask::SubtitleTrack &ask)
{
    if (!session->IsActive())
        return false;
    session->SelectSubtitle(ask.choice.number);
    if (session->CurrentLaunch().kind == SourceKind::BluRay)
        discs->ChooseSubtitle(session->CurrentLaunch().titleKey, ask.choice.number);
    return true;
}

bool PlayerController::Act(const Ask::DiscAudio &ask)
{
    if (!discs->CurrentTitle())
        return false;
    discs->ChooseAudio(discs->CurrentTitleKey(), ask.choice.number);
    return true;
}

bool PlayerController::Act(const Ask::DiscSubtitle &ask)
{
    if (!discs->CurrentTitle())
        return false;
    discs->ChooseSubtitle(discs->CurrentTitleKey(), ask.choice.number);
    return true;
}

bool PlayerController::Act(const Ask::LoadSubtitle &ask)
{
    if (!session->IsActive() || ask.path.isEmpty())
        return false;
    // Checked first: the engine stalls for minutes on a huge file and for ever on a pipe.
    SubtitleFileCheck::Verdict verdict = SubtitleFileCheck::Check(ask.path);
    if (verdict != SubtitleFileCheck::Verdict::Fine || !session->LoadSubtitle(ask.path, &verdict)) {
        qWarning("the subtitle file %s could not be loaded", qUtf8Printable(ask.path));
        emit subtitleNotLoaded(ask.path, verdict);
        return false;
    }
    return true;
}

bool PlayerController::Act(const Ask::StartOver &)
{
    resume->Forget(session->CurrentLaunch());
    resume->EndNotice();
    Tell(StateChange::ResumeNotice);
    if (session->IsActive())
        session->SeekTo(0);
    return true;
}

bool PlayerController::Act(const Ask::Open &ask)
{
    QStringList files;
    QString disc;
    SourceCheck::Look discLook;
    for (const QString &path : ask.paths) {
        if (path.isEmpty())
            continue;
        // The one look at the path on its way to playing: from outside a path is judged
        // before anything stops, so that what cannot be played is refused and named, and
        // what plays goes on.
        const SourceCheck::Look look = SourceCheck::Examine(path);
        const SourceCheck::Verdict verdict =
            ask.from == Ask::From::Outside ? look.verdict : SourceCheck::Verdict::MediaFile;
        if (verdict != SourceCheck::Verdict::MediaFile && verdict != SourceCheck::Verdict::Disc) {
            qWarning("%s: asked to play it from outside, but it %s; what plays goes on",
                     qPrintable(PathBytes::Readable(path)),
                     verdict == SourceCheck::Verdict::Missing ? "does not exist"
                                                              : "cannot be played");
            emit refusedFromOutside(path, verdict);
            continue;
        }
        if (ask.from == Ask::From::DiscDialog || look.discLocation) {
            if (disc.isEmpty()) {
                disc = path;
                discLook = look;
            }
        } else {
            files << path;
        }
    }
    if (files.isEmpty() && disc.isEmpty())
        return false;
    switch (ask.from) {
    case Ask::From::OpenDialog:
        // A second pick of the file that plays toggles its pause, as the play button does.
        if (!files.isEmpty()) {
            OpenMediaFiles(files, true);
            return true;
        }
        break;
    case Ask::From::DiscDialog:
        break;
    case Ask::From::Drop:
    case Ask::From::Recent:
    case Ask::From::Playlist:
    case Ask::From::Outside:
        // From elsewhere a file starts again, whatever plays.
        StopSession();
        if (!files.isEmpty()) {
            OpenMediaFiles(files, false);
            return true;
        }
        break;
    }
    OpenDisc(disc, discLook.discLocation ? &discLook : nullptr);
    return true;
}

void PlayerController::OpenMediaFiles(const QStringList &files, bool samePauses)
{
    if (files.isEmpty())
        return;
    // The engine starts at once. The lengths are measured once its picture is up (or after
    // a moment, if it never comes), so the probe does not compete with the engine's start.
    // A disc still being read is not shown over what the user opened since.
    discs->OpenedElsewhere();
    QVector<PLAY_LIST_INFO> batch;
    for (const QString &file : files)
        batch.append(PLAY_LIST_INFO{SourceKind::MediaFile, 0, file, QString()});
    playlist->Add(batch);
    discs->ForgetCurrentTitle();
    const SessionLaunch &current = session->CurrentLaunch();
    if (samePauses && session->IsActive() && current.kind == SourceKind::MediaFile &&
        current.path == files.first()) {
        session->TogglePause();
        return;
    }
    playlist->MeasureLater(files);
    LaunchPlan::Request request;
    request.kind = SourceKind::MediaFile;
    request.path = files.first();
    Launch(request);
    QTimer::singleShot(ProbeDelayMs, playlist, &PlaylistKeeper::Measure);
}

void PlayerController::OpenDisc(const QString &path, const SourceCheck::Look *look)
{
    if (path.isEmpty())
        return;
    // What played goes at once; the disc's page shows when its scan is done.
    StopSession();
    stopToDiscPage = false;
    Tell(StateChange::Stop);
    // A path that was looked at on the way here is not opened again to tell its kind.
    switch (look ? look->disc : DetectDiscFolder(path)) {
    case DiscFolderKind::BluRay:
        discs->ReadBluRay(path);
        break;
    case DiscFolderKind::Dvd:
        OpenDvd(path);
        break;
    case DiscFolderKind::None:
        emit notADisc(path);
        break;
    }
}

void PlayerController::OpenDvd(const QString &folder)
{
    discs->OpenedElsewhere(); // a disc still being read is not shown over this one
    if (!playlist->Lists(folder))
        playlist->Add({PLAY_LIST_INFO{SourceKind::Dvd, 0, folder, QString()}});
    discs->ForgetCurrentTitle();
    // The engine tells a DVD's length once it plays.
    LaunchPlan::Request request;
    request.kind = SourceKind::Dvd;
    request.path = folder;
    Launch(request);
    discs->DvdOpened(folder);
}

void PlayerController::PlayTitle(const QString &titleKey, qint64 startSec, bool whereLeft)
{
    const BluRayTitle *title = discs->Disc().Find(titleKey);
    if (!title || !title->HasEngineTitle())
        return;
    const bool changed = discs->MakeCurrent(titleKey);
    const QString folder = discs->Disc().folder;
    if (!playlist->Lists(folder))
        playlist->Add({PLAY_LIST_INFO{SourceKind::BluRay, 0, folder, title->durationText}});
    LaunchPlan::Request request;
    request.kind = SourceKind::BluRay;
    request.path = folder;
    request.titleKey = titleKey;
    request.startSec = startSec;
    request.whereLeft = whereLeft;
    const QString name = title->playlistName;
    Launch(request);
    launchNote = onScreen.title.arg(name);
    if (changed)
        Tell(StateChange::CurrentTitle);
}

void PlayerController::StepDvdChapter(bool forward)
{
    const DvdTitle *title = discs->PlayingDvdTitle(session->CurrentLaunch());
    if (!title || title->chapterStartsMs.isEmpty())
        return;
    QVector<quint32> starts;
    for (qint64 start : title->chapterStartsMs)
        starts << quint32(qBound<qint64>(0, start, 0xFFFFFFFF));
    const qint64 position = session->PositionMs() / 1000;
    const std::optional<qint64> target =
        forward ? NextChapterSecond(starts, position) : PreviousChapterSecond(starts, position);
    if (!target)
        return;
    for (int i = 0; i < starts.size(); ++i) {
        if (starts[i] / 1000 == *target) {
            session->SeekChapter(i, *target);
            ShowChapterOnScreen(i, QString());
            return;
        }
    }
}

void PlayerController::StepThroughSources(bool forward)
{
    if (session->CurrentState() == PlaybackSession::State::Paused)
        session->Resume();
    if (!session->IsActive())
        return;
    // A Blu-ray title steps between its chapters, a DVD title too; everything else between
    // playlist entries.
    const SessionLaunch &launch = session->CurrentLaunch();
    if (launch.kind == SourceKind::BluRay) {
        const BluRayTitle *title = discs->Disc().Find(launch.titleKey);
        if (!title)
            return;
        const qint64 position = session->PositionMs() / 1000;
        const std::optional<qint64> target = forward
                                                 ? NextChapterSecond(title->chapters, position)
                                                 : PreviousChapterSecond(title->chapters, position);
        if (target) {
            session->SeekTo(*target);
            const qsizetype index =
                std::count_if(title->chapters.begin(), title->chapters.end(),
                              [&](quint32 start) { return qint64(start / 1000) <= *target; });
            ShowChapterOnScreen(int(qMax<qsizetype>(index - 1, 0)), QString());
        }
        return;
    }
    if (launch.kind == SourceKind::Dvd && discs->PlayingDvdTitle(launch)) {
        StepDvdChapter(forward);
        return;
    }
    const QVector<PLAY_LIST_INFO> &items = playlist->Items();
    const int index =
        forward ? NextPlaylistIndex(items, launch.path) : PreviousPlaylistIndex(items, launch.path);
    if (index >= 0)
        Act(Ask::Open{{items[index].path}, Ask::From::Playlist});
}

void PlayerController::TakeProbedDuration(const QString &path, const ProbedDuration &probed)
{
    // A probe that failed leaves the length unknown, as it was.
    if (session->CurrentLaunch().path == path && session->IsActive()) {
        session->TakeDuration(probed.seconds);
        // The probe speaks after the launch: an interlaced file is deinterlaced from now on,
        // unless the user has already chosen.
        const SessionLaunch &launch = session->CurrentLaunch();
        InterlaceClues clues;
        clues.kind = launch.kind;
        if (launch.kind == SourceKind::BluRay) {
            const BluRayTitle *title = discs->Disc().Find(launch.titleKey);
            clues.blurayVideoFormat = title ? title->videoFormat : 0;
        } else if (launch.kind == SourceKind::MediaFile) {
            clues.fieldOrder = playlist->FieldOrderOf(launch.path);
        }
        if (!deinterlaceChosen && IsInterlacedSource(clues) && !session->Deinterlaced())
            session->SetDeinterlace(true);
    }
}

void PlayerController::SessionStateChanged(PlaybackSession::State state)
{
    if (state == PlaybackSession::State::Failed) {
        // A crash or a hang is no end: the place reached is kept for the next Play.
        RememberWhereItIs(false);
        resume->StopSaving();
    } else if (state == PlaybackSession::State::Ended) {
        // Played to its end: there is nothing to come back to.
        RememberWhereItIs(true);
        resume->StopSaving();
        if (!PlayOnAfterTheEnd()) {
            stopToDiscPage = false;
            Tell(StateChange::Stop);
        }
    }
    Tell(StateChange::Playback);
}

bool PlayerController::PlayOnAfterTheEnd()
{
    if (!preferences.PlayNext())
        return false;
    const QVector<PLAY_LIST_INFO> &items = playlist->Items();
    const int next = NextPlaylistIndex(items, session->CurrentLaunch().path);
    if (next < 0)
        return false;
    // Taken from the event loop: the session is still inside the engine's last signal.
    const QString path = items[next].path;
    QTimer::singleShot(0, this, [this, path] { Act(Ask::Open{{path}, Ask::From::Playlist}); });
    return true;
}

void PlayerController::Launch(const LaunchPlan::Request &request)
{
    // A disc that cannot be decrypted here is not handed to the engine, which would only
    // fail without saying why; the user learns the cause and the remedy instead.
    if (request.kind == SourceKind::BluRay) {
        if (const char *refusal =
                DiscProtection::MessageKey(DiscProtection::Decide(discs->Disc().protection))) {
            emit discLocked(QString::fromLatin1(refusal));
            return;
        }
    }
    // The session that ends here is remembered before the next one starts, so that the
    // same source launched again finds the place it was just left at.
    RememberWhereItIs(false);
    LaunchPlan::Known known;
    known.volume = session->Volume();
    known.disc = &discs->Disc();
    known.audioChoice = discs->AudioChoiceOf(request.titleKey);
    known.subtitleChoice = discs->SubtitleChoiceOf(request.titleKey);
    known.fieldOrder = playlist->FieldOrderOf(request.path);
    known.whereLeft = [this](const SessionLaunch &launch) { return resume->PointFor(launch); };
    const LaunchPlan::Result plan = LaunchPlan::Plan(request, known);
    resume->Launching(plan.resumedAt);
    openKind = plan.launch.kind;
    deinterlaceChosen = false;
    launchNote.clear();
    AddRecentFile(plan.launch.path);
    launch = plan.launch;
    Tell(StateChange::Launch);
    if (plan.resumedAt) {
        ShowVolume(plan.launch.volume);
        resume->NoticeStarts();
        Tell(StateChange::ResumeNotice);
    }
    session->Start(plan.launch);
    resume->StartSaving();
}

void PlayerController::RememberWhereItIs(bool playedToEnd)
{
    resume->Remember(*session, playedToEnd);
}

void PlayerController::AddRecentFile(const QString &path)
{
    if (recentFiles.AddRecentFile(path))
        Tell(StateChange::RecentFiles);
}
