#include "engine/SlaveCommand.h"

#include <QDir>
#include <QFile>

namespace SlaveCommand {

namespace {

QByteArray WithNumber(const char *head, int value, const char *tail)
{
    return QByteArray(head) + QByteArray::number(value) + QByteArray(tail);
}

} // namespace

QByteArray Quit()
{
    return QByteArrayLiteral("q\n");
}

QByteArray Pause()
{
    return QByteArrayLiteral("pause\n");
}

QByteArray GetTimeLength()
{
    return QByteArrayLiteral("get_time_length\n");
}

QByteArray GetTimePos()
{
    return QByteArrayLiteral("get_time_pos\n");
}

QByteArray GetTitleTimePos()
{
    return QByteArrayLiteral("get_property stream_time_pos\n");
}

QByteArray ScreenshotKeepPause()
{
    return QByteArrayLiteral("pausing_keep_force screenshot 0\n");
}

QByteArray FrameStep()
{
    return QByteArrayLiteral("frame_step\n");
}

QByteArray Seek(int seconds)
{
    // Mode 2 is an absolute position in seconds.
    return WithNumber("seek ", seconds, " 2\n");
}

QByteArray SeekBack(int seconds)
{
    // Mode 0 is relative.
    return WithNumber("seek -", qMax(seconds, 0), " 0\n");
}

QByteArray Volume(int level)
{
    return WithNumber("volume ", level, " 2\n");
}

QByteArray VolumeKeepPause(int level)
{
    return WithNumber("pausing_keep volume ", level, " 100\n");
}

QByteArray Screenshot()
{
    // 0 takes a single frame; 1 would start writing every frame.
    return QByteArrayLiteral("screenshot 0\n");
}

QByteArray SwitchAudio(int index)
{
    return WithNumber("switch_audio ", index, "\n");
}

QByteArray SwitchAudioKeepPause(int index)
{
    return WithNumber("pausing_keep switch_audio ", index, "\n");
}

QByteArray SubDemux(int index)
{
    return WithNumber("sub_demux ", index, "\n");
}

QByteArray SubDemuxKeepPause(int index)
{
    return WithNumber("pausing_keep sub_demux ", index, "\n");
}

std::optional<QByteArray> SubLoad(const QString &path)
{
    if (path.isEmpty() || path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')) ||
        path.contains(QChar(0)))
        return std::nullopt;
    const QByteArray bytes = QFile::encodeName(
        QDir::isRelativePath(path) ? QDir::current().absoluteFilePath(path) : path);
    QByteArray quoted;
    quoted.reserve(bytes.size() + 2);
    for (char c : bytes) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return QByteArray("pausing_keep sub_load \"") + quoted + QByteArray("\"\n");
}

QByteArray SubFileKeepPause(int index)
{
    return WithNumber("pausing_keep sub_file ", index, "\n");
}

QByteArray AskSubtitleFile()
{
    return QByteArrayLiteral("pausing_keep get_property sub_file\n");
}

QByteArray RedrawSubtitlesKeepPause()
{
    return QByteArrayLiteral("pausing_keep set_property sub_visibility 1\n");
}

QByteArray SubtitlesOffKeepPause()
{
    return QByteArrayLiteral("pausing_keep sub_select -1\n");
}

QByteArray SeekChapter(int index)
{
    // Type 1 is an absolute chapter number; 0 would step relative to the current one.
    return WithNumber("seek_chapter ", index, " 1\n");
}

QByteArray Balance(int side)
{
    return WithNumber("pausing_keep balance ", side, " 1\n");
}

QByteArray SpeedKeepPause(double factor)
{
    return QByteArray("pausing_keep speed_set ") + QByteArray::number(factor, 'f', 3) + '\n';
}

QByteArray AudioDelayKeepPause(double seconds)
{
    return QByteArray("pausing_keep set_property audio_delay ") +
           QByteArray::number(seconds, 'f', 3) + '\n';
}

QByteArray SubtitleDelayKeepPause(double seconds)
{
    return QByteArray("pausing_keep set_property sub_delay ") +
           QByteArray::number(seconds, 'f', 3) + '\n';
}

QByteArray DeinterlaceKeepPause(bool on)
{
    return WithNumber("pausing_keep set_property deinterlace ", on ? 1 : 0, "\n");
}

QByteArray AspectKeepPause(double ratio)
{
    return QByteArray("pausing_keep switch_ratio ") + QByteArray::number(ratio, 'f', 4) + '\n';
}

QByteArray OnScreenTextKeepPause(const QString &text, int durationMs)
{
    QByteArray quoted;
    for (char c : text.toUtf8()) {
        if (c == '\n' || c == '\r' || c == '\0') {
            quoted += ' ';
            continue;
        }
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return QByteArray("pausing_keep osd_show_text \"") + quoted + "\" " +
           QByteArray::number(qMax(durationMs, 0)) + " 0\n";
}

QByteArray AskProperty(const QByteArray &name)
{
    return QByteArray("pausing_keep get_property ") + name + '\n';
}

} // namespace SlaveCommand
