#pragma once

#include <QtGlobal>

#include <optional>

// The playback position the window shows. It runs on a monotonic clock, so it neither
// drifts with a timer that fires late or early nor jumps with the wall clock, and it is
// pulled back to the engine's own position when the two part by more than a second (an
// engine that stalls on a slow disc, or plays faster than real time).
//
// The engine's position need not start at zero: transport streams carry the time stamps of
// their source (1.4 s for a stream muxed by ffmpeg). So the first answer of a launch fixes
// the offset between the engine's time line and the shown one, and later answers are
// compared through it. The offset belongs to the source, not to a seek: after a seek the
// engine lands on a key frame near the target, and its answer is the position, not a new
// offset.
//
// Every call takes the monotonic time "now" in milliseconds, so the rules can be checked
// without waiting.
class SessionClock
{
public:
    // A launch: the shown position becomes positionMs and waits for Resume, since an engine
    // that is still opening its source (a disc can take seconds) has not begun its time.
    // knownOffsetMs: the engine's time line against the shown one when the source says so
    // (a disc title's own time starts at 0); unknown, the first answer tells it.
    // toleranceMs: how far the engine may part from the shown position before it wins; a disc
    // title's own time comes in steps of about a second, behind the picture.
    // holdsBack: for an engine that tells the time of the picture it shows. Behind the running
    // clock by at most MaxHoldMs, it makes the clock wait instead of stepping back, so that
    // the clock never goes back while it plays. After a seek (a start seek too) the first answer
    // near the target (within LandingWindowMs) is where the engine landed, and the clock takes
    // it either way; answers far from it come from before the seek took effect and are
    // passed over, up to MaxLandingSkips of them.
    void Launch(qint64 positionMs, qint64 nowMs, std::optional<qint64> knownOffsetMs,
                qint64 toleranceMs = DefaultToleranceMs, bool holdsBack = false);
    // A seek: the shown position becomes positionMs, running or held as it was. A launch that
    // seeks before any answer has nothing to learn its offset from, and takes 0.
    void Seek(qint64 positionMs, qint64 nowMs);
    void Pause(qint64 nowMs);
    void Resume(qint64 nowMs);
    bool IsRunning() const { return running; }

    // The shown position at nowMs.
    qint64 PositionMs(qint64 nowMs) const;

    // A position question went to the engine. Answers come back in order, so an answer to a
    // question asked before the last start or seek is known to be stale and is ignored.
    void OnPositionAsked() { ++asked; }

    // An engine position answer, in seconds on the engine's time line (negative or not
    // finite: a malformed answer, counted but not used). True when the shown position was
    // corrected.
    bool OnEnginePosition(double engineSeconds, qint64 nowMs);

    // Tolerated difference before the engine's position wins.
    static constexpr qint64 DefaultToleranceMs = 1000;
    // Further behind than this, the engine went elsewhere (a seek of its own, a wrong guess
    // of ours), and the clock follows it back.
    static constexpr qint64 MaxHoldMs = 2000;
    static constexpr qint64 LandingWindowMs = 5000;
    static constexpr int MaxLandingSkips = 6;

private:
    qint64 baseMs = 0;    // shown position at baseNowMs
    qint64 baseNowMs = 0; // when the shown position was baseMs
    bool running = false;
    qint64 toleranceMs = DefaultToleranceMs;
    bool holdsBack = false;
    bool landing = false;
    int landingSkips = 0;
    std::optional<qint64> engineOffsetMs; // engine time minus shown time
    quint64 asked = 0;
    quint64 answered = 0;
    quint64 staleUntil = 0; // answers up to this count belong to questions before the restart
};
