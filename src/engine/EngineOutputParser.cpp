#include "engine/EngineOutputParser.h"

#include <cmath>

namespace {

constexpr QByteArrayView PositionPrefix("ANS_TIME_POSITION");
constexpr QByteArrayView LengthPrefix("ANS_LENGTH");
constexpr QByteArrayView PercentPrefix("ANS_PERCENT_POSITION");
constexpr QByteArrayView ScreenshotMarker("*** screenshot ");

// Where the number of an answer starts: just after the name and its "=".
constexpr qsizetype PositionValueOffset = 18; // "ANS_TIME_POSITION="
constexpr qsizetype LengthValueOffset = 11;   // "ANS_LENGTH="

// Where the file name of a screenshot line starts: after "*** screenshot '".
constexpr qsizetype ScreenshotNameOffset = 16;
// The engine's file name is cut to this many bytes, as the fixed buffer of the window kept it.
constexpr qsizetype ScreenshotNameLimit = 511;

// Beyond this a length or position is no real media time, only noise in the answer; it
// also keeps the conversion to whole seconds well defined.
constexpr double LargestSeconds = 9007199254740992.0; // 2^53

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

QString ScreenshotName(QByteArrayView line)
{
    if (line.size() <= ScreenshotNameOffset)
        return QString();
    QByteArrayView name = line.sliced(ScreenshotNameOffset);
    const qsizetype quote = name.indexOf('\'');
    if (quote >= 0)
        name.truncate(quote);
    if (name.size() > ScreenshotNameLimit)
        name.truncate(ScreenshotNameLimit);
    return QString::fromLocal8Bit(name);
}

} // namespace

std::optional<EngineEvent> EngineOutputParser::ParseLine(QByteArrayView line)
{
    using Kind = EngineEvent::Kind;

    std::optional<EngineEvent> event;
    if (line.startsWith(PositionPrefix)) {
        event = Answer(Kind::PositionAnswer, line, PositionValueOffset);
    } else if (line.startsWith(LengthPrefix)) {
        event = Answer(Kind::LengthAnswer, line, LengthValueOffset);
    } else if (line.startsWith(PercentPrefix)) {
        event = EngineEvent{};
        event->kind = Kind::PercentAnswer;
    } else {
        QByteArrayView text = line;
        const qsizetype zero = text.indexOf('\0');
        if (zero >= 0)
            text.truncate(zero);

        static const struct
        {
            QByteArrayView marker;
            Kind kind;
        } markers[] = {
            {"Playing ", Kind::Playing},     {"(End of file)", Kind::EndOfFile},
            {"(Quit)", Kind::Quit},          {ScreenshotMarker, Kind::Screenshot},
            {", -aid ", Kind::AudioStream},  {", -sid ", Kind::SubtitleStream},
            {"VIDEO: ", Kind::VideoStarted},
        };
        for (const auto &candidate : markers) {
            if (text.contains(candidate.marker)) {
                event = EngineEvent{};
                event->kind = candidate.kind;
                break;
            }
        }
        if (event && event->kind == Kind::Screenshot)
            event->screenshotPath = ScreenshotName(line);
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
