#include "player/PlaybackSession.h"

#include "engine/EngineCommandLine.h"
#include "engine/EngineProcess.h"
#include "engine/SlaveCommand.h"
#include "platform/PathBytes.h"
#include "player/DiscLocation.h"
#include "player/SessionRules.h"
#include "player/SubtitleFileCheck.h"

#include <QElapsedTimer>

#include <cmath>

namespace {

// The engine's answer for a disc title's time moves in steps of about a second and trails the
// picture by up to one more.
constexpr qint64 TitleTimeToleranceMs = 2500;
// The picture's own time stamp is exact to a frame and answered within a poll: the clock
// keeps to it closely.
constexpr qint64 PictureTimeToleranceMs = 100;

int EngineIndexOf(const QVector<int> &indexes, int choice)
{
    return choice >= 1 && choice <= indexes.size() ? indexes[choice - 1] : choice - 1;
}

// How the engine is asked to open a source of this kind.
EngineSource EngineSourceFor(SourceKind kind)
{
    switch (kind) {
    case SourceKind::Dvd:
        return EngineSource::DvdFolder;
    case SourceKind::BluRay:
        return EngineSource::BluRayFolder;
    case SourceKind::MediaFile:
        break;
    }
    return EngineSource::MediaFile;
}

} // namespace

PlaybackSession::PlaybackSession(QObject *parent) : QObject(parent)
{
    pollTimer.setInterval(PollIntervalMs);
    connect(&pollTimer, &QTimer::timeout, this, &PlaybackSession::Poll);
    connect(&subtitleRedraw, &SubtitleRedrawSchedule::redrawDue, this, [this] {
        if (IsActive() && engineStarted)
            Send(SlaveCommand::RedrawSubtitlesKeepPause());
    });
}

PlaybackSession::~PlaybackSession()
{
    // Engines still quitting are children of the session and end with it.
    EndEngineNow();
}

qint64 PlaybackSession::NowMs()
{
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.elapsed();
}

bool PlaybackSession::IsActive() const
{
    return state == State::Starting || state == State::Playing || state == State::Paused;
}

bool PlaybackSession::UsesTitleTime() const
{
    return launch.kind == SourceKind::BluRay && launch.titleTimeline.IsEmpty();
}

bool PlaybackSession::UsesPictureTitleTime() const
{
    return launch.kind == SourceKind::BluRay && !launch.titleTimeline.IsEmpty();
}

int PlaybackSession::EngineAudioIndex(int choice) const
{
    return EngineIndexOf(launch.audioEngineIndexes, choice);
}

int PlaybackSession::EngineSubtitleIndex(int choice) const
{
    return EngineIndexOf(launch.subtitleEngineIndexes, choice);
}

qint64 PlaybackSession::PositionMs() const
{
    return clock.PositionMs(NowMs());
}

void PlaybackSession::SetState(State next)
{
    if (state == next)
        return;
    // A paused engine keeps the letters of the size it last played at: once it plays again
    // and has loaded its font for the surface's size, the line is laid out with it.
    if (state == State::Paused && next == State::Playing && resizedWhilePaused)
        subtitleRedraw.SurfaceResized();
    resizedWhilePaused = false;
    state = next;
    emit stateChanged(state);
}

void PlaybackSession::Send(const QByteArray &command)
{
    if (engine)
        engine->Send(command);
}

void PlaybackSession::EndEngineNow()
{
    if (!engine)
        return;
    engine->disconnect(this);
    engine->Kill();
    // The engine may be ended from inside one of its own signals.
    engine->deleteLater();
    engine = nullptr;
}

