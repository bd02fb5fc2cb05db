#pragma once

#include "disc/BluRayScan.h"
#include "disc/DvdTitles.h"
#include "player/PlayListInfo.h"
#include "player/PlayerPreferences.h"
#include "player/SessionLaunch.h"
#include "player/SessionStatus.h"
#include "player/SourceKind.h"
#include "player/StreamCatalog.h"
#include "player/ViewingRules.h"

#include <QFlags>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// What changed since the last change signal; the state itself says how it is now.
enum class StateChange : quint32
{
    Launch = 1u << 0,        // a launch began: the video page shows with its length
    Stop = 1u << 1,          // stopped by a request (stopToDiscPage says where the window goes)
    Playback = 1u << 2,      // playing, paused, ended, failed
    Position = 1u << 3,      // the engine answered where it is
    Seek = 1u << 4,          // someone moved the position (seekedToMs)
    Length = 1u << 5,        // the source's length became known or changed
    Volume = 1u << 6,        // the level or the mute
    Viewing = 1u << 7,       // speed, delays, deinterlacing, the picture's shape, the video track
    Streams = 1u << 8,       // the streams of the launch or the choices among them
    PictureSize = 1u << 9,   // the picture's size as the engine shows it
    Disc = 1u << 10,         // a Blu-ray disc was read and its page is to show
    CurrentTitle = 1u << 11, // another title of the disc is the current one
    DvdTitles = 1u << 12,    // the DVD's titles are known, or another of them plays
    Playlist = 1u << 13,     // rows added, removed, moved
    PlaylistRow = 1u << 14,  // a row's length became known
    RecentFiles = 1u << 15,
    ResumeNotice = 1u << 16, // the "resumed at" notice came or went
    Preferences = 1u << 17,
    Screenshot = 1u << 18, // the engine wrote a screenshot (screenshotPath), not yet kept
};
Q_DECLARE_FLAGS(StateChanges, StateChange)
Q_DECLARE_OPERATORS_FOR_FLAGS(StateChanges)

// Everything the player shows, in one plain value: the window, its menus, the dialogs and
// the desktop's media controls read this and nothing else of the player.
struct PlayerState
{
    // What is open: a disc page counts before any title plays.
    SourceKind openKind = SourceKind::BluRay;
    // The last launch, still the current one after it stopped or ended.
    SessionLaunch launch;
    SessionState playback = SessionState::Stopped;
    SessionFailure failure = SessionFailure::None;
    // Starting, playing or paused: an engine runs and was not told to quit.
    bool active = false;
    qint64 positionMs = 0;
    // Where the last seek went, as the session said it.
    qint64 seekedToMs = 0;
    qint64 durationSec = 0;

    int volume = 50;
    bool muted = false;

    double speed = NormalSpeed;
    int audioDelayMs = 0;
    int subtitleDelayMs = 0;
    bool deinterlaced = false;
    AspectChoice aspect = AspectChoice::Auto;
    // The Video Track menu's choice: 0 hides the picture.
    int videoTrack = 1;
    QSize pictureSize;

    // The streams the engine reported for the launch, and the ones it plays (as the menus
    // number them: 0 disables, n is stream n; subtitle files follow the subtitle streams).
    QList<StreamCatalog::Stream> audioStreams;
    QList<StreamCatalog::Stream> subtitleStreams;
    QStringList subtitleFiles;
    QList<StreamCatalog::Chapter> chapters;
    int audioChoice = 0;
    int subtitleChoice = 0;
    // The audio entries the engine could not sound here (a format it has no decoder for).
    QList<int> audioCannotPlay;
    // The Blu-ray title's play item that shows (its streams may differ from the film's: a
    // logo without sound); -1 when not known.
    int playingItem = -1;

    // The loaded Blu-ray disc (empty before one) and the title its page and menus show, with
    // the stream choices the page offers for it.
    BluRayScan disc;
    // Names the disc picture's file for the desktop; empty without a picture.
    QString discArtKey;
    QString currentTitleKey;
    int currentTitleAudio = SessionLaunch::NoChoice;
    int currentTitleSubtitle = SessionLaunch::NoChoice;
    // A stop goes back to the disc page (else to the start page).
    bool stopToDiscPage = false;

    // The titles of the DVD that plays, once read, and the number of the one that plays (0
    // when none of them does).
    DvdTitles dvdTitles;
    int playingDvdTitle = 0;

    QVector<PLAY_LIST_INFO> playlist;
    QStringList recentFiles;
    // Where the last launch resumed, while its notice is shown.
    std::optional<qint64> resumedAt;
    PlayerPreferences preferences;
    QString screenshotPath;

    const BluRayTitle *CurrentTitle() const { return disc.Find(currentTitleKey); }
    // The title of the disc the launch plays, if it plays one.
    const BluRayTitle *LaunchedTitle() const
    {
        return launch.kind == SourceKind::BluRay ? disc.Find(launch.titleKey) : nullptr;
    }
    bool DiscLoaded() const { return openKind == SourceKind::BluRay && CurrentTitle(); }
    const DvdTitle *PlayingDvdTitle() const
    {
        for (const DvdTitle &title : dvdTitles.titles) {
            if (playingDvdTitle > 0 && title.number == playingDvdTitle)
                return &title;
        }
        return nullptr;
    }
    // Subtitle streams and then subtitle files, as the subtitle menu lists them.
    int SubtitleEntryCount() const { return int(subtitleStreams.size() + subtitleFiles.size()); }
};
