#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// One engine output line that the player acts on. Lines of no interest produce no event.
struct EngineEvent
{
    enum class Kind
    {
        PositionAnswer, // "ANS_TIME_POSITION=..." answering "get_time_pos"
        LengthAnswer,   // "ANS_LENGTH=..." answering "get_time_length"
        // "ANS_stream_time_pos=..." answering "get_property stream_time_pos": a disc title's
        // own position, which runs on across the title's clips
        TitlePositionAnswer,
        PercentAnswer,   // "ANS_PERCENT_POSITION=...": the player never asks, so never acts
        Playing,         // "Playing FILE.": a file starts; stream counting starts again
        EndOfFile,       // "Exiting... (End of file)": the media played to its end
        Quit,            // "Exiting... (Quit)": the engine leaves after "q"
        PlaybackStarted, // "Starting playback...": the source opened and plays
        Screenshot,      // "*** screenshot 'FILE' ***": the screenshot filter wrote a file
        AudioStream,     // "[lavf] stream N: audio (CODEC), -aid N": one audio stream
        SubtitleStream,  // "[lavf] stream N: subtitle (CODEC), -sid N": one subtitle stream
        VideoStarted,    // "VIDEO: ...": video output starts; the stream lists are complete
        VideoOutput,     // "VO: [DRIVER] WxH => WxH ...": the picture's size as shown
        // A DVD's own stream list, printed before the "[lavf]" lines of the same streams:
        // "audio stream: N format: F (C) language: L aid: A." and
        // "subtitle ( sid ): N language: L". N counts from 0 in the order the "[lavf]" lines
        // repeat, and is what "switch_audio" and "sub_demux" take under the lavf demuxer;
        // the DVD's own aid (128 and up) selects nothing there.
        DvdAudioStream,
        DvdSubtitleStream,
        // "SUB: Added subtitle file (N): PATH": the engine loaded a subtitle file, found
        // beside the film or asked for with "sub_load"; N counts them from 1 per run, and
        // N - 1 is what "sub_file" takes.
        SubtitleFileAdded,
        // "ANS_sub_file=N": the subtitle file shown (N from 0; -1 none), answering
        // "get_property sub_file". A "sub_load" that fails says so on standard error only,
        // so the player asks this after it: an answer with no "Added subtitle file" line
        // since the "sub_load" means the file was not loaded.
        SubtitleFileAnswer,
        // "ANS_ERROR=...": a query the engine could not answer; "get_property sub_file" gets
        // it while no subtitle file is loaded at all.
        ErrorAnswer,
        // With "-identify": "ID_CHAPTER_N_START=MS" for each chapter of a media file and
        // "ID_CHAPTER_N_NAME=TEXT" for each named one, N from 0, before the stream lines.
        // "seek_chapter N 1" goes there.
        ChapterStart,
        ChapterName,
        // With "-identify": "ID_SIGNAL=N", printed by an engine that caught a fatal signal N
        // (a crash) and is about to exit; number holds N.
        EngineSignal,
        // "ANS_NAME=VALUE" for any other property, answering "get_property NAME": title
        // holds NAME, answerText VALUE ("1.500000", "yes").
        PropertyAnswer,
        // The audio decoder of the stream the engine opened: "Selected audio codec: [NAME]
        // afm: FAMILY (...)"; title holds FAMILY ("ffmpeg", or "spdif" and "hwac3" for
        // pass-through, which hands compressed bits to the sound output).
        AudioDecoderSelected,
        // "AO: [DRIVER] 48000Hz 6ch ...": the sound output opened; number holds the channels.
        AudioOutput,
        // "Audio: no sound": no decoder took the stream; the picture plays on in silence.
        NoSound,
        // "ADecoder init failed :(": one decoder refused the stream. At the start the engine
        // tries the next and may end with "Audio: no sound"; after a "switch_audio" this
        // line is all it says of a stream it has no decoder for.
        AudioDecoderFailed,
    };

    Kind kind = Kind::PositionAnswer;

    // Answers: the number after "=", as the engine wrote it; ChapterStart: the start in
    // seconds (the engine prints milliseconds). A malformed, negative or non-finite number
    // leaves value 0 and valueValid false.
    double value = 0;
    bool valueValid = false;
    // Answers: value truncated to whole seconds (0 when the number was malformed).
    qint64 wholeSeconds = 0;

    // Stream lines: the engine's number of the stream ("-aid N", "-sid N", or the DVD's
    // "audio stream: N"), -1 when it does not fit an int. Chapter lines: the chapter's
    // number N. SubtitleFileAnswer: N, -1 also when malformed.
    int number = -1;

    // Stream lines: the language code as the engine printed it ("ger", "de"), empty when the
    // line has none, says "unknown", or holds anything but 2 to 8 letters and "-".
    QString language;

    // Stream lines: the stream's title ("Stereo"; on a DVD the format, "ac3 (5.1)");
    // ChapterName: the chapter's name. Empty when there is none; control characters are
    // dropped and the text is cut to TitleLimit characters, for it comes from the media.
    QString title;
    static constexpr int TitleLimit = 200;

    // SubtitleFileAdded: the file as the engine printed it.
    QString subtitlePath;

    // PropertyAnswer: the value as the engine printed it.
    QString answerText;

    // VideoOutput: the size the picture is shown at, its shape corrected for the film's
    // aspect (a 16:9 DVD frame of 720x576 shows as 1024x576). 0 when malformed.
    int displayWidth = 0;
    int displayHeight = 0;

    // Screenshot: the file name as the engine printed it. Engine output also carries the
    // media's own metadata verbatim, so this name is untrusted until EngineScreenshot has
    // checked it.
    QString screenshotPath;

    // The line as read, without its line end.
    QByteArray line;
};

Q_DECLARE_METATYPE(EngineEvent)
