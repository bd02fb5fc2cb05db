#include "player/PlayerController.h"

#include "disc/DiscFolder.h"
#include "disc/DiscProtection.h"
#include "disc/DvdTitleReader.h"
#include "disc/EngineStreamOrder.h"
#include "engine/DurationProbe.h"
#include "engine/DurationProbeQueue.h"
#include "engine/FormatTime.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "platform/PathBytes.h"
#include "player/DefaultStreamChoice.h"
#include "player/DiscLocation.h"
#include "player/PictureFit.h"
#include "player/PlaylistRules.h"
#include "player/ResumeRules.h"
#include "player/SubtitleFileCheck.h"
#include "player/TransportRules.h"
#include "player/ViewingRules.h"

#include <QCryptographicHash>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <malloc.h>

#include <algorithm>
#include <limits>
#include <thread>

namespace {

// The longest the length probe waits for the engine's picture before it runs anyway.
constexpr int ProbeDelayMs = 1500;
// The longest a DVD's title listing waits for the engine's picture.
constexpr int DvdListingDelayMs = 1500;
// The "VIDEO: " line comes before the engine has drawn its first frame; a probe started at
// once would compete with that frame for the processor.
constexpr int ProbeAfterVideoLineMs = 300;

std::optional<ResumeKey> ResumeKeyFor(const SessionLaunch &launch)
{
    switch (launch.kind) {
    case SourceKind::MediaFile:
        return ResumeKey::ForMediaFile(launch.path);
    case SourceKind::Dvd:
        return ResumeKey::ForDvd(QFileInfo(launch.path).absoluteFilePath(),
                                 launch.engineTitle > 0 ? launch.engineTitle : 1);
    case SourceKind::BluRay:
        if (launch.titleKey.isEmpty())
            return std::nullopt;
        return ResumeKey::ForBluRay(QFileInfo(launch.path).absoluteFilePath(),
                                    QFileInfo(launch.titleKey).fileName());
    }
    return std::nullopt;
}

// A delay asked for, held to what the player allows before it is narrowed to an int.
int DelayMs(Ask::Milliseconds delay)
{
    return int(std::clamp<Ask::Milliseconds::rep>(delay.count(), -MaximumDelayMs, MaximumDelayMs));
}

} // namespace

PlayerController::PlayerController(const QString &folder, QObject *parent)
    : QObject(parent), session(new PlaybackSession(this)), appDataFolder(folder),
      recentFiles(folder.isEmpty() ? QString() : RecentFiles::FilePathIn(folder)),
      scanMailbox(std::make_shared<ResultMailbox>(this)),
      resumeStore(folder.isEmpty() ? QString() : ResumeStore::FilePathIn(folder))
{
    session->SetWorkingFolder(folder);
    if (!folder.isEmpty()) {
        recentFiles.Load();
        resumeStore.Load();
    }
    resumeSaver.setInterval(SaveEveryMs);
    connect(&resumeSaver, &QTimer::timeout, this, [this] {
        if (session->CurrentState() == PlaybackSession::State::Playing)
            RememberWhereItIs(false);
    });
    resumeNotice.setSingleShot(true);
    resumeNotice.setInterval(ResumeNoticeMs);
    connect(&resumeNotice, &QTimer::timeout, this, &PlayerController::resumeNoticeEnded);
    ConnectSession();
}

PlayerController::~PlayerController()
{
    // A scan still running hands its result to nobody.
    scanMailbox->Close();
    session->disconnect(this);
}

void PlayerController::ConnectSession()
{
    connect(session, &PlaybackSession::stateChanged, this, &PlayerController::SessionStateChanged);
    connect(session, &PlaybackSession::pictureStarted, this, [this] {
        if (!launchNote.isEmpty())
            session->ShowOnScreen(launchNote);
        launchNote.clear();
        QTimer::singleShot(ProbeAfterVideoLineMs, this, &PlayerController::ProbePendingFiles);
        QTimer::singleShot(ProbeAfterVideoLineMs, this, &PlayerController::ListDueDvdTitles);
    });
    connect(session, &PlaybackSession::subtitleLoadFailed, this, [this](const QString &path) {
        emit subtitleNotLoaded(path, SubtitleFileCheck::Verdict::Fine);
    });
}