void PlaybackSession::Start(const SessionLaunch &next)
{
    EndEngineNow();
    pollTimer.stop();
    launch = next;
    volume = qBound(0, next.volume, 100);
    durationSec = qMax<qint64>(next.durationSec, 0);
    failure = Failure::None;
    engineStarted = false;
    pictureUp = false;
    pictureDrawn = false;
    engineIsPaused = false;
    audioChoice = 0;
    subtitleChoice = 0;
    subtitleChosen = false;
    pendingSubtitleLoad.clear();
    catalog = StreamCatalog();
    audioPlayability = AudioPlayability();
    speed = NormalSpeed;
    audioDelayMs = qBound(-MaximumDelayMs, next.audioDelayMs, MaximumDelayMs);
    subtitleDelayMs = qBound(-MaximumDelayMs, next.subtitleDelayMs, MaximumDelayMs);
    deinterlace = next.deinterlace;
    aspect = AspectChoice::Auto;
    sourcePictureSize = QSize();
    landingToCheck = next.startSec > 0 && next.latestStartSec >= next.startSec;
    playingItem = next.titleTimeline.ItemAt(qint64(qMax(next.startSec, 0)) * 1000);
    subtitleCopies = std::make_unique<SubtitleHandOver>();

    // A disc title's own time starts at 0; a file's time line is learned from its first
    // answer.
    const qint64 startMs = qint64(qMax(next.startSec, 0)) * 1000;
    if (UsesPictureTitleTime())
        clock.Launch(0, NowMs(), 0, PictureTimeToleranceMs, true);
    else if (UsesTitleTime())
        clock.Launch(0, NowMs(), 0, TitleTimeToleranceMs);
    else
        clock.Launch(0, NowMs(), std::nullopt);
    if (startMs > 0)
        clock.Seek(startMs, NowMs());
    SetState(State::Starting);
    emit durationChanged(durationSec);
    emit viewingChanged();

    // A media file must be a regular file: the engine sits on a named pipe or a device for
    // ever and shows a black page, and a folder is no media file.
    const bool present = launch.kind == SourceKind::MediaFile
                             ? PathBytes::IsRegularFile(launch.path)
                             : IsDiscLocation(launch.path);
    if (!present) {
        // Told from the event loop, like an engine that fails, so the caller has finished
        // showing the launch before it hears of the failure.
        QTimer::singleShot(0, this, [this, expected = launch.path] {
            if (state == State::Starting && !engine && launch.path == expected)
                Fail(Failure::Unplayable);
        });
        return;
    }

    engine = new EngineProcess(this);
    connect(engine, &EngineProcess::eventReceived, this, &PlaybackSession::OnEngineEvent);
    connect(engine, &EngineProcess::startFailed, this, &PlaybackSession::OnEngineStartFailed);
    connect(engine, &EngineProcess::finished, this, &PlaybackSession::OnEngineFinished);
    engine->SetWorkingFolder(workingFolder);

    EngineRun run;
    run.source = EngineSourceFor(launch.kind);
    run.path = launch.path;
    run.windowId = windowId;
    if (launch.kind != SourceKind::MediaFile && launch.engineTitle > 0)
        run.titleNumber = launch.engineTitle;
    run.subtitleFiles = PrepareSubtitleFiles();
    run.extraOptions = extraArguments;
    engine->Start(EngineRunArguments(run));
    launchedMs = NowMs();
    lastAnswerMs = launchedMs;

    Send(SlaveCommand::Volume(volume));
    if (startMs > 0)
        Send(SlaveCommand::Seek(next.startSec));
    pollTimer.start();
}

void PlaybackSession::Stop()
{
    pollTimer.stop();
    clock.Pause(NowMs());
    LetEngineGo(true);
    SetState(State::Stopped);
}

void PlaybackSession::LetEngineGo(bool sendQuit)
{
    if (!engine)
        return;
    EngineProcess *quitting = engine;
    engine = nullptr;
    quitting->disconnect(this);
    connect(quitting, &EngineProcess::finished, quitting, &QObject::deleteLater);
    if (quitting->IsRunning()) {
        if (sendQuit)
            quitting->Send(SlaveCommand::Quit());
        // An engine that hangs (stopped, or stuck on a dead drive) never reads the "q".
        QTimer::singleShot(QuitDeadlineMs, quitting, [quitting] { quitting->Kill(); });
    } else {
        quitting->deleteLater();
    }
}

