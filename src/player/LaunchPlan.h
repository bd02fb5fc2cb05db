#pragma once

#include "player/ResumeEntry.h"
#include "player/SessionLaunch.h"

#include <QString>

#include <functional>
#include <optional>

struct BluRayScan;

// Turns what is asked to play, and what the player knows at that moment, into the launch
// the session starts: source and title, start (a chapter's, or where the source was left),
// streams, subtitle file, volume, delays and the picture's options. Nothing else assembles a
// launch, so a file, a DVD title and a Blu-ray title follow the same rules.
namespace LaunchPlan {

struct Request
{
    SourceKind kind = SourceKind::MediaFile;
    // The file, or the disc folder, image or drive.
    QString path;
    // Blu-ray: the title's key; DVD: the title's number (0 lets the engine pick).
    QString titleKey;
    int dvdTitle = 0;
    // A chosen start (a chapter's); a launch with one never starts where it was left.
    qint64 startSec = 0;
    bool whereLeft = true;
};

struct Known
{
    int volume = 50;
    // The loaded Blu-ray disc, for a title's number, length, shape and video format.
    const BluRayScan *disc = nullptr;
    // The stream choices for the Blu-ray title (as the menus number them).
    int audioChoice = SessionLaunch::NoChoice;
    int subtitleChoice = SessionLaunch::NoChoice;
    // The probe's field order for a media file; empty when not yet known.
    QString fieldOrder;
    // Where the launch's source was left, if anywhere; asked once the source is settled.
    std::function<std::optional<ResumePoint>(const SessionLaunch &)> whereLeft;
};

struct Result
{
    SessionLaunch launch;
    // The second the launch resumes at; nothing when it starts afresh.
    std::optional<qint64> resumedAt;
};

Result Plan(const Request &request, const Known &known);

} // namespace LaunchPlan
