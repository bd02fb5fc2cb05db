#pragma once

#include "engine/EngineEvent.h"
#include "player/AudioPlayability.h"
#include "player/SessionClock.h"
#include "player/SessionLaunch.h"
#include "player/SessionStatus.h"
#include "player/SourceKind.h"
#include "player/StreamCatalog.h"
#include "player/SubtitleHandOver.h"
#include "player/SubtitleRedrawSchedule.h"
#include "player/TitleTimeline.h"
#include "player/ViewingRules.h"

#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>

class EngineProcess;

// One playback session: the engine run on one source, its clock, its streams and its state.
// The window starts it with a SessionLaunch and watches its signals; nothing of one launch
// leaks into the next, because every launch is a value and every launch starts from it.
class PlaybackSession : public QObject
{
    Q_OBJECT
public:
    using State = SessionState;
    using Failure = SessionFailure;

    // How long an engine told to quit may take before it is ended.
    static constexpr int QuitDeadlineMs = 2000;
    static constexpr int PollIntervalMs = 500;
    // A seek on a slow disc takes a second or two; an engine silent for this long while it
    // plays is stuck (a blocked sound device, a pipe it reads from, a stopped process).
    static constexpr int AnswerDeadlineMs = 8000;
    // Opening a Blu-ray title (keys, playlists, a drive spinning up) can take many seconds,
    // but an engine that neither plays nor answers after this long never will.
    static constexpr int StartDeadlineMs = 45000;
    // How long a text over the picture stays.
    static constexpr int OnScreenMs = 2000;

    explicit PlaybackSession(QObject *parent = nullptr);
    ~PlaybackSession() override;

    // Where the engine draws (a native window id; 0 for none) and where it writes screenshots.
    void SetWindowId(qulonglong id) { windowId = id; }
    void SetWorkingFolder(const QString &folder) { workingFolder = folder; }
    // Engine options for every launch, before the source (a test's dump of what it read).
    void SetExtraArguments(const QStringList &arguments) { extraArguments = arguments; }
    // For tests: shorter deadlines than AnswerDeadlineMs and StartDeadlineMs.
    void SetDeadlines(int answerMs, int startMs)
    {
        answerDeadlineMs = answerMs;
        startDeadlineMs = startMs;
    }

    // Ends whatever runs (at once, without "q") and launches the engine on the launch.
    void Start(const SessionLaunch &launch);
    // Asks the engine to quit; one that has not ended QuitDeadlineMs later is ended.
    void Stop();
    // Ends every engine of this session at once, the current one and any still quitting: the
    // program is closing, and nothing may play on after it.
    void EndAll();
    void Pause();
    void Resume();
    void TogglePause();
    // An absolute seek, in seconds on the source's own time line; starts a paused session.
    void SeekTo(qint64 second);
    // A chapter of a DVD title by its index from 0, which starts at startSec.
    void SeekChapter(int index, qint64 startSec);
    // Level 0 to 100; kept for the next launch too.
    void SetVolume(int level);
    // As the menus number them: 0 disables, n is stream n. Subtitle files follow the film's
    // own subtitle streams: with S streams, S + k is the k-th file.
    void SelectAudio(int choice);
    void SelectSubtitle(int choice);
    // Adds a subtitle file to what plays and shows it; subtitleLoadFailed() tells when the
    // engine could not read it. False when nothing plays, the file fails the checks
    // (verdict says which) or the name cannot be sent.
    bool LoadSubtitle(const QString &path, SubtitleFileCheck::Verdict *verdict = nullptr);
    // -1 left only, 0 both, 1 right only.
    void SetBalance(int side);
    // Writes the current frame through the engine's screenshot filter; a paused engine stays
    // paused and steps one frame so that the filter sees it.
    void TakeSnapshot();
    // A length learned after the launch (the probe's).
    void TakeDuration(qint64 seconds);
    // The viewing controls; each holds until the next launch (the delays come with it).
    // The speed is held to MinimumSpeed..MaximumSpeed, the delays to MaximumDelayMs.
    void SetSpeed(double factor);
    void SetAudioDelay(int milliseconds);
    void SetSubtitleDelay(int milliseconds);
    void SetDeinterlace(bool on);
    void SetAspect(AspectChoice shape);
    // Text over the picture for a moment, drawn by the engine.
    void ShowOnScreen(const QString &text);
    // The surface the engine draws into changed size; the subtitle line is laid out again
    // once the engine draws at the new size.
    void SurfaceResized();
    // For the player's own checks: asks the engine for a property; propertyAnswered()
    // brings the answer.
    void AskEngine(const QByteArray &property);