bool PlayerController::Handle(const PlayerRequest &request)
{
    return std::visit([this](const auto &ask) { return Act(ask); }, request);
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
        if (!CurrentTitle())
            return false;
        PlayTitle(currentTitleKey, 0, StartFrom::WhereLeft);
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
    emit stopped(false);
    return true;
}

bool PlayerController::Act(const Ask::Navigation &)
{
    StopSession();
    // Until a disc has been loaded its page would be empty and its entries would do nothing.
    emit stopped(DiscLoaded());
    return true;
}

bool PlayerController::Act(const Ask::Quit &)
{
    // Nothing may keep playing sound after the window is gone.
    RememberWhereItIs(false);
    session->EndAll();
    resumeSaver.stop();
    return true;
}

void PlayerController::StopSession()
{
    // The place is taken before the engine goes, not from the last periodic save.
    RememberWhereItIs(false);
    session->Stop();
    resumeSaver.stop();
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
    const BluRayTitle *title = CurrentTitle();
    if (!title || ask.index < 0 || ask.index >= title->chapters.size())
        return false;
    const qint64 startSec = title->chapters[ask.index] / 1000;
    // While the title plays its chapters are places in it; otherwise the chapter starts it,
    // from the chapter's own start, even when that start is 0.
    if (fileOrTitlePlays && launch.titleKey == currentTitleKey) {
        if (session->CurrentState() == PlaybackSession::State::Paused)
            session->Resume();
        session->SeekTo(startSec);
        ShowChapterOnScreen(ask.index, QString());
    } else {
        PlayTitle(currentTitleKey, startSec, StartFrom::AskedStart);
    }
    return true;
}

bool PlayerController::Act(const Ask::Title &ask)
{
    const BluRayTitle *title = loadedDisc.Find(ask.key);
    if (!title || !title->HasEngineTitle())
        return false;
    PlayTitle(ask.key, 0, StartFrom::WhereLeft);
    return true;
}

bool PlayerController::Act(const Ask::PlayMovie &)
{
    // The disc's movie, whichever title played last.
    return Act(Ask::Title{loadedDisc.currentTitleKey});
}

bool PlayerController::Act(const Ask::DvdTitle &ask)
{
    const QString disc = session->CurrentLaunch().kind == SourceKind::Dvd
                             ? session->CurrentLaunch().path
                             : dvdTitlesDisc;
    if (disc.isEmpty() || ask.number < 1)
        return false;
    SessionLaunch launch;
    launch.kind = SourceKind::Dvd;
    launch.path = disc;
    launch.engineTitle = ask.number;
    launch.volume = session->Volume();
    Launch(launch, StartFrom::WhereLeft);
    launchNote = onScreen.title.arg(ask.number);
    emit dvdTitlesChanged();
    return true;
}

bool PlayerController::Act(const Ask::DvdChapter &ask)
{
    const DvdTitle *title = PlayingDvdTitle();
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
        audioChoices[session->CurrentLaunch().titleKey] = ask.choice.number;
    return true;
}

bool PlayerController::Act(const Ask::SubtitleTrack &ask)
{
    if (!session->IsActive())
        return false;
    session->SelectSubtitle(ask.choice.number);
    if (session->CurrentLaunch().kind == SourceKind::BluRay)
        subtitleChoices[session->CurrentLaunch().titleKey] = ask.choice.number;
    return true;
}

bool PlayerController::Act(const Ask::DiscAudio &ask)
{
    if (!CurrentTitle())
        return false;
    audioChoices[currentTitleKey] = ask.choice.number;
    return true;
}