void PlaybackSession::EndAll()
{
    Stop();
    for (EngineProcess *quitting : findChildren<EngineProcess *>()) {
        quitting->disconnect();
        quitting->Kill();
        quitting->deleteLater();
    }
}

void PlaybackSession::Pause()
{
    if (state != State::Playing && state != State::Starting)
        return;
    pollTimer.stop();
    Send(SlaveCommand::Pause());
    engineIsPaused = true;
    clock.Pause(NowMs());
    SetState(State::Paused);
}

void PlaybackSession::Resume()
{
    if (state != State::Paused)
        return;
    if (pictureUp || engineStarted)
        clock.Resume(NowMs());
    SetState(engineStarted ? State::Playing : State::Starting);
    // Any command without the keep-pause prefix ends the engine's pause: the position
    // question does, at once, so the engine and the clock start together.
    // The engine was not asked while paused; its silence counts from now.
    lastAnswerMs = NowMs();
    Poll();
    engineIsPaused = false;
    pollTimer.start();
}

void PlaybackSession::TogglePause()
{
    if (state == State::Paused)
        Resume();
    else
        Pause();
}

void PlaybackSession::SeekTo(qint64 second)
{
    if (!IsActive())
        return;
    landingToCheck = false;
    qint64 target = qMax<qint64>(second, 0);
    if (durationSec > 0)
        target = qMin(target, durationSec);
    Send(SlaveCommand::Seek(int(target)));
    Moved(target * 1000);
}

void PlaybackSession::Moved(qint64 positionMs)
{
    // A seek ends the engine's pause.
    engineIsPaused = false;
    clock.Seek(positionMs, NowMs());
    if (state == State::Paused) {
        if (pictureUp || engineStarted)
            clock.Resume(NowMs());
        SetState(engineStarted ? State::Playing : State::Starting);
        lastAnswerMs = NowMs();
        pollTimer.start();
    }
    emit seeked(positionMs);
}

void PlaybackSession::CheckStartLanding()
{
    landingToCheck = false;
    const qint64 landedMs = PositionMs();
    if (landedMs <= qint64(launch.latestStartSec) * 1000)
        return;
    // Back to halfway between the start asked for and the limit: the engine then takes the
    // key frame at or before it, and what it has read ahead of the picture still leaves it
    // before the limit.
    const qint64 targetMs = (qint64(launch.startSec) + launch.latestStartSec) * 500;
    Send(SlaveCommand::SeekBack(int((landedMs - targetMs + 999) / 1000)));
    clock.Seek(targetMs, NowMs());
}

void PlaybackSession::SeekChapter(int index, qint64 startSec)
{
    if (!IsActive() || index < 0)
        return;
    // The disc knows where its chapters start; a seek by time could land in another cell.
    Send(SlaveCommand::SeekChapter(index));
    Moved(qMax<qint64>(startSec, 0) * 1000);
}

void PlaybackSession::SetVolume(int level)
{
    level = qBound(0, level, 100);
    const bool changed = level != volume;
    volume = level;
    if (IsActive())
        Send(SlaveCommand::VolumeKeepPause(volume));
    if (changed)
        emit volumeChanged(volume);
}

void PlaybackSession::SelectAudio(int choice)
{
    if (!IsActive() || choice < 0)
        return;
    audioChoice = choice;
    if (choice != audioPlayability.OpenEntry())
        audioPlayability.Open(choice);
    Send(SlaveCommand::SwitchAudioKeepPause(choice == 0 ? -2 : EngineAudioIndex(choice)));
    // The engine starts a newly chosen stream at full level; the level shown must hold.
    Send(SlaveCommand::VolumeKeepPause(volume));
    emit choicesChanged();
}

void PlaybackSession::SelectSubtitle(int choice)
{
    if (!IsActive() || choice < 0 || choice > SubtitleEntryCount())
        return;
    subtitleChoice = choice;
    subtitleChosen = true;
    SendSubtitleChoice();
    emit choicesChanged();
}