    State CurrentState() const { return state; }
    // Starting, playing or paused: an engine runs and was not told to quit.
    bool IsActive() const;
    Failure LastFailure() const { return failure; }
    // The engine failed while it played the source (Crashed or Hung): the place it reached
    // stands, and playing again may start from there.
    bool EndedUnexpectedly() const
    {
        return state == State::Failed && (failure == Failure::Crashed || failure == Failure::Hung);
    }
    // Whether the engine is asked for its position (while it plays, not while paused).
    bool IsPolling() const { return pollTimer.isActive(); }
    const SessionLaunch &CurrentLaunch() const { return launch; }
    qint64 PositionMs() const;
    qint64 DurationSec() const { return durationSec; }
    int Volume() const { return volume; }
    int AudioChoice() const { return audioChoice; }
    int SubtitleChoice() const { return subtitleChoice; }
    double Speed() const { return speed; }
    int AudioDelayMs() const { return audioDelayMs; }
    int SubtitleDelayMs() const { return subtitleDelayMs; }
    bool Deinterlaced() const { return deinterlace; }
    AspectChoice Aspect() const { return aspect; }
    // The streams, subtitle files and chapters the engine reported for this launch.
    const StreamCatalog &Streams() const { return catalog; }
    // Which audio streams the engine could not sound, by menu entry.
    const AudioPlayability &AudioHealth() const { return audioPlayability; }
    int AudioCount() const { return int(catalog.AudioStreams().size()); }
    // Subtitle streams and then subtitle files, as the subtitle menu lists them.
    int SubtitleEntryCount() const;
    // A disc title's play item (from 0) that plays at the clock's position; -1 without play
    // items. streamsChanged() tells when another item starts, whose streams may differ.
    int PlayingItem() const { return playingItem; }
    // For tests: the engine of the current launch, or nullptr.
    EngineProcess *Engine() const { return engine; }

signals:
    void stateChanged(PlaybackSession::State state);
    // An engine position answer arrived; the clock may have been corrected.
    void positionAnswered(qint64 positionMs);
    void durationChanged(qint64 seconds);
    // The streams of this launch are known (when its picture starts, and again for every
    // subtitle file added) and the engine plays the choices that AudioChoice() and
    // SubtitleChoice() give.
    void streamsChanged();
    void subtitleLoadFailed(const QString &path);
    void choicesChanged();
    void pictureSizeChanged(const QSize &size);
    void pictureStarted();
    // Someone moved the position (a seek, a chapter); for the desktop's controls.
    void seeked(qint64 positionMs);
    void volumeChanged(int level);
    // The engine's screenshot filter wrote a file (not yet checked).
    void screenshotWritten(const QString &path);
    // The speed, a delay, the deinterlacing or the picture's shape changed.
    void viewingChanged();
    // The engine's answer to AskEngine, as it printed it.
    void propertyAnswered(const QString &property, const QString &value);

private:
    void OnEngineEvent(const EngineEvent &event);
    void OnEngineFinished(int exitCode, bool crashed);
    // The engine is stuck: it is ended at once and the session fails.
    void CheckAnswers();
    void OnEngineStartFailed();
    void Poll();
    void ApplyChoices();
    // The engine's copies of the launch's subtitle files, in the order it loads them.
    QStringList PrepareSubtitleFiles();
    void SendSubtitleChoice();
    // The catalog took a subtitle file the engine loaded.
    void TakeSubtitleFile();
    void Send(const QByteArray &command);
    void SetState(State next);
    void Fail(Failure reason);
    void MarkStarted();
    // The engine was sent to positionMs: the clock follows and a paused session plays.
    void Moved(qint64 positionMs);
    // The first position after a start seek: sends the engine back when it landed too late.
    void CheckStartLanding();
    void EndEngineNow();
    // Lets go of the engine: it is told to quit (or has said it leaves) and is ended if it
    // has not QuitDeadlineMs later.
    void LetEngineGo(bool sendQuit);
    // The engine ended by itself: the source played to its end, or nothing of it played.
    void EndedByEngine();
    // The engine reads a disc title's position from the disc itself, on the title's own time
    // line; a file's position comes from its streams' time stamps.
    bool UsesTitleTime() const;
    // A disc title whose play items are known: the picture's time stamp, mapped to the title.
    bool UsesPictureTitleTime() const;
    // The engine's stream number for the menus' choice (1 up) of audio or subtitle.
    int EngineAudioIndex(int choice) const;
    int EngineSubtitleIndex(int choice) const;
    static qint64 NowMs();

    SessionLaunch launch;
    EngineProcess *engine = nullptr;
    QTimer pollTimer;
    SubtitleRedrawSchedule subtitleRedraw;
    bool resizedWhilePaused = false;
    SessionClock clock;
    State state = State::Stopped;
    Failure failure = Failure::None;
    qulonglong windowId = 0;
    QString workingFolder;
    QStringList extraArguments;
    int answerDeadlineMs = AnswerDeadlineMs;
    int startDeadlineMs = StartDeadlineMs;
    // When the engine last answered a position question, or polling (re)started.
    qint64 lastAnswerMs = 0;
    qint64 launchedMs = 0;
    qint64 durationSec = 0;
    int volume = 50;
    int audioChoice = 0;
    int subtitleChoice = 0;
    bool engineStarted = false; // the engine showed a picture or a position this launch
    bool pictureUp = false;
    bool pictureDrawn = false; // the video output opened: a first frame was decoded
    bool engineIsPaused = false;
    bool subtitleChosen = false; // by the launch or the user, not by default
    bool landingToCheck = false; // the launch's start seek may have gone past latestStartSec
    int playingItem = -1;
    QString pendingSubtitleLoad;
    StreamCatalog catalog;
    AudioPlayability audioPlayability;
    // The engine's copies of this launch's subtitle files.
    std::unique_ptr<SubtitleHandOver> subtitleCopies;
    double speed = NormalSpeed;
    int audioDelayMs = 0;
    int subtitleDelayMs = 0;
    bool deinterlace = false;
    AspectChoice aspect = AspectChoice::Auto;
    // The picture's size as the engine first showed it this launch, before any other shape
    // was asked for: Auto goes back to it.
    QSize sourcePictureSize;
};