bool PlayerController::Act(const Ask::DiscSubtitle &ask)
{
    if (!CurrentTitle())
        return false;
    subtitleChoices[currentTitleKey] = ask.choice.number;
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

bool PlayerController::Act(const Ask::Volume &ask)
{
    ShowVolume(ask.percent);
    return true;
}

bool PlayerController::Act(const Ask::VolumeStep &ask)
{
    ShowVolume(session->Volume() + ask.percentBy);
    return true;
}

bool PlayerController::Act(const Ask::ToggleMute &)
{
    // Unmuting returns to the level before the mute, not to a fixed one.
    if (!muted)
        levelBeforeMute = session->Volume() > 0 ? session->Volume() : levelBeforeMute;
    ShowVolume(muted ? qMax(levelBeforeMute, 1) : 0);
    return true;
}

void PlayerController::ShowVolume(int level)
{
    level = qBound(0, level, 100);
    muted = level == 0;
    session->SetVolume(level);
    session->ShowOnScreen(onScreen.volume.arg(level));
    emit volumeShown(level, muted);
}

bool PlayerController::Act(const Ask::Balance &ask)
{
    if (!session->IsActive())
        return false;
    session->SetBalance(int(ask.side));
    return true;
}

bool PlayerController::Act(const Ask::Snapshot &)
{
    if (!session->IsActive())
        return false;
    session->TakeSnapshot();
    return true;
}

bool PlayerController::Act(const Ask::StartOver &)
{
    if (const std::optional<ResumeKey> key = ResumeKeyFor(session->CurrentLaunch()))
        resumeStore.Forget(*key);
    resumedAtSec = -1;
    resumeNotice.stop();
    emit resumeNoticeEnded();
    if (session->IsActive())
        session->SeekTo(0);
    return true;
}

bool PlayerController::Act(const Ask::Open &ask)
{
    QStringList files;
    QString disc;
    for (const QString &path : ask.paths) {
        if (path.isEmpty())
            continue;
        // From outside a path is checked before anything stops: what cannot be played is
        // refused and named, and what plays goes on.
        const SourceCheck::Verdict verdict = ask.from == Ask::From::Outside
                                                 ? SourceCheck::Check(path)
                                                 : SourceCheck::Verdict::MediaFile;
        if (verdict != SourceCheck::Verdict::MediaFile && verdict != SourceCheck::Verdict::Disc) {
            qWarning("%s: asked to play it from outside, but it %s; what plays goes on",
                     qPrintable(PathBytes::Readable(path)),
                     verdict == SourceCheck::Verdict::Missing ? "does not exist"
                                                              : "cannot be played");
            emit refusedFromOutside(path, verdict);
            continue;
        }
        if (ask.from == Ask::From::DiscDialog || IsDiscLocation(path)) {
            if (disc.isEmpty())
                disc = path;
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
    OpenDisc(disc);
    return true;
}

void PlayerController::OpenMediaFiles(const QStringList &files, bool samePauses)
{
    if (files.isEmpty())
        return;
    // The engine starts at once. The lengths are measured once its picture is up (or after
    // a moment, if it never comes), so the probe does not compete with the engine's start.
    // A disc still being read is not shown over what the user opened since.
    ++discLoads;
    QVector<PLAY_LIST_INFO> batch;
    for (const QString &file : files)
        batch.append(PLAY_LIST_INFO{SourceKind::MediaFile, 0, file, QString()});
    AddToPlaylist(batch);
    currentTitleKey.clear();
    const SessionLaunch &current = session->CurrentLaunch();
    if (samePauses && session->IsActive() && current.kind == SourceKind::MediaFile &&
        current.path == files.first()) {
        session->TogglePause();
        return;
    }
    unprobedFiles += files;
    SessionLaunch launch;
    launch.kind = SourceKind::MediaFile;
    launch.path = files.first();
    launch.volume = session->Volume();
    Launch(launch, StartFrom::WhereLeft);
    QTimer::singleShot(ProbeDelayMs, this, &PlayerController::ProbePendingFiles);
}

void PlayerController::OpenSourcePath(const QString &path)
{
    if (IsDiscLocation(path))
        OpenDisc(path);
    else
        OpenMediaFiles({path}, false);
}

void PlayerController::OpenDisc(const QString &path)
{
    if (path.isEmpty())
        return;
    // What played goes at once; the disc's page shows when its scan is done.
    StopSession();
    emit stopped(false);
    switch (DetectDiscFolder(path)) {
    case DiscFolderKind::BluRay:
        ReadBluRay(path);
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
    ++discLoads; // a disc still being read is not shown over this one
    if (PlaylistRowsMatching(playlist, folder).isEmpty())
        AddToPlaylist({PLAY_LIST_INFO{SourceKind::Dvd, 0, folder, QString()}});
    currentTitleKey.clear();
    // The engine tells a DVD's length once it plays.
    SessionLaunch launch;
    launch.kind = SourceKind::Dvd;
    launch.path = folder;
    launch.volume = session->Volume();
    Launch(launch, StartFrom::WhereLeft);
    // The titles are listed once the picture is up (or a moment later without one): the
    // listing engine would otherwise slow the playing one's start.
    if (dvdTitleSchedule.Opened(folder) == DvdTitleSchedule::Step::ShowKnown) {
        ReadDvdTitlesOf(folder);
    } else {
        dvdTitlesDisc.clear();
        dvdTitles = DvdTitles();
        emit dvdTitlesChanged();
        QTimer::singleShot(DvdListingDelayMs, this, &PlayerController::ListDueDvdTitles);
    }
}

void PlayerController::ListDueDvdTitles()
{
    const QString disc = dvdTitleSchedule.Due();
    if (!disc.isEmpty())
        ReadDvdTitlesOf(disc);
}

void PlayerController::ReadBluRay(const QString &folder)
{
    // A disc with thousands of playlists takes a while to read; the window stays responsive
    // meanwhile. A newer load makes an older one's result moot. The scan gets a thread that
    // nobody waits for: a disc that stalls must not keep Quit from ending the program.
    const quint64 load = ++discLoads;
    emit discReading(true);
    std::thread([this, folder, load, mailbox = scanMailbox] {
        auto scan = std::make_shared<BluRayScan>(ScanBluRayFolder(folder));
        mailbox->Post([this, load, scan] {
            emit discReading(false);
            if (load == discLoads)
                TakeBluRayScan(*scan);
            // The scan's thread has ended, but what it read and let go of stays in its own
            // allocation arena, resident, until it is handed back: a few megabytes for a
            // disc of thousands of playlists.
            malloc_trim(0);
        });
    }).detach();
}

int PlayerController::AudioChoiceOf(const QString &titleKey) const
{
    const BluRayTitle *title = loadedDisc.Find(titleKey);
    if (!title || audioChoices.contains(titleKey))
        return audioChoices.value(titleKey, SessionLaunch::NoChoice);
    const DefaultStreamChoice preferred = DefaultStreamChoice::ForStreams(
        title->audioStreams, title->subtitles, preferredAudioLanguage, preferredSubtitleLanguage);
    return preferred.audio ? *preferred.audio + 1 : title->audioChoice;
}

int PlayerController::SubtitleChoiceOf(const QString &titleKey) const
{
    const BluRayTitle *title = loadedDisc.Find(titleKey);
    if (!title || subtitleChoices.contains(titleKey))
        return subtitleChoices.value(titleKey, SessionLaunch::NoChoice);
    const DefaultStreamChoice preferred = DefaultStreamChoice::ForStreams(
        title->audioStreams, title->subtitles, preferredAudioLanguage, preferredSubtitleLanguage);
    return preferred.subtitle ? *preferred.subtitle + 1 : title->subtitleChoice;
}

void PlayerController::TakeBluRayScan(const BluRayScan &scan)
{
    // Play Movie plays the movie the scan picked, by its number: the engine's own choice
    // ("br://0") would be its longest reachable title, while the page would name another.
    const BluRayTitle *movie = scan.Find(scan.currentTitleKey);
    if (movie && !movie->HasEngineTitle())
        movie = nullptr;
    if (!movie) {
        emit notADisc(scan.folder);
        return;
    }
    loadedDisc = scan;
    // The desktop's cover art is named by the picture's own bytes, so that another disc in
    // the same drive never shows this one's.
    discArtKey = scan.thumbnailData.isEmpty()
                     ? QString()
                     : QString::fromLatin1(
                           QCryptographicHash::hash(scan.thumbnailData, QCryptographicHash::Sha1)
                               .toHex()
                               .left(16));
    // Only what the user chooses is kept; every other title has its own choice.
    audioChoices.clear();
    subtitleChoices.clear();
    currentTitleKey = movie->key;
    loadedDisc.currentTitleKey = movie->key;
    // Play now means this disc.
    openKind = SourceKind::BluRay;
    emit discLoaded();
}

void PlayerController::PlayTitle(const QString &titleKey, qint64 startSec, StartFrom from)
{
    const BluRayTitle *title = loadedDisc.Find(titleKey);
    if (!title || !title->HasEngineTitle())
        return;
    const bool changed = titleKey != currentTitleKey;
    currentTitleKey = titleKey;
    if (PlaylistRowsMatching(playlist, loadedDisc.folder).isEmpty())
        AddToPlaylist(
            {PLAY_LIST_INFO{SourceKind::BluRay, 0, loadedDisc.folder, title->durationText}});
    SessionLaunch launch;
    launch.kind = SourceKind::BluRay;
    launch.path = loadedDisc.folder;
    launch.titleKey = titleKey;
    launch.engineTitle = title->engineTitle;
    launch.durationSec = title->lengthSeconds;
    launch.startSec = int(qMax<qint64>(startSec, 0));
    launch.audioChoice = AudioChoiceOf(titleKey);
    launch.subtitleChoice = SubtitleChoiceOf(titleKey);
    launch.volume = session->Volume();
    Launch(launch, from);
    launchNote = onScreen.title.arg(title->playlistName);
    if (changed)
        emit currentTitleChanged();
}

void PlayerController::ReadDvdTitlesOf(const QString &disc)
{
    if (disc == dvdTitlesDisc) {
        emit dvdTitlesChanged();
        return;
    }
    dvdTitlesDisc = disc;
    dvdTitles = DvdTitles();
    emit dvdTitlesChanged();
    // The engine runs once over every title: seconds for a disc of many, so not here.
    const QString engine = EngineLocator::EnginePath();
    std::thread([this, disc, engine, mailbox = scanMailbox] {
        auto titles = std::make_shared<DvdTitles>(ReadDvdTitles(engine, disc));
        mailbox->Post([this, disc, titles] {
            if (disc == dvdTitlesDisc) {
                dvdTitles = *titles;
                emit dvdTitlesChanged();
            }
        });
    }).detach();
}

const DvdTitle *PlayerController::PlayingDvdTitle() const
{
    const SessionLaunch &launch = session->CurrentLaunch();
    if (launch.kind != SourceKind::Dvd || launch.path != dvdTitlesDisc)
        return nullptr;
    const int number = launch.engineTitle > 0 ? launch.engineTitle : 1;
    for (const DvdTitle &title : dvdTitles.titles) {
        if (title.number == number)
            return &title;
    }
    return nullptr;
}

void PlayerController::StepDvdChapter(bool forward)
{
    const DvdTitle *title = PlayingDvdTitle();
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
        const BluRayTitle *title = loadedDisc.Find(launch.titleKey);
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
    if (launch.kind == SourceKind::Dvd && PlayingDvdTitle()) {
        StepDvdChapter(forward);
        return;
    }
    const int index = forward ? NextPlaylistIndex(playlist, launch.path)
                              : PreviousPlaylistIndex(playlist, launch.path);
    if (index >= 0)
        Act(Ask::Open{{playlist[index].path}, Ask::From::Playlist});
}

void PlayerController::AddToPlaylist(const QVector<PLAY_LIST_INFO> &items)
{
    const QVector<PLAY_LIST_INFO> added = PlaylistItemsToAppend(playlist, items);
    if (added.isEmpty())
        return;
    playlist += added;
    emit playlistChanged();
}

void PlayerController::ClearPlaylist()
{
    playlist.clear();
    emit playlistChanged();
}

void PlayerController::ProbePendingFiles()
{
    if (unprobedFiles.isEmpty())
        return;
    if (!durationProbes) {
        durationProbes = new DurationProbeQueue(this);
        connect(durationProbes, &DurationProbeQueue::probed, this,
                &PlayerController::TakeProbedDuration);
    }
    durationProbes->Enqueue(EngineLocator::ProbeToolToRun(appDataFolder), unprobedFiles);
    unprobedFiles.clear();
}

void PlayerController::TakeProbedDuration(const QString &path, const ProbedDuration &probed)
{
    for (int row : PlaylistRowsMatching(playlist, path)) {
        if (playlist[row].kind == SourceKind::MediaFile && playlist[row].durationText.isEmpty()) {
            playlist[row].durationText = probed.text;
            emit playlistRowChanged(row);
        }
    }
    if (!probed.fieldOrder.isEmpty())
        fieldOrders.insert(path, probed.fieldOrder);
    // A probe that failed leaves the length unknown, as it was.
    if (session->CurrentLaunch().path == path && session->IsActive()) {
        session->TakeDuration(probed.seconds);
        // The probe speaks after the launch: an interlaced file is deinterlaced from now on,
        // unless the user has already chosen.
        if (!deinterlaceChosen && InterlacedAtLaunch(session->CurrentLaunch()) &&
            !session->Deinterlaced())
            session->SetDeinterlace(true);
    }
}

void PlayerController::SessionStateChanged(PlaybackSession::State state)
{
    if (state == PlaybackSession::State::Failed) {
        // A crash or a hang is no end: the place reached is kept for the next Play.
        RememberWhereItIs(false);
        resumeSaver.stop();
        return;
    }
    if (state != PlaybackSession::State::Ended)
        return;
    // Played to its end: there is nothing to come back to.
    RememberWhereItIs(true);
    resumeSaver.stop();
    if (!PlayOnAfterTheEnd())
        emit stopped(false);
}

bool PlayerController::PlayOnAfterTheEnd()
{
    if (!playNext)
        return false;
    const int next = NextPlaylistIndex(playlist, session->CurrentLaunch().path);
    if (next < 0)
        return false;
    // Taken from the event loop: the session is still inside the engine's last signal.
    const QString path = playlist[next].path;
    QTimer::singleShot(0, this, [this, path] { Act(Ask::Open{{path}, Ask::From::Playlist}); });
    return true;
}

void PlayerController::Launch(SessionLaunch launch, StartFrom from)
{
    // A disc that cannot be decrypted here is not handed to the engine, which would only
    // fail without saying why; the user learns the cause and the remedy instead.
    if (launch.kind == SourceKind::BluRay) {
        if (const char *refusal =
                DiscProtection::MessageKey(DiscProtection::Decide(loadedDisc.protection))) {
            emit discLocked(QString::fromLatin1(refusal));
            return;
        }
    }
    // The session that ends here is remembered before the next one starts.
    RememberWhereItIs(false);
    resumedAtSec = -1;
    if (from == StartFrom::WhereLeft)
        launch = WithResumePoint(launch);
    openKind = launch.kind;
    launch.deinterlace = InterlacedAtLaunch(launch);
    if (launch.kind == SourceKind::BluRay) {
        if (const BluRayTitle *title = loadedDisc.Find(launch.titleKey)) {
            launch.pictureShape = BluRayPictureShape(title->videoFormat);
            launch.titleTimeline = TitleTimeline::FromPlayItems(title->playItems);
            launch.audioEngineIndexes = EngineStreamNumbers(title->audioStreams);
            launch.subtitleEngineIndexes = EngineStreamNumbers(title->subtitles);
        }
    }
    deinterlaceChosen = false;
    launchNote.clear();
    AddRecentFile(launch.path);
    emit launched(launch);
    if (resumedAtSec >= 0) {
        ShowVolume(launch.volume);
        resumeNotice.start();
        emit resumedAt(resumedAtSec);
    }
    session->Start(launch);
    resumeSaver.start();
}

SessionLaunch PlayerController::WithResumePoint(SessionLaunch launch)
{
    if (!resumeEnabled)
        return launch;
    const std::optional<ResumeKey> key = ResumeKeyFor(launch);
    const std::optional<ResumePoint> point = key ? resumeStore.Find(*key) : std::nullopt;
    if (!point)
        return launch;
    const qint64 start = ResumeRules::StartPosition(point->position, launch.durationSec);
    if (start <= 0)
        return launch;
    launch.startSec = int(start);
    // The engine lands on a key frame; it must not be one after where the source was left.
    launch.latestStartSec = int(point->position);
    if (point->audio >= 0)
        launch.audioChoice = point->audio + 1;
    switch (point->subtitles) {
    case ResumePoint::Subtitles::EngineDefault:
        break;
    case ResumePoint::Subtitles::Off:
        launch.subtitleChoice = 0;
        break;
    case ResumePoint::Subtitles::Stream:
        launch.subtitleChoice = point->subtitleIndex + 1;
        break;
    case ResumePoint::Subtitles::File:
        launch.subtitleFile = point->subtitleFile;
        break;
    }
    launch.volume = qBound(0, point->volume, 100);
    launch.audioDelayMs = point->audioDelayMs;
    launch.subtitleDelayMs = point->subtitleDelayMs;
    resumedAtSec = launch.startSec;
    return launch;
}

std::optional<qint64> PlayerController::ResumedAt() const
{
    if (resumedAtSec < 0 || !resumeNotice.isActive())
        return std::nullopt;
    return resumedAtSec;
}

void PlayerController::RememberWhereItIs(bool playedToEnd)
{
    if (!resumeEnabled)
        return;
    // After a crash or a hang the clock holds the last place the engine reached.
    if (!playedToEnd && !session->IsActive() && !session->EndedUnexpectedly())
        return;
    const SessionLaunch &launch = session->CurrentLaunch();
    const std::optional<ResumeKey> key = ResumeKeyFor(launch);
    if (!key)
        return;
    const qint64 position = session->PositionMs() / 1000;
    if (ResumeRules::AtSessionEnd(position, session->DurationSec(), playedToEnd) ==
        ResumeRules::OnEnd::Forget) {
        resumeStore.Forget(*key);
        return;
    }
    ResumePoint point;
    point.position = position;
    point.audio = session->AudioChoice() - 1;
    const int streams = int(session->Streams().SubtitleStreams().size());
    const int subtitle = session->SubtitleChoice();
    if (subtitle == 0) {
        point.subtitles = ResumePoint::Subtitles::Off;
    } else if (subtitle <= streams) {
        point.subtitles = ResumePoint::Subtitles::Stream;
        point.subtitleIndex = subtitle - 1;
    } else {
        point.subtitles = ResumePoint::Subtitles::File;
        point.subtitleFile = session->Streams().SubtitleFiles().value(subtitle - streams - 1);
    }
    point.volume = session->Volume();
    point.audioDelayMs = session->AudioDelayMs();
    point.subtitleDelayMs = session->SubtitleDelayMs();
    point.savedAt = QDateTime::currentSecsSinceEpoch();
    if (!resumeStore.Remember(*key, point))
        qWarning("where %s was left could not be kept", qUtf8Printable(launch.path));
}

void PlayerController::AddRecentFile(const QString &path)
{
    if (recentFiles.AddRecentFile(path))
        emit recentFilesChanged();
}

void PlayerController::ClearRecentFiles()
{
    recentFiles.Clear();
    emit recentFilesChanged();
}

QString PlayerController::DiscArtPath() const
{
    // The desktop shows cover art from a file, so the disc's picture is written out into the
    // user's runtime folder, named by its own bytes: another disc in the same drive must not
    // show this one's. The disc's own bytes are written as they are (JPEG or PNG).
    if (session->CurrentLaunch().kind != SourceKind::BluRay || discArtKey.isEmpty())
        return QString();
    const bool jpeg = loadedDisc.thumbnailData.startsWith("\xFF\xD8");
    const QString file = AppFolders::RuntimeFolder() +
                         QStringLiteral("orvel-disc-art-%1.%2")
                             .arg(discArtKey, jpeg ? QStringLiteral("jpg") : QStringLiteral("png"));
    if (!QFileInfo::exists(file)) {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(loadedDisc.thumbnailData) < 0)
            return QString();
    }
    return file;
}

PlaybackState PlayerController::RemoteState() const
{
    PlaybackState state;
    state.volumePercent = session->Volume();
    if (!session->IsActive())
        return state;
    const SessionLaunch &launch = session->CurrentLaunch();
    state.status = session->CurrentState() == PlaybackSession::State::Paused
                       ? PlaybackState::Status::Paused
                       : PlaybackState::Status::Playing;
    state.path = launch.path;
    state.title = launch.kind == SourceKind::BluRay
                      ? loadedDisc.discName
                      : PathBytes::Readable(QFileInfo(launch.path).fileName());
    state.artPath = DiscArtPath();
    state.durationSec = session->DurationSec();
    state.positionMs = session->PositionMs();
    state.rate = session->Speed();
    state.canSeek = true;
    if (launch.kind == SourceKind::BluRay) {
        const BluRayTitle *title = loadedDisc.Find(launch.titleKey);
        const QVector<quint32> chapters = title ? title->chapters : QVector<quint32>();
        const qint64 second = state.positionMs / 1000;
        state.canGoNext = NextChapterSecond(chapters, second).has_value();
        state.canGoPrevious = PreviousChapterSecond(chapters, second).has_value();
    } else {
        state.canGoNext = NextPlaylistIndex(playlist, launch.path) >= 0;
        state.canGoPrevious = PreviousPlaylistIndex(playlist, launch.path) >= 0;
    }
    return state;
}

bool PlayerController::InterlacedAtLaunch(const SessionLaunch &launch) const
{
    InterlaceClues clues;
    clues.kind = launch.kind;
    if (launch.kind == SourceKind::BluRay) {
        const BluRayTitle *title = loadedDisc.Find(launch.titleKey);
        clues.blurayVideoFormat = title ? title->videoFormat : 0;
    } else if (launch.kind == SourceKind::MediaFile) {
        clues.fieldOrder = fieldOrders.value(launch.path);
    }
    return IsInterlacedSource(clues);
}

void PlayerController::ShowPositionOnScreen(qint64 second)
{
    session->ShowOnScreen(
        onScreen.position.arg(FormatTime(second), FormatTime(session->DurationSec())));
}

void PlayerController::ShowChapterOnScreen(int index, const QString &name)
{
    const QString shown = name.simplified();
    session->ShowOnScreen(
        onScreen.chapter.arg(shown.isEmpty() ? QString::number(index + 1)
                                             : QStringLiteral("%1: %2").arg(index + 1).arg(shown)));
}

void PlayerController::SnapshotKept(const QString &fileName)
{
    session->ShowOnScreen(onScreen.snapshot.arg(fileName));
}

bool PlayerController::Act(const Ask::Speed &ask)
{
    if (!session->IsActive())
        return false;
    session->SetSpeed(ask.factor);
    session->ShowOnScreen(onScreen.speed.arg(session->Speed()));
    return true;
}

bool PlayerController::Act(const Ask::SpeedStep &ask)
{
    return Act(Ask::Speed{SteppedSpeed(session->Speed(), ask.steps)});
}

bool PlayerController::Act(const Ask::AudioDelay &ask)
{
    if (!session->IsActive())
        return false;
    session->SetAudioDelay(SteppedDelayMs(DelayMs(ask.at), 0));
    session->ShowOnScreen(onScreen.audioDelay.arg(session->AudioDelayMs()));
    return true;
}

bool PlayerController::Act(const Ask::AudioDelayStep &ask)
{
    return Act(Ask::AudioDelay{
        Ask::Milliseconds(SteppedDelayMs(session->AudioDelayMs(), DelayMs(ask.by)))});
}

bool PlayerController::Act(const Ask::SubtitleDelay &ask)
{
    if (!session->IsActive())
        return false;
    session->SetSubtitleDelay(SteppedDelayMs(DelayMs(ask.at), 0));
    session->ShowOnScreen(onScreen.subtitleDelay.arg(session->SubtitleDelayMs()));
    return true;
}

bool PlayerController::Act(const Ask::SubtitleDelayStep &ask)
{
    return Act(Ask::SubtitleDelay{
        Ask::Milliseconds(SteppedDelayMs(session->SubtitleDelayMs(), DelayMs(ask.by)))});
}

bool PlayerController::Act(const Ask::Deinterlace &ask)
{
    if (!session->IsActive())
        return false;
    deinterlaceChosen = true;
    session->SetDeinterlace(ask.on);
    session->ShowOnScreen(ask.on ? onScreen.deinterlaceOn : onScreen.deinterlaceOff);
    return true;
}

bool PlayerController::Act(const Ask::Aspect &ask)
{
    if (!session->IsActive())
        return false;
    session->SetAspect(ask.shape);
    static const char *const names[] = {nullptr, "4:3", "16:9", "2.35:1"};
    const int which = int(ask.shape);
    session->ShowOnScreen(onScreen.aspect.arg(names[which] ? QString::fromLatin1(names[which])
                                                           : onScreen.aspectAuto));
    return true;
}

bool PlayerController::Act(const Ask::RemoveFromPlaylist &ask)
{
    const QVector<PLAY_LIST_INFO> kept = PlaylistWithoutRows(playlist, ask.rows);
    if (kept.size() == playlist.size())
        return false;
    playlist = kept;
    emit playlistChanged();
    return true;
}

bool PlayerController::Act(const Ask::ClearPlaylist &)
{
    if (playlist.isEmpty())
        return false;
    ClearPlaylist();
    return true;
}

bool PlayerController::Act(const Ask::MoveInPlaylist &ask)
{
    const int target = PlaylistMoveTarget(playlist, ask.row, ask.by);
    if (target < 0 || target == ask.row)
        return false;
    playlist.move(ask.row, target);
    emit playlistChanged();
    return true;
}
