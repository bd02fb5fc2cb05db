#pragma once

#include "disc/BluRayScan.h"
#include "disc/DvdTitleSchedule.h"
#include "disc/DvdTitles.h"
#include "platform/ResultMailbox.h"
#include "player/PlayListInfo.h"
#include "player/PlaybackSession.h"
#include "player/PlaybackState.h"
#include "player/PlayerRequest.h"
#include "player/RecentFiles.h"
#include "player/ResumeStore.h"
#include "player/SourceCheck.h"
#include "player/SourceKind.h"
#include "player/SubtitleFileCheck.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>
#include <optional>

class DurationProbeQueue;
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

// What the player does, without a window: it owns the playback session, the playlist and the
// length probes, the loaded disc (its scan, the current title, the stream choices per title,
// a DVD's titles and chapters), where each source was left and the saver that keeps it, the
// mute and the level before it, and the recent files. Every road hands its requests to
// Handle(); the window draws what the signals say.
class PlayerController : public QObject
{
    Q_OBJECT
public:
    // How long the resume notice stays; a session killed between two saves loses at most
    // SaveEveryMs.
    static constexpr int SaveEveryMs = 10000;
    static constexpr int ResumeNoticeMs = 6000;

    // appDataFolder: the per-user data folder (recent files, resume store, probe copy, the
    // engine's working folder); empty keeps nothing between runs.
    explicit PlayerController(const QString &appDataFolder, QObject *parent = nullptr);
    ~PlayerController() override;

    // Whether it acted on the request: false for one that has nothing to act on (a file
    // from outside that does not exist, a chapter that is not there).
    bool Handle(const PlayerRequest &request);

    // Where the engine draws (a native window id; 0 draws nowhere).
    void SetDrawingWindow(qulonglong id) { session->SetWindowId(id); }
    // The user's preferences; the window keeps them in the settings file.
    void SetResumeEnabled(bool on) { resumeEnabled = on; }
    void SetPlayNext(bool on) { playNext = on; }
    // The languages a Blu-ray title starts with when the user has chosen no stream of it
    // (DefaultStreamChoice); empty leaves that choice to the disc, as before.
    void SetPreferredLanguages(const QString &audio, const QString &subtitle)
    {
        preferredAudioLanguage = audio;
        preferredSubtitleLanguage = subtitle;
    }
    bool PlayNext() const { return playNext; }
    void SetOnScreenTexts(const OnScreenTexts &texts) { onScreen = texts; }
    // A snapshot was kept under this file name: it is said over the picture.
    void SnapshotKept(const QString &fileName);

    PlaybackSession &Session() const { return *session; }
    // What is open: a disc page counts before any title plays.
    SourceKind OpenKind() const { return openKind; }
    const QVector<PLAY_LIST_INFO> &Playlist() const { return playlist; }
    void ClearPlaylist();
    QStringList RecentEntries() const { return recentFiles.Entries(); }
    void ClearRecentFiles();
    void AddRecentFile(const QString &path);
    // Entries for the playlist without playing them; one already listed is not added again.
    void AddToPlaylist(const QVector<PLAY_LIST_INFO> &items);
    // The loaded Blu-ray disc and the title its page and menus show; empty before one.
    const BluRayScan &LoadedDisc() const { return loadedDisc; }
    QString CurrentTitleKey() const { return currentTitleKey; }
    const BluRayTitle *CurrentTitle() const { return loadedDisc.Find(currentTitleKey); }
    bool DiscLoaded() const { return openKind == SourceKind::BluRay && CurrentTitle(); }
    // The user's stream choice for a title of the loaded disc, else the one in the preferred
    // languages, else the title's own.
    int AudioChoiceOf(const QString &titleKey) const;
    int SubtitleChoiceOf(const QString &titleKey) const;
    // The titles of the DVD that plays, once read, and the one that plays.
    const DvdTitles &DvdTitlesRead() const { return dvdTitles; }
    const DvdTitle *PlayingDvdTitle() const;
    bool IsMuted() const { return muted; }
    // Where the last launch resumed, while its notice is shown.
    std::optional<qint64> ResumedAt() const;
    // The session as the desktop's media controls see it.
    PlaybackState RemoteState() const;

signals:
    // A launch begins: the video page shows with its length and the stream menus empty.
    void launched(const SessionLaunch &launch);
    // The session was stopped by a request; discPage: go back to the disc page.
    void stopped(bool discPage);
    // A Blu-ray disc was read and its page is to show; or its current title changed.
    void discLoaded();
    void currentTitleChanged();
    // The titles of the DVD that plays are known, or another of them plays.
    void dvdTitlesChanged();
    // Rows were added to the playlist, or one row's length became known.
    void playlistChanged();
    void playlistRowChanged(int row);
    void recentFilesChanged();
    // The launch started where its source was left, at second.
    void resumedAt(qint64 second);
    void resumeNoticeEnded();
    // The level and the mute as they are now.
    void volumeShown(int level, bool muted);
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
    // Whether a launch may start where its source was left: a chapter or a chosen start
    // never does.
    enum class StartFrom
    {
        WhereLeft,
        AskedStart,
    };

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