int PlaybackSession::SubtitleEntryCount() const
{
    return int(catalog.SubtitleStreams().size() + catalog.SubtitleFiles().size());
}

void PlaybackSession::SendSubtitleChoice()
{
    // A subtitle file and a film's own stream are switched by different commands, and
    // turning off the stream leaves a file showing: "Disable" turns off both.
    const int streams = int(catalog.SubtitleStreams().size());
    if (subtitleChoice == 0) {
        Send(SlaveCommand::SubtitlesOffKeepPause());
    } else if (subtitleChoice <= streams) {
        Send(SlaveCommand::SubFileKeepPause(-1));
        Send(SlaveCommand::SubDemuxKeepPause(EngineSubtitleIndex(subtitleChoice)));
    } else {
        Send(SlaveCommand::SubFileKeepPause(subtitleChoice - streams - 1));
    }
}

QStringList PlaybackSession::PrepareSubtitleFiles()
{
    // The files beside a film, then the one the launch asks for, each checked first: the
    // engine's own search would open a pipe or a huge file of that name unchecked.
    QStringList files;
    if (launch.kind == SourceKind::MediaFile)
        files = SubtitleFileCheck::SideFiles(launch.path);
    if (!launch.subtitleFile.isEmpty() && !files.contains(launch.subtitleFile))
        files << launch.subtitleFile;
    QStringList copies;
    for (const QString &file : std::as_const(files)) {
        SubtitleFileCheck::Verdict verdict = SubtitleFileCheck::Verdict::Fine;
        if (const std::optional<QString> copy = subtitleCopies->Prepare(file, &verdict))
            copies << *copy;
        else
            qWarning("the subtitle file %s is left out (%d)", qUtf8Printable(file), int(verdict));
    }
    return copies;
}

bool PlaybackSession::LoadSubtitle(const QString &path, SubtitleFileCheck::Verdict *verdict)
{
    if (verdict)
        *verdict = SubtitleFileCheck::Verdict::Fine;
    if (!IsActive() || !subtitleCopies)
        return false;
    const std::optional<QString> copy = subtitleCopies->Prepare(path, verdict);
    const std::optional<QByteArray> load =
        copy ? SlaveCommand::SubLoad(*copy) : std::optional<QByteArray>();
    if (!load)
        return false;
    pendingSubtitleLoad = path;
    Send(*load);
    // A load that fails is told on the engine's error output only; the answer to this
    // question, with no "Added subtitle file" line before it, says so.
    Send(SlaveCommand::AskSubtitleFile());
    return true;
}

void PlaybackSession::TakeSubtitleFile()
{
    const int files = int(catalog.SubtitleFiles().size());
    const int streams = int(catalog.SubtitleStreams().size());
    const QString added = catalog.SubtitleFiles().value(files - 1);
    const bool asked = !pendingSubtitleLoad.isEmpty();
    const bool wanted = !launch.subtitleFile.isEmpty() && added == launch.subtitleFile;
    if (asked) {
        pendingSubtitleLoad.clear();
    }
    // The engine shows the first file it finds beside the film by itself; the menu says so,
    // unless the launch or the user chose otherwise.
    if (asked || wanted || (!subtitleChosen && files == 1)) {
        subtitleChoice = streams + files;
        subtitleChosen = subtitleChosen || asked || wanted;
        if (engineStarted)
            SendSubtitleChoice();
    }
    if (engineStarted)
        emit streamsChanged();
}

void PlaybackSession::SetBalance(int side)
{
    if (IsActive())
        Send(SlaveCommand::Balance(side));
}

void PlaybackSession::TakeSnapshot()
{
    if (!IsActive())
        return;
    if (engineIsPaused) {
        Send(SlaveCommand::ScreenshotKeepPause());
        Send(SlaveCommand::FrameStep());
    } else {
        Send(SlaveCommand::Screenshot());
    }
}

