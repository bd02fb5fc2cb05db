#pragma once

#include "player/LaunchPlan.h"
#include "player/PlayerPreferences.h"
#include "player/PlayerRequest.h"
#include "player/PlayerState.h"
#include "player/RecentFiles.h"
#include "player/SourceCheck.h"
#include "player/SubtitleFileCheck.h"

#include <QObject>
#include <QString>

class LoadedDisc;
class PlaybackSession;
class PlaylistKeeper;
class ResumeKeeper;
struct ProbedDuration;

// The texts the player shows over the picture, with "%1" (and "%2") for what changes; the
// window gives them in the interface language.
struct OnScreenTexts
{
    QString position = QStringLiteral("%1 / %2"); // position, length
    QString volume = QStringLiteral("Volume: %1%");
    QString speed = QStringLiteral("Speed: %1x");
    QString audioDelay = QStringLiteral("Audio delay: %1 ms");
    QString subtitleDelay = QStringLiteral("Subtitle delay: %1 ms");
    QString snapshot = QStringLiteral("Saved: %1"); // the file's name
    QString chapter = QStringLiteral("Chapter %1"); // "3" or "3: The Chase"
    QString title = QStringLiteral("Title: %1");
    QString deinterlaceOn = QStringLiteral("Deinterlace: on");
    QString deinterlaceOff = QStringLiteral("Deinterlace: off");
    QString aspect = QStringLiteral("Aspect ratio: %1");
    QString aspectAuto = QStringLiteral("Auto");
};

// What the player does, without a window. Requests go in through Handle(); one state comes
// out (State()), and changed() says which part of it moved. Behind the entry each concern
// has a room of its own: the playback session owns what plays, the playlist keeper the list
// and the length probes, the loaded disc a disc's titles and the threads that read it, the
// resume keeper where each source was left, and the launch plan what a launch starts with.
class PlayerController : public QObject
{
    Q_OBJECT
public:
    // appDataFolder: the per-user data folder (recent files, resume store, probe copy, the
    // engine's working folder, the snapshot folder's setting); empty keeps nothing between
    // runs. preferencesFile: the settings file the preferences are kept in; empty keeps them
    // for this run only.
    explicit PlayerController(const QString &appDataFolder, QObject *parent = nullptr);
    PlayerController(const QString &appDataFolder, const QString &preferencesFile,
                     QObject *parent = nullptr);
    ~PlayerController() override;

    // Whether it acted on the request: false for one that has nothing to act on (a file
    // from outside that does not exist, a chapter that is not there).
    bool Handle(const PlayerRequest &request);

    // Everything the player shows, as it is now.
    PlayerState State() const;

    // Where the engine draws (a native window id; 0 draws nowhere).
    void SetDrawingWindow(qulonglong id);
    void SetOnScreenTexts(const OnScreenTexts &texts) { onScreen = texts; }

signals:
    void changed(StateChanges what);
    // Nothing is open and the user asked to play: the window asks for a file.
    void fileWanted();
    // A folder or image that is no disc the player can play.
    void notADisc(const QString &path);
    // A path from outside that cannot be played (SourceCheck says why: missing, no disc, no
    // file the engine can read); it was refused before anything stopped, and what plays goes
    // on.
    void refusedFromOutside(const QString &path, SourceCheck::Verdict verdict);
    // A subtitle file refused by the checks (verdict says which), or by the engine (Fine).
    void subtitleNotLoaded(const QString &path, SubtitleFileCheck::Verdict verdict);
    // A Blu-ray scan runs (busy) or has ended.
    void discReading(bool busy);
    // A title of a protected disc that cannot be decrypted here was asked for; the message
    // names the cause and the remedy.
    void discLocked(const QString &messageKey);

private:
    friend class PlayerControllerTestAccess;

