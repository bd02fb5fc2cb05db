#pragma once

#include <QString>
#include <QStringList>

// Whether a subtitle file may be handed to the engine ("sub_load"). The engine reads a
// subtitle file whole, in the thread that plays the film: a named pipe blocks it until a
// writer comes, and its reader slows down with the square of the size (2 MiB of SRT loads in
// a fraction of a second, 10 MiB stall the film for half a minute, 100 MiB for minutes). So
// only a readable regular file within SizeLimit goes to the engine; the engine itself
// rejects content that is no subtitle format ("Cannot load subtitles"), and a file that
// vanishes after this check fails the same way.
namespace SubtitleFileCheck {

enum class Verdict
{
    Fine,
    Missing,    // nothing of that name
    NotAFile,   // a folder, a named pipe, a device
    Empty,      // zero bytes
    TooLarge,   // beyond SizeLimit
    Unreadable, // no permission, or an error on opening
};

// Larger than any subtitle track of a feature film (a few hundred KiB of SRT, a few MiB of
// styled ASS), small enough that the engine loads it without a noticeable stall.
constexpr qint64 SizeLimit = 3 * 1024 * 1024;

Verdict Check(const QString &path);

// The message key that names the refusal (a Fine verdict: the engine could not read the
// file, so it is no subtitle file it knows).
const char *RefusalMessageKey(Verdict verdict);

// The subtitle files beside a media file, as the engine itself would pick them: the film's
// own name with a subtitle extension (any case), "film.srt" for "film.mkv", sorted. Every
// entry but a folder is listed, a named pipe too, whatever its content; Check() each before
// it goes to the engine. The engine's own search
// ("-noautosub" turns it off) opens what it finds unchecked, and a named pipe of that name
// stops it before the first frame.
QStringList SideFiles(const QString &mediaPath);

} // namespace SubtitleFileCheck