void PlaybackSession::TakeDuration(qint64 seconds)
{
    if (launch.kind != SourceKind::MediaFile || durationSec != 0 || seconds <= 0)
        return;
    durationSec = seconds;
    emit durationChanged(durationSec);
}

void PlaybackSession::Poll()
{
    if (!engine)
        return;
    CheckAnswers();
    if (!engine)
        return;
    Send(SlaveCommand::GetTimeLength());
    Send(UsesTitleTime() ? SlaveCommand::GetTitleTimePos() : SlaveCommand::GetTimePos());
    clock.OnPositionAsked();
}

void PlaybackSession::CheckAnswers()
{
    const qint64 now = NowMs();
    const bool silent =
        engineStarted ? now - lastAnswerMs > answerDeadlineMs : now - launchedMs > startDeadlineMs;
    if (!silent || !(state == State::Playing || state == State::Starting))
        return;
    qWarning("the engine gave no answer for %lld ms and is ended",
             engineStarted ? now - lastAnswerMs : now - launchedMs);
    // A stopped or blocked engine never reads "q"; it is killed, not asked.
    EndEngineNow();
    Fail(Failure::Hung);
}

void PlaybackSession::MarkStarted()
{
    if (engineStarted)
        return;
    engineStarted = true;
    ApplyChoices();
    if (state == State::Starting) {
        clock.Resume(NowMs());
        SetState(State::Playing);
    }
    emit streamsChanged();
}

void PlaybackSession::ApplyChoices()
{
    // What the menus will check is what the engine plays: the choices are sent, not assumed
    // from the engine's defaults (a film may mark its second audio stream or a subtitle as
    // the default one).
    const int audioCount = AudioCount();
    const int streamCount = int(catalog.SubtitleStreams().size());
    if (launch.audioChoice >= 0 && launch.audioChoice <= audioCount)
        audioChoice = launch.audioChoice;
    else
        audioChoice = audioCount > 0 ? 1 : 0;
    if (!subtitleChosen) {
        if (launch.subtitleChoice >= 0 && launch.subtitleChoice <= streamCount) {
            subtitleChoice = launch.subtitleChoice;
            subtitleChosen = true;
        } else if (catalog.SubtitleFiles().isEmpty()) {
            subtitleChoice = 0;
        }
    }
    if (audioCount > 0) {
        if (audioChoice != audioPlayability.OpenEntry())
            audioPlayability.Open(audioChoice);
        Send(SlaveCommand::SwitchAudioKeepPause(audioChoice == 0 ? -2
                                                                 : EngineAudioIndex(audioChoice)));
        Send(SlaveCommand::VolumeKeepPause(volume));
    }
    SendSubtitleChoice();
    // The deinterlacing filter is always in the chain and starts on; the delays are the
    // source's own from its last time.
    Send(SlaveCommand::DeinterlaceKeepPause(deinterlace));
    if (audioDelayMs != 0)
        Send(SlaveCommand::AudioDelayKeepPause(audioDelayMs / 1000.0));
    if (subtitleDelayMs != 0)
        Send(SlaveCommand::SubtitleDelayKeepPause(subtitleDelayMs / 1000.0));
    if (!SameSpeed(speed, NormalSpeed))
        Send(SlaveCommand::SpeedKeepPause(speed));
}