    bool Act(const Ask::PlayPause &);
    bool Act(const Ask::Play &);
    bool Act(const Ask::Pause &);
    bool Act(const Ask::Stop &);
    bool Act(const Ask::Navigation &);
    bool Act(const Ask::Quit &);
    bool Act(const Ask::SeekTo &ask);
    bool Act(const Ask::Step &ask);
    bool Act(const Ask::Next &);
    bool Act(const Ask::Previous &);
    bool Act(const Ask::Chapter &ask);
    bool Act(const Ask::Title &ask);
    bool Act(const Ask::PlayMovie &);
    bool Act(const Ask::DvdTitle &ask);
    bool Act(const Ask::DvdChapter &ask);
    bool Act(const Ask::AudioTrack &ask);
    bool Act(const Ask::SubtitleTrack &ask);
    bool Act(const Ask::DiscAudio &ask);
    bool Act(const Ask::DiscSubtitle &ask);
    bool Act(const Ask::LoadSubtitle &ask);
    bool Act(const Ask::Volume &ask);
    bool Act(const Ask::VolumeStep &ask);
    bool Act(const Ask::ToggleMute &);
    bool Act(const Ask::Balance &ask);
    bool Act(const Ask::Snapshot &);
    bool Act(const Ask::StartOver &);
    bool Act(const Ask::Open &ask);
    bool Act(const Ask::Speed &ask);
    bool Act(const Ask::SpeedStep &ask);
    bool Act(const Ask::AudioDelay &ask);
    bool Act(const Ask::AudioDelayStep &ask);
    bool Act(const Ask::SubtitleDelay &ask);
    bool Act(const Ask::SubtitleDelayStep &ask);
    bool Act(const Ask::Deinterlace &ask);
    bool Act(const Ask::Aspect &ask);
    bool Act(const Ask::RemoveFromPlaylist &ask);
    bool Act(const Ask::ClearPlaylist &);
    bool Act(const Ask::MoveInPlaylist &ask);
    bool Act(const Ask::AddToPlaylist &ask);
    bool Act(const Ask::AddRecentFile &ask);
    bool Act(const Ask::ClearRecentFiles &);
    bool Act(const Ask::PlayNextAutomatically &ask);
    bool Act(const Ask::ResumeWhereLeft &ask);
    bool Act(const Ask::PreferredLanguages &ask);
    bool Act(const Ask::VideoTrack &ask);
    bool Act(const Ask::SurfaceResized &);
    bool Act(const Ask::SnapshotKept &ask);

    void Tell(StateChanges what) { emit changed(what); }
    // Says over the picture where a seek went, or which chapter it reached.
    void ShowPositionOnScreen(qint64 second);
    void ShowChapterOnScreen(int index, const QString &name);

    void ConnectRooms();
    void StopSession();
    void OpenMediaFiles(const QStringList &files, bool samePauses);
    void OpenDisc(const QString &path, const SourceCheck::Look *look);
    void OpenDvd(const QString &path);
    void PlayTitle(const QString &titleKey, qint64 startSec, bool whereLeft);
    void StepThroughSources(bool forward);
    void StepDvdChapter(bool forward);
    void TakeProbedDuration(const QString &path, const ProbedDuration &probed);
    void SessionStateChanged(SessionState state);
    bool PlayOnAfterTheEnd();
    void ShowVolume(int level);
    void Launch(const LaunchPlan::Request &request);
    void RememberWhereItIs(bool playedToEnd);
    void AddRecentFile(const QString &path);

    PlaybackSession *session = nullptr;
    PlaylistKeeper *playlist = nullptr;
    LoadedDisc *discs = nullptr;
    ResumeKeeper *resume = nullptr;
    QString appDataFolder;
    PlayerPreferences preferences;
    RecentFiles recentFiles;
    SourceKind openKind = SourceKind::BluRay;
    // The last launch, as planned; the session starts it right after the window is told.
    SessionLaunch launch;

    bool muted = false;
    int levelBeforeMute = 50;
    int videoTrack = 1;
    QSize pictureSize;
    qint64 seekedToMs = 0;
    bool stopToDiscPage = false;
    QString screenshotPath;

    OnScreenTexts onScreen;
    // Said over the picture once the launch's picture is up (a title's name).
    QString launchNote;
    // The user turned deinterlacing on or off during this launch; the probe then says nothing.
    bool deinterlaceChosen = false;
};
