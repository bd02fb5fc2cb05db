#pragma once

#include "player/SourceKind.h"
#include "player/TitleTimeline.h"

#include <QSize>
#include <QString>
#include <QVector>
#include <QtGlobal>

// Everything one launch needs, decided before it starts and never carried into the next:
// a chapter's start or a title's stream choice belongs to the launch that asked for it.
struct SessionLaunch
{
    SourceKind kind = SourceKind::MediaFile;
    // The file, or the disc folder for a DVD or Blu-ray.
    QString path;
    // Blu-ray: the title's key (its playlist's path) and the engine's number for it; 0 lets
    // the engine pick its own longest title.
    QString titleKey;
    int engineTitle = 0;
    // The picture's shape when the source tells it before the engine does (a Blu-ray title's
    // playlist); empty otherwise.
    QSize pictureShape;
    // The length known before the launch; 0 when the engine has to tell it.
    qint64 durationSec = 0;
    int startSec = 0;
    // A resumed launch must not start after where its source was left, but the engine lands
    // on the key frame at or after the seek's target; an answer beyond this second sends it
    // back to the key frame before. 0: no such limit.
    int latestStartSec = 0;
    // As the stream menus number them: 0 disables, n is stream n. NoChoice takes the first
    // audio stream, and for subtitles the first subtitle file the engine finds beside the
    // film, else none.
    static constexpr int NoChoice = -1;
    int audioChoice = NoChoice;
    int subtitleChoice = NoChoice;
    // A subtitle file to show instead of a stream (loaded after the files beside the film
    // when it is not one of them).
    QString subtitleFile;
    int volume = 50;
    // Kept with the source's place: the sound's and the subtitles' delay, in milliseconds.
    int audioDelayMs = 0;
    int subtitleDelayMs = 0;
    // Whether the picture starts deinterlaced (IsInterlacedSource).
    bool deinterlace = false;
    // Blu-ray: the title's play items, which turn the time stamp of the picture the engine
    // shows into the title's time. Empty: the engine's read position on the title is taken,
    // which runs ahead of the picture by what the engine holds unshown.
    TitleTimeline titleTimeline;
    // Blu-ray: the engine's own number (from 0) for the menus' n-th audio or subtitle stream
    // at index n - 1, as the engine numbers the clip's streams in its own order; empty or
    // short: the menus' order.
    QVector<int> audioEngineIndexes;
    QVector<int> subtitleEngineIndexes;
};
