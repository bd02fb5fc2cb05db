#pragma once

#include <QString>
#include <QStringList>

#include "player/PlayListInfo.h"
#include "player/ViewingRules.h"

#include <QList>
#include <QVector>

#include <chrono>
#include <variant>

// What a user asks of the player, whichever road it comes by: a key, a button, a menu row, a
// run-time menu entry, the disc page, a dropped file, the command line, a second start or the
// desktop's media controls. Every road builds one of these and hands it to
// PlayerController::Handle, so that a key and a click can never do different things. Each kind
// carries its own payload, with its unit in its type.
namespace Ask {

using Seconds = std::chrono::seconds;
using Milliseconds = std::chrono::milliseconds;

// A stream as the menus number it: 0 disables, n is stream n.
struct StreamChoice
{
    int number = 0;
};

struct PlayPause
{
};
struct Play
{
};
struct Pause
{
};
// Stops and remembers where the source was left.
struct Stop
{
};
// Stops, remembers where it was, and goes back to the disc page (or the start page).
struct Navigation
{
};
// The program is closing: remembers where it was and ends every engine.
struct Quit
{
};
struct SeekTo
{
    Seconds at{0};
};
// Moves forward (positive) or back from the position shown.
struct Step
{
    Seconds by{0};
};
// The next chapter of a disc title, else the next playlist item.
struct Next
{
};
struct Previous
{
};
// A chapter of the loaded Blu-ray title or of the playing file, from 0. Plays the title from
// the chapter's start when it is not playing.
struct Chapter
{
    int index = 0;
};
// A title of the loaded Blu-ray disc by its key (its playlist's path); plays it.
struct Title
{
    QString key;
};
// The loaded Blu-ray disc's movie, from where it was left.
struct PlayMovie
{
};
// A title of the DVD that plays, by the number the engine plays it by.
struct DvdTitle
{
    int number = 1;
};
// A chapter of the DVD title that plays, from 0.
struct DvdChapter
{
    int index = 0;
};
struct AudioTrack
{
    StreamChoice choice;
};
struct SubtitleTrack
{
    StreamChoice choice;
};
// The disc page's stream choices for the loaded title, kept for its next launch.
struct DiscAudio
{
    StreamChoice choice;
};
struct DiscSubtitle
{
    StreamChoice choice;
};
struct LoadSubtitle
{
    QString path;
};
struct Volume
{
    int percent = 50;
};
struct VolumeStep
{
    int percentBy = 0;
};
struct ToggleMute
{
};
enum class Channel
{
    Left = -1,
    Both = 0,
    Right = 1,
};
struct Balance
{
    Channel side = Channel::Both;
};
struct Snapshot
{
};
// Forgets where the source was left and goes back to its start.
struct StartOver
{
};
// Where a request to open came from: each road has its own habits (a second pick of the
// playing file in the open dialog pauses it, a file from outside starts it again).
enum class From
{
    OpenDialog, // File > Open File and the start page's button
    DiscDialog, // File > Open Disc and the start page's folder button
    Drop,       // dragged onto the window
    Recent,     // File > Recent Files
    Playlist,   // a row of the playlist
    Outside,    // the command line, a second start, the desktop's media controls
};
struct Open
{
    QStringList paths;
    From from = From::OpenDialog;
};

// Playback speed as a factor of normal speed (1.0), held to MinimumSpeed..MaximumSpeed.
struct Speed
{
    double factor = NormalSpeed;
};
// Steps up (positive) or down along the Speed menu's steps.
struct SpeedStep
{
    int steps = 0;
};
// The sound's delay against the picture: positive plays it later. Set, or moved by a step.
struct AudioDelay
{
    Milliseconds at{0};
};
struct AudioDelayStep
{
    Milliseconds by{0};
};
// The subtitles' delay against the picture: positive shows them later.
struct SubtitleDelay
{
    Milliseconds at{0};
};
struct SubtitleDelayStep
{
    Milliseconds by{0};
};
// Turns the deinterlacing of what plays on or off.
struct Deinterlace
{
    bool on = true;
};
// The shape the picture is shown in.
struct Aspect
{
    AspectChoice shape = AspectChoice::Auto;
};
// Playlist edits, by row from 0. What plays goes on playing.
struct RemoveFromPlaylist
{
    QList<int> rows;
};
struct ClearPlaylist
{
};
// Moves one entry up (negative) or down by that many rows.
struct MoveInPlaylist
{
    int row = 0;
    int by = 0;
};
// Entries for the playlist without playing them; one already listed is not added again.
struct AddToPlaylist
{
    QVector<PLAY_LIST_INFO> items;
};
struct AddRecentFile
{
    QString path;
};
struct ClearRecentFiles
{
};
// The user's preferences, kept for the next start.
struct PlayNextAutomatically
{
    bool on = false;
};
struct ResumeWhereLeft
{
    bool on = true;
};
// The languages a title starts with when the user has chosen none of its streams: language
// codes ("fra"); empty leaves it to the disc.
struct PreferredLanguages
{
    QString audio;
    QString subtitle;
};
// The Video Track menu: 0 hides the picture, 1 shows it.
struct VideoTrack
{
    StreamChoice choice;
};
// The surface the engine draws into changed size.
struct SurfaceResized
{
};
// The engine's screenshot was kept as a snapshot file of this name: it is said over the
// picture.
struct SnapshotKept
{
    QString fileName;
};

} // namespace Ask

using PlayerRequest = std::variant<
    Ask::PlayPause, Ask::Play, Ask::Pause, Ask::Stop, Ask::Navigation, Ask::Quit, Ask::SeekTo,
    Ask::Step, Ask::Next, Ask::Previous, Ask::Chapter, Ask::Title, Ask::PlayMovie, Ask::DvdTitle,
    Ask::DvdChapter, Ask::AudioTrack, Ask::SubtitleTrack, Ask::DiscAudio, Ask::DiscSubtitle,
    Ask::LoadSubtitle, Ask::Volume, Ask::VolumeStep, Ask::ToggleMute, Ask::Balance, Ask::Snapshot,
    Ask::StartOver, Ask::Open, Ask::Speed, Ask::SpeedStep, Ask::AudioDelay, Ask::AudioDelayStep,
    Ask::SubtitleDelay, Ask::SubtitleDelayStep, Ask::Deinterlace, Ask::Aspect,
    Ask::RemoveFromPlaylist, Ask::ClearPlaylist, Ask::MoveInPlaylist, Ask::AddToPlaylist,
    Ask::AddRecentFile, Ask::ClearRecentFiles, Ask::PlayNextAutomatically, Ask::ResumeWhereLeft,
    Ask::PreferredLanguages, Ask::VideoTrack, Ask::SurfaceResized, Ask::SnapshotKept>;
