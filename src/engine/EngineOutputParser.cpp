#include "engine/EngineOutputParser.h"

#include <cmath>

namespace {

using Kind = EngineEvent::Kind;

// Where the number of an answer starts: just after the name and its "=".
constexpr qsizetype PositionValueOffset = 18; // "ANS_TIME_POSITION="
constexpr qsizetype LengthValueOffset = 11;   // "ANS_LENGTH="
constexpr qsizetype TitlePositionValueOffset = 20; // "ANS_stream_time_pos="

constexpr QByteArrayView ScreenshotHead("*** screenshot '");
constexpr QByteArrayView ScreenshotTail("' ***");
// The engine's file name is cut to this many bytes, as the fixed buffer of the window kept it.
constexpr qsizetype ScreenshotNameLimit = 511;

// Beyond this a length or position is no real media time, only noise in the answer; it
// also keeps the conversion to whole seconds well defined.
constexpr double LargestSeconds = 9007199254740992.0; // 2^53

// The lines the player acts on, in the shape the engine prints them, tested in this order.
// A shape is matched against the whole line: "%d" stands for one or more digits, "%s" for
// any run of bytes, everything else for itself. The engine copies a film's own metadata
// (titles, comments, stream names) into its output verbatim, after a fixed head or on a line
// of its own, so only a marker at the start of the line, in its full shape, is the engine's.
struct LineShape
{
    QByteArrayView shape;
    Kind kind;
};

constexpr LineShape Shapes[] = {
    {"ANS_TIME_POSITION%s", Kind::PositionAnswer},
    {"ANS_LENGTH%s", Kind::LengthAnswer},
    {"ANS_stream_time_pos=%s", Kind::TitlePositionAnswer},
    {"ANS_PERCENT_POSITION%s", Kind::PercentAnswer},
    {"Playing %s.", Kind::Playing},
    {"Exiting... (End of file)", Kind::EndOfFile},
    {"Exiting... (Quit)", Kind::Quit},
    {"Starting playback...", Kind::PlaybackStarted},
    {"*** screenshot '%s' ***", Kind::Screenshot},
    // A stream's language and title follow its number, each after ", ".
    {"[lavf] stream %d: audio (%s), -aid %d", Kind::AudioStream},
    {"[lavf] stream %d: audio (%s), -aid %d, %s", Kind::AudioStream},
    {"[lavf] stream %d: subtitle (%s), -sid %d", Kind::SubtitleStream},
    {"[lavf] stream %d: subtitle (%s), -sid %d, %s", Kind::SubtitleStream},
    {"VIDEO: %s", Kind::VideoStarted},
    {"VO: [%s] %dx%d => %dx%d %s", Kind::VideoOutput},
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the whole line has the shape. "%s" is tried at every length, shortest first; the
// shapes hold at most two of them and the second always ends the shape, so a line costs
// at most one pass per "%s" position.
bool MatchesShape(QByteArrayView line, QByteArrayView shape)
{
    qsizetype at = 0;
    for (qsizetype i = 0; i < shape.size(); ++i) {
        if (shape[i] == '%' && i + 1 < shape.size()) {
            const char what = shape[i + 1];
            const QByteArrayView rest = shape.sliced(i + 2);
            if (what == 'd') {
                const qsizetype start = at;
                while (at < line.size() && IsDigit(line[at]))
                    ++at;
                if (at == start)
                    return false;
                ++i;
                continue;
            }
            if (what == 's') {
                if (rest.isEmpty())
                    return true;
                for (qsizetype skip = at; skip <= line.size(); ++skip) {
                    if (MatchesShape(line.sliced(skip), rest))
                        return true;
                }
                return false;
            }
        }
        if (at >= line.size() || line[at] != shape[i])
            return false;
        ++at;
    }
    return at == line.size();
}

EngineEvent Answer(EngineEvent::Kind kind, QByteArrayView line, qsizetype valueOffset)
{
    EngineEvent event;
    event.kind = kind;
    bool ok = false;
    const double value =
        line.size() > valueOffset ? line.sliced(valueOffset).toByteArray().toDouble(&ok) : 0.0;
    if (ok && std::isfinite(value) && value >= 0 && value < LargestSeconds) {
        event.value = value;
        event.valueValid = true;
        event.wholeSeconds = static_cast<qint64>(value);
    }
    return event;
}

// The name between the quotes of a matched screenshot line. It is taken up to the closing
// "' ***", not the first quote, so that a folder named with an apostrophe keeps its name.
QString ScreenshotName(QByteArrayView line)
{
    QByteArrayView name = line.sliced(ScreenshotHead.size(),
                                      line.size() - ScreenshotHead.size() - ScreenshotTail.size());
    if (name.size() > ScreenshotNameLimit)
        name.truncate(ScreenshotNameLimit);
    return QString::fromLocal8Bit(name);
}

// The display size after " => " of a matched video output line.
void ReadDisplaySize(QByteArrayView line, EngineEvent &event)
{
    const qsizetype arrow = line.indexOf(" => ");
    const QByteArrayView rest = line.sliced(arrow + 4);
    const qsizetype cross = rest.indexOf('x');
    const qsizetype end = cross < 0 ? -1 : rest.indexOf(' ', cross);
    if (end < 0)
        return;
    bool widthOk = false, heightOk = false;
    const int width = rest.first(cross).toByteArray().toInt(&widthOk);
    const int height = rest.sliced(cross + 1, end - cross - 1).toByteArray().toInt(&heightOk);
    if (widthOk && heightOk && width > 0 && height > 0) {
        event.displayWidth = width;
        event.displayHeight = height;
    }
}

} // namespace

std::optional<EngineEvent> EngineOutputParser::ParseLine(QByteArrayView line)
{
    // The engine writes C strings, so nothing of its own follows a zero byte.
    QByteArrayView text = line;
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0)
        text.truncate(zero);

    std::optional<EngineEvent> event;
    for (const LineShape &candidate : Shapes) {
        if (!MatchesShape(text, candidate.shape))
            continue;
        if (candidate.kind == Kind::PositionAnswer) {
            event = Answer(Kind::PositionAnswer, line, PositionValueOffset);
        } else if (candidate.kind == Kind::LengthAnswer) {
            event = Answer(Kind::LengthAnswer, line, LengthValueOffset);
        } else if (candidate.kind == Kind::TitlePositionAnswer) {
            event = Answer(Kind::TitlePositionAnswer, line, TitlePositionValueOffset);
        } else {
            event = EngineEvent{};
            event->kind = candidate.kind;
            if (candidate.kind == Kind::Screenshot)
                event->screenshotPath = ScreenshotName(text);
            if (candidate.kind == Kind::VideoOutput)
                ReadDisplaySize(text, *event);
        }
        break;
    }
    if (event)
        event->line = line.toByteArray();
    return event;
}

QList<EngineEvent> EngineOutputParser::Feed(QByteArrayView bytes)
{
    return ParseAll(splitter.Feed(bytes));
}

QList<EngineEvent> EngineOutputParser::Finish()
{
    return ParseAll(splitter.Finish());
}

QList<EngineEvent> EngineOutputParser::ParseAll(const QList<QByteArray> &lines)
{
    QList<EngineEvent> events;
    for (const QByteArray &line : lines) {
        if (std::optional<EngineEvent> event = ParseLine(line))
            events << std::move(*event);
    }
    return events;
}
