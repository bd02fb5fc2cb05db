#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How the engine opens the path it is given: as a file, or as a disc through its DVD or
// Blu-ray protocol. A disc is a folder or an image (a UDF .iso file or a block device): the
// engine reads both through the same option, so the disc sources serve both.
enum class EngineSource
{
    MediaFile,
    DvdFolder,
    BluRayFolder,
};

// Arguments for one engine run, in the order the engine needs them:
// fixed options, the window to draw into, the screenshot filter, then the source.
//  - source: how the engine opens the path.
//  - path: the file, or the disc folder or image for a DVD or Blu-ray; always the last
//    argument.
//    A relative path is made absolute against the player's working directory: the engine
//    runs elsewhere, and it would read a name starting with "-" as an option.
//  - windowId: native id of the surface the engine draws into (QWidget::winId()).
//  - titleChosen, titleNumber (Blu-ray only): a title picked from the title menu plays by its
//    engine number; a title that was not picked plays the disc's longest title ("br://0").
//    Picked but without a number (its key missing from the title map), the title argument
//    and "-bluray-device" are left out and the engine gets the folder alone.
//  - titleChosen, titleNumber (DVD): a title picked from the title menu plays as "dvd://N"
//    (the numbers DvdTitles lists); otherwise, or without a number, the first ("dvd://1").
//
// The screenshot filter writes PREFIX0001.png, PREFIX0002.png ... with the prefix relative
// to the engine's working directory, which the caller sets to the application-data folder
// (EngineProcess::SetWorkingFolder). The filter list splits at commas and has no quoting
// that this engine accepts there, so the folder's own name, whatever it holds, must stay off
// the command line.
QStringList EngineArguments(EngineSource source, const QString &path, qulonglong windowId,
                            bool titleChosen = false,
                            std::optional<int> titleNumber = std::nullopt);

// The options for the subtitle files of one run, meant to go before the source: the engine
// looks for none by itself, reads every file as UTF-8 (the player hands it UTF-8 copies),
// draws the text in SubtitleFont, and loads files (copies whose names hold no comma) in this
// order, showing the first.
QStringList SubtitleArguments(const QStringList &files);

// A font family that has the characters of every interface language, Chinese included; the
// engine's default font draws Chinese characters as empty boxes.
inline const QString SubtitleFont = QStringLiteral("Noto Sans CJK SC");

// The prefix of the screenshot filter's files, relative to the engine's working directory.
inline const QString EngineScreenshotPrefix = QStringLiteral("./");

// The same arguments turned into a run without a display and without sound: no window id,
// "-vo null" and "-ao null". For tests and benchmarks that need the engine's output lines
// but no picture.
QStringList HeadlessEngineArguments(QStringList arguments);

// Everything one run of the engine on a source is started with.
struct EngineRun
{
    EngineSource source = EngineSource::MediaFile;
    QString path;
    // 0: no window to draw into; the run has neither picture nor sound.
    qulonglong windowId = 0;
    // A DVD or Blu-ray title played by the engine's number for it.
    std::optional<int> titleNumber;
    // The run's subtitle files as the engine is to read them (UTF-8 copies), in load order.
    QStringList subtitleFiles;
    // Further options for this run (a test's dump of what the engine read, say).
    QStringList extraOptions;
};

// The whole command line of one run: the one place where the engine's arguments are put
// together (EngineArguments, the subtitle options, a run without a window), options first
// and the source with its device option last.
QStringList EngineRunArguments(const EngineRun &run);

// Arguments for one engine run, without picture or sound, that opens every title number a
// DVD can have (1 to 99) in turn and prints what it learns with "-identify": the title count,
// each title's length and chapter count, and the chapter starts of every title that opens.
// Numbers past the disc's last title fail at once. discPath: a DVD folder or image, made
// absolute as EngineArguments does.
QStringList DvdIdentifyArguments(const QString &discPath);