void PlaybackSession::OnEngineEvent(const EngineEvent &received)
{
    EngineEvent event = received;
    // The engine names the copy it read; the menus and the resume store name the user's file.
    if (event.kind == EngineEvent::Kind::SubtitleFileAdded && subtitleCopies)
        event.subtitlePath = subtitleCopies->OriginalOf(event.subtitlePath);
    catalog.Add(event);
    // A stream the engine cannot sound is named so in the audio menu.
    if (audioPlayability.Add(event))
        emit streamsChanged();
    switch (event.kind) {
    case EngineEvent::Kind::PositionAnswer:
    case EngineEvent::Kind::TitlePositionAnswer: {
        const bool titleAnswer = event.kind == EngineEvent::Kind::TitlePositionAnswer;
        if (titleAnswer != UsesTitleTime())
            break;
        // A source without a picture (a sound file) never prints "VIDEO: "; its first answer
        // says it plays.
        MarkStarted();
        lastAnswerMs = NowMs();
        double answer = event.valueValid ? event.value : -1;
        if (UsesPictureTitleTime() && answer >= 0) {
            // Where the clock stands picks among the items whose clips' times hold the
            // picture's; a time stamp no item holds (the engine before its first picture) is
            // no position.
            const std::optional<qint64> titleMs =
                launch.titleTimeline.TitleTimeOf(qint64(std::llround(answer * 1000)), PositionMs());
            answer = titleMs ? *titleMs / 1000.0 : -1;
        }
        clock.OnEnginePosition(answer, NowMs());
        if (UsesPictureTitleTime()) {
            const int item = launch.titleTimeline.ItemAt(PositionMs());
            if (item != playingItem) {
                playingItem = item;
                emit streamsChanged();
            }
        }
        if (landingToCheck && event.valueValid)
            CheckStartLanding();
        emit positionAnswered(PositionMs());
        break;
    }
    case EngineEvent::Kind::LengthAnswer: {
        const LengthDecision decision =
            DecideLengthAnswer(launch.kind, durationSec, event.wholeSeconds);
        if (decision.durationSec != durationSec) {
            durationSec = decision.durationSec;
            emit durationChanged(durationSec);
        }
        break;
    }
    case EngineEvent::Kind::PercentAnswer:
        break;
    case EngineEvent::Kind::Playing:
    case EngineEvent::Kind::AudioStream:
    case EngineEvent::Kind::SubtitleStream:
    case EngineEvent::Kind::DvdAudioStream:
    case EngineEvent::Kind::DvdSubtitleStream:
    case EngineEvent::Kind::ChapterStart:
    case EngineEvent::Kind::ChapterName:
        break; // the catalog keeps them
    case EngineEvent::Kind::SubtitleFileAdded:
        TakeSubtitleFile();
        break;
    case EngineEvent::Kind::SubtitleFileAnswer:
    case EngineEvent::Kind::ErrorAnswer:
        if (!pendingSubtitleLoad.isEmpty()) {
            const QString failed = pendingSubtitleLoad;
            pendingSubtitleLoad.clear();
            emit subtitleLoadFailed(failed);
        }
        break;
    case EngineEvent::Kind::VideoOutput: {
        pictureDrawn = true;
        const QSize shown(event.displayWidth, event.displayHeight);
        if (!sourcePictureSize.isValid()) {
            sourcePictureSize = shown;
            // A shape chosen before the picture came is sent now that Auto is known.
            if (const std::optional<double> ratio = AspectRatioOf(aspect))
                Send(SlaveCommand::AspectKeepPause(*ratio));
        }
        emit pictureSizeChanged(ShapedPictureSize(shown, aspect));
        break;
    }
    case EngineEvent::Kind::AudioDecoderSelected:
    case EngineEvent::Kind::AudioOutput:
    case EngineEvent::Kind::NoSound:
    case EngineEvent::Kind::AudioDecoderFailed:
        break; // audioPlayability keeps them
    case EngineEvent::Kind::PropertyAnswer:
        emit propertyAnswered(event.title, event.answerText);
        break;
    case EngineEvent::Kind::VideoStarted:
        pictureUp = true;
        MarkStarted();
        emit pictureStarted();
        break;
    case EngineEvent::Kind::PlaybackStarted:
        MarkStarted();
        break;
    case EngineEvent::Kind::Screenshot:
        emit screenshotWritten(event.screenshotPath);
        break;
    case EngineEvent::Kind::EngineSignal:
        // The engine caught a fatal signal and exits after this line, whatever it had played.
        qWarning("the engine died of signal %d", event.number);
        LetEngineGo(false);
        Fail(Failure::Crashed);
        break;
    case EngineEvent::Kind::EndOfFile:
    case EngineEvent::Kind::Quit:
        pollTimer.stop();
        clock.Pause(NowMs());
        // The engine leaves by itself after this line; one that lingers is ended.
        LetEngineGo(false);
        EndedByEngine();
        break;
    }
}

