#pragma once

#include "player/SourceKind.h"

#include <QSize>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <optional>

// The rules behind the viewing controls (speed, delays, deinterlacing, the picture's shape),
// without the menus that offer them or the engine that carries them out.

// Playback speed: the engine keeps the pitch (its scaletempo filter) between these bounds;
// below half speed the sound breaks up, above double it is no longer followed.
constexpr double MinimumSpeed = 0.5;
constexpr double MaximumSpeed = 2.0;
constexpr double NormalSpeed = 1.0;

// The speeds the Speed menu offers, slowest first.
QVector<double> SpeedSteps();

// The speed held to the bounds; a value that is no number gives normal speed.
double BoundedSpeed(double speed);

// The speed steps away from current on SpeedSteps(): a step up from a speed between two
// steps lands on the next one above it, a step down on the next one below. Held at the ends.
double SteppedSpeed(double current, int steps);

// Whether two speeds are the same step (the menus compare what the engine was sent).
bool SameSpeed(double a, double b);

// Audio and subtitle delays move in steps of DelayStepMs and stay within MaximumDelayMs
// either way; positive delays the sound or the subtitles, negative brings them earlier.
constexpr int DelayStepMs = 100;
constexpr int MaximumDelayMs = 10000;

// currentMs moved by byMs, rounded to a whole step and held to the bounds.
int SteppedDelayMs(int currentMs, int byMs);

// What is known of a source before or while it plays, for the choice to deinterlace.
struct InterlaceClues
{
    SourceKind kind = SourceKind::MediaFile;
    // Blu-ray: the video format of the title's main video stream, as its playlist gives it
    // (1 480i, 2 576i, 3 480p, 4 1080i, 5 720p, 6 1080p, 7 576p); 0 when unknown.
    int blurayVideoFormat = 0;
    // A media file: the probe's report of the video stream's field order, as ffmpeg prints
    // it ("top first", "bottom first", "progressive"); empty when not yet known.
    QString fieldOrder;
};

// Whether the source is interlaced and so plays deinterlaced by default. DVD video is
// stored as fields (480i/576i) whatever the film was shot on; a Blu-ray title says its own
// format; a file is judged by the probe's field order, and is taken as progressive until
// the probe has spoken.
bool IsInterlacedSource(const InterlaceClues &clues);

// The picture shapes the Video > Aspect Ratio menu offers.
enum class AspectChoice
{
    Auto, // the shape the source says
    FourThree,
    SixteenNine,
    Scope, // 2.35:1
};

// Width over height of a chosen shape; nothing for Auto.
std::optional<double> AspectRatioOf(AspectChoice choice);

// The size the picture is shown at: the engine's own size for Auto, else the same height
// with the width the chosen shape gives. An empty source size stays empty.
QSize ShapedPictureSize(QSize engineSize, AspectChoice choice);

// A chapter's row in Controls > Chapter: "3. The Chase – 00:12:40", or without a name
// "3. 00:12:40". number counts from 1; the name's line ends and tabs are shown as blanks.
QString ChapterRowText(int number, const QString &name, qint64 startSec);
