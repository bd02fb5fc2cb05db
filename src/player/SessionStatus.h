#pragma once

// Where one playback session stands, and why it failed; the window, the menus and the
// desktop's controls read these without seeing the session itself.
enum class SessionState
{
    Stopped,  // nothing runs (before the first launch, after Stop)
    Starting, // launched; the engine has not shown a picture or a position yet
    Playing,
    Paused,
    Ended,  // the source played to its end, or the engine ended by itself
    Failed, // the engine could not be started or could not play the source
};

enum class SessionFailure
{
    None,
    EngineMissing, // no engine program could be started
    Unplayable,    // the engine ended without playing anything of the source
    // The engine died (a fatal signal, or an error exit after it had started to play)
    // before the end of the source: where it was is worth coming back to.
    Crashed,
    // The engine stopped answering and was ended: no position answer for its answer
    // deadline while playing, or no sign of playing long after the launch.
    Hung,
};