void PlaybackSession::OnEngineFinished(int exitCode, bool crashed)
{
    // An engine that crashed, was killed or could not play the source never prints its
    // closing line; its end still ends the session, and how it ended tells which way.
    if (IsActive()) {
        pollTimer.stop();
        clock.Pause(NowMs());
        if (crashed) {
            qWarning("the engine was ended by a signal");
            Fail(Failure::Crashed);
        } else if (exitCode != 0 && engineStarted) {
            qWarning("the engine left with error %d before the end", exitCode);
            Fail(Failure::Crashed);
        } else {
            EndedByEngine();
        }
    }
    EndEngineNow();
}

void PlaybackSession::EndedByEngine()
{
    // A truncated film announces its video stream and starts, then ends before its first
    // frame: with no picture drawn, nothing of it played.
    if (!engineStarted || (pictureUp && !pictureDrawn))
        Fail(Failure::Unplayable);
    else
        SetState(State::Ended);
}

void PlaybackSession::OnEngineStartFailed()
{
    EndEngineNow();
    Fail(Failure::EngineMissing);
}

void PlaybackSession::Fail(Failure reason)
{
    pollTimer.stop();
    clock.Pause(NowMs());
    failure = reason;
    SetState(State::Failed);
}

void PlaybackSession::SetSpeed(double factor)
{
    speed = BoundedSpeed(factor);
    // Before the picture starts, the speed goes with the other choices.
    if (IsActive() && engineStarted)
        Send(SlaveCommand::SpeedKeepPause(speed));
    emit viewingChanged();
}

void PlaybackSession::SetAudioDelay(int milliseconds)
{
    audioDelayMs = qBound(-MaximumDelayMs, milliseconds, MaximumDelayMs);
    if (IsActive() && engineStarted)
        Send(SlaveCommand::AudioDelayKeepPause(audioDelayMs / 1000.0));
    emit viewingChanged();
}

void PlaybackSession::SetSubtitleDelay(int milliseconds)
{
    subtitleDelayMs = qBound(-MaximumDelayMs, milliseconds, MaximumDelayMs);
    if (IsActive() && engineStarted)
        Send(SlaveCommand::SubtitleDelayKeepPause(subtitleDelayMs / 1000.0));
    emit viewingChanged();
}

void PlaybackSession::SetDeinterlace(bool on)
{
    deinterlace = on;
    if (IsActive() && engineStarted)
        Send(SlaveCommand::DeinterlaceKeepPause(deinterlace));
    emit viewingChanged();
}

void PlaybackSession::SetAspect(AspectChoice shape)
{
    aspect = shape;
    if (IsActive() && sourcePictureSize.isValid()) {
        const std::optional<double> ratio = AspectRatioOf(shape);
        Send(SlaveCommand::AspectKeepPause(
            ratio ? *ratio : double(sourcePictureSize.width()) / sourcePictureSize.height()));
        // The window takes the new shape at once; the engine's next size line agrees.
        emit pictureSizeChanged(ShapedPictureSize(sourcePictureSize, shape));
    }
    emit viewingChanged();
}

void PlaybackSession::ShowOnScreen(const QString &text)
{
    if (IsActive() && engineStarted)
        Send(SlaveCommand::OnScreenTextKeepPause(text, OnScreenMs));
}

void PlaybackSession::SurfaceResized()
{
    if (IsActive())
        subtitleRedraw.SurfaceResized();
    resizedWhilePaused = state == State::Paused;
}

void PlaybackSession::AskEngine(const QByteArray &property)
{
    Send(SlaveCommand::AskProperty(property));
}
