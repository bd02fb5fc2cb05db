#pragma once

#include <QByteArray>

// Every command the player writes to the engine's standard input, in its wire form.
// Nothing else may format engine input: keeping the texts here keeps the protocol in one
// place. A command without the "pausing_keep " prefix also ends a pause in the engine.
namespace SlaveCommand {

QByteArray Quit();          // "q\n": the engine exits and prints "(Quit)"
QByteArray Pause();         // "pause\n": toggles the engine's pause
QByteArray GetTimeLength(); // answered by one "ANS_LENGTH=" line
QByteArray GetTimePos();    // answered by one "ANS_TIME_POSITION=" line
// A disc title's position on the title's own time line, which the engine's time position
// does not follow across the title's clips. Answered by one "ANS_stream_time_pos=" line.
QByteArray GetTitleTimePos();

// Absolute seek to a position in whole seconds.
QByteArray Seek(int seconds);

// Absolute volume, 0 to 100.
QByteArray Volume(int level);
QByteArray VolumeKeepPause(int level);

// Makes the screenshot filter write the next frame to a file.
QByteArray Screenshot();
// The same for a paused engine, which stays paused; the filter only sees a frame that is
// drawn, so FrameStep() must follow.
QByteArray ScreenshotKeepPause();
// Shows the next frame and stays paused.
QByteArray FrameStep();

// Audio stream index from 0; -2 selects no audio.
QByteArray SwitchAudio(int index);
QByteArray SwitchAudioKeepPause(int index);

// Subtitle index from 0; -1 turns subtitles off.
QByteArray SubDemux(int index);
QByteArray SubDemuxKeepPause(int index);

// Stereo balance: -1 left only, 0 both, 1 right only. The engine accepts any value, but the
// player only ever sends these three.
QByteArray Balance(int side);

} // namespace SlaveCommand
