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
        PercentAnswer,  // "ANS_PERCENT_POSITION=...": the player never asks, so never acts
        Playing,        // "Playing FILE.": a file starts; stream counting starts again
        EndOfFile,      // "Exiting... (End of file)": the media played to its end
        Quit,           // "Exiting... (Quit)": the engine leaves after "q"
        PlaybackStarted, // "Starting playback...": the source opened and plays
        Screenshot,     // "*** screenshot 'FILE' ***": the screenshot filter wrote a file
        AudioStream,    // "[lavf] stream N: audio (CODEC), -aid N": one audio stream
        SubtitleStream, // "[lavf] stream N: subtitle (CODEC), -sid N": one subtitle stream
        VideoStarted,   // "VIDEO: ...": video output starts; the stream lists are complete
        VideoOutput,    // "VO: [DRIVER] WxH => WxH ...": the picture's size as shown
    };

    Kind kind = Kind::PositionAnswer;

    // Answers: the number after "=", as the engine wrote it. A malformed, negative or
    // non-finite number leaves value 0 and valueValid false.
    double value = 0;
    bool valueValid = false;
    // Answers: value truncated to whole seconds (0 when the number was malformed).
    qint64 wholeSeconds = 0;

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