    // Says over the picture where a seek went, or which chapter it reached.
    void ShowPositionOnScreen(qint64 second);
    void ShowChapterOnScreen(int index, const QString &name);
    // Whether the launch's source is interlaced, from what is known of it now.
    bool InterlacedAtLaunch(const SessionLaunch &launch) const;

    void ConnectSession();
    void StopSession();
    void OpenMediaFiles(const QStringList &files, bool samePauses);
    void OpenSourcePath(const QString &path);
    void OpenDisc(const QString &path);
    void OpenDvd(const QString &path);
    void ReadBluRay(const QString &path);
    void TakeBluRayScan(const BluRayScan &scan);
    void ReadDvdTitlesOf(const QString &disc);
    void ListDueDvdTitles();
    void PlayTitle(const QString &titleKey, qint64 startSec, StartFrom from);
    void StepThroughSources(bool forward);
    void StepDvdChapter(bool forward);
    void ProbePendingFiles();
    void TakeProbedDuration(const QString &path, const ProbedDuration &probed);
    void SessionStateChanged(PlaybackSession::State state);
    bool PlayOnAfterTheEnd();
    void ShowVolume(int level);
    void Launch(SessionLaunch launch, StartFrom from);
    SessionLaunch WithResumePoint(SessionLaunch launch);
    void RememberWhereItIs(bool playedToEnd);
    QString DiscArtPath() const;

    PlaybackSession *session = nullptr;
    QString appDataFolder;
    bool resumeEnabled = true;
    bool playNext = false;

    QVector<PLAY_LIST_INFO> playlist;
    DurationProbeQueue *durationProbes = nullptr;
    QStringList unprobedFiles; // opened files whose length is still to be measured
    RecentFiles recentFiles;
    SourceKind openKind = SourceKind::BluRay;

    BluRayScan loadedDisc;
    QString discArtKey; // names the disc picture's file for the desktop; empty without one
    QString currentTitleKey;
    QMap<QString, int> audioChoices;
    QMap<QString, int> subtitleChoices;
    QString preferredAudioLanguage;
    QString preferredSubtitleLanguage;
    QString dvdTitlesDisc;
    DvdTitles dvdTitles;
    DvdTitleSchedule dvdTitleSchedule;
    // Counts the sources opened; a Blu-ray scan is shown only if nothing was opened since.
    quint64 discLoads = 0;
    std::shared_ptr<ResultMailbox> scanMailbox;

    ResumeStore resumeStore;
    QTimer resumeSaver;
    QTimer resumeNotice;
    qint64 resumedAtSec = -1;

    bool muted = false;
    int levelBeforeMute = 50;

    OnScreenTexts onScreen;
    // Said over the picture once the launch's picture is up (a title's name).
    QString launchNote;
    // The probe's field order per file, for the next launch of the same file.
    QMap<QString, QString> fieldOrders;
    // The user turned deinterlacing on or off during this launch; the probe then says nothing.
    bool deinterlaceChosen = false;
};
