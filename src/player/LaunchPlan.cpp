#include "player/LaunchPlan.h"

#include "disc/BluRayScan.h"
#include "disc/EngineStreamOrder.h"
#include "player/PictureFit.h"
#include "player/ResumeRules.h"
#include "player/ViewingRules.h"

namespace LaunchPlan {

namespace {

// Starts the launch where its source was left, with the choices it was left with.
std::optional<qint64> ResumeAt(SessionLaunch &launch, const ResumePoint &point)
{
    const qint64 start = ResumeRules::StartPosition(point.position, launch.durationSec);
    if (start <= 0)
        return std::nullopt;
    launch.startSec = int(start);
    // The engine lands on a key frame; it must not be one after where the source was left.
    launch.latestStartSec = int(point.position);
    if (point.audio >= 0)
        launch.audioChoice = point.audio + 1;
    switch (point.subtitles) {
    case ResumePoint::Subtitles::EngineDefault:
        break;
    case ResumePoint::Subtitles::Off:
        launch.subtitleChoice = 0;
        break;
    case ResumePoint::Subtitles::Stream:
        launch.subtitleChoice = point.subtitleIndex + 1;
        break;
    case ResumePoint::Subtitles::File:
        launch.subtitleFile = point.subtitleFile;
        break;
    }
    launch.volume = qBound(0, point.volume, 100);
    launch.audioDelayMs = point.audioDelayMs;
    launch.subtitleDelayMs = point.subtitleDelayMs;
    return launch.startSec;
}

} // namespace

Result Plan(const Request &request, const Known &known)
{
    Result result;
    SessionLaunch &launch = result.launch;
    launch.kind = request.kind;
    launch.path = request.path;
    launch.volume = known.volume;
    InterlaceClues clues;
    clues.kind = request.kind;
    switch (request.kind) {
    case SourceKind::MediaFile:
        clues.fieldOrder = known.fieldOrder;
        break;
    case SourceKind::Dvd:
        launch.engineTitle = qMax(request.dvdTitle, 0);
        break;
    case SourceKind::BluRay:
        launch.titleKey = request.titleKey;
        launch.startSec = int(qMax<qint64>(request.startSec, 0));
        launch.audioChoice = known.audioChoice;
        launch.subtitleChoice = known.subtitleChoice;
        if (const BluRayTitle *title = known.disc ? known.disc->Find(request.titleKey) : nullptr) {
            launch.engineTitle = title->engineTitle;
            launch.durationSec = title->lengthSeconds;
            launch.pictureShape = BluRayPictureShape(title->videoFormat);
            launch.titleTimeline = TitleTimeline::FromPlayItems(title->playItems);
            launch.audioEngineIndexes = EngineStreamNumbers(title->audioStreams);
            launch.subtitleEngineIndexes = EngineStreamNumbers(title->subtitles);
            clues.blurayVideoFormat = title->videoFormat;
        }
        break;
    }
    if (request.whereLeft && known.whereLeft) {
        if (const std::optional<ResumePoint> point = known.whereLeft(launch))
            result.resumedAt = ResumeAt(launch, *point);
    }
    launch.deinterlace = IsInterlacedSource(clues);
    return result;
}

} // namespace LaunchPlan
