#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

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
// Seeks back by whole seconds from where the engine is. The engine then lands on the key
// frame at or before the target, where an absolute seek lands on the one at or after it.
QByteArray SeekBack(int seconds);

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

// Loads a subtitle file into the running film without showing it. The engine prints
// "SUB: Added subtitle file (N): PATH" when it could (then SubFileKeepPause(N - 1) shows it); a
// failure shows on its standard error only, so AskSubtitleFile() follows: its answer with no
// "Added" line before it means the file was not loaded. The path goes in double quotes as
// UTF-8, with backslashes and double quotes escaped by a backslash; a relative path is made
// absolute against the player's working directory, since the engine runs elsewhere. Nothing
// when the path is empty or holds a line end or a zero byte, which would end the command
// early. The engine reads the whole file before it plays on, so the caller checks it first
// (SubtitleFileCheck).
std::optional<QByteArray> SubLoad(const QString &path);

// Shows the loaded subtitle file at index from 0, in the order of the engine's "SUB: Added
// subtitle file" lines; -1 hides subtitle files only.
QByteArray SubFileKeepPause(int index);

// "get_property sub_file": answered by "ANS_sub_file=N" (the file shown, -1 none), or by
// "ANS_ERROR=PROPERTY_UNAVAILABLE" while no subtitle file is loaded.
QByteArray AskSubtitleFile();

// Hides every subtitle, file or stream. "sub_demux -1" hides only the film's own streams, so
// a file the engine found beside the film would stay on screen.
QByteArray SubtitlesOffKeepPause();

// Makes the engine lay the subtitle line out again for the surface it now has. Its plain X11
// output lays a line out anew when the surface changes size, but clips the letters to the old
// height: on a surface that grew (full screen) the line vanishes until the next one is due.
// Laid out again once the new size is drawn, the line shows in full; a paused engine also
// draws its frame at the new size. Subtitles turned off stay off ("sub_select -1").
QByteArray RedrawSubtitlesKeepPause();

// Seeks to the start of a media file's chapter, numbered from 0 as in "ID_CHAPTER_N_START".
QByteArray SeekChapter(int index);

// Stereo balance: -1 left only, 0 both, 1 right only. The engine accepts any value, but the
// player only ever sends these three.
QByteArray Balance(int side);

// Playback speed as a factor of normal speed; the pause holds. The engine keeps the pitch
// only with its scaletempo filter in the audio chain (EngineArguments puts it there).
QByteArray SpeedKeepPause(double factor);
// The sound's and the subtitles' delay against the picture, in seconds; positive is later.
// The engine has no sound delay while it plays without sound (no audio device).
QByteArray AudioDelayKeepPause(double seconds);
QByteArray SubtitleDelayKeepPause(double seconds);
// Turns the deinterlacing filter in the video chain on or off.
QByteArray DeinterlaceKeepPause(bool on);
// Shows the picture in the given shape (width over height) from now on.
QByteArray AspectKeepPause(double ratio);
// Shows text over the picture for durationMs. Line ends become blanks, and backslashes and
// double quotes are escaped as the engine's quoting wants, so no text can end the command.
QByteArray OnScreenTextKeepPause(const QString &text, int durationMs);
// "get_property NAME": answered by "ANS_NAME=VALUE", or "ANS_ERROR=..." when the engine has
// no such value now. For the player's own checks of what the engine does.
QByteArray AskProperty(const QByteArray &name);

} // namespace SlaveCommand
