#include "engine/EngineOutputParser.h"

#include <cmath>

namespace {

using Kind = EngineEvent::Kind;

// Where the number of an answer starts: just after the name and its "=".
constexpr qsizetype PositionValueOffset = 18;      // "ANS_TIME_POSITION="
constexpr qsizetype LengthValueOffset = 11;        // "ANS_LENGTH="
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
    {"ANS_sub_file=%s", Kind::SubtitleFileAnswer},
    {"ANS_ERROR=%s", Kind::ErrorAnswer},
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
    // The language sits inside the format's "%s" here; it is read from the matched line.
    {"audio stream: %d format: %s aid: %d.", Kind::DvdAudioStream},
    {"subtitle ( sid ): %d language: %s", Kind::DvdSubtitleStream},
    {"SUB: Added subtitle file (%d): %s", Kind::SubtitleFileAdded},
    {"ID_CHAPTER_%d_START=%d", Kind::ChapterStart},
    {"ID_CHAPTER_%d_NAME=%s", Kind::ChapterName},
    {"ID_SIGNAL=%d", Kind::EngineSignal},
    {"Selected audio codec: [%s] afm: %s", Kind::AudioDecoderSelected},
    {"AO: [%s] %dHz %dch %s", Kind::AudioOutput},
    {"Audio: no sound", Kind::NoSound},
    {"ADecoder init failed :(", Kind::AudioDecoderFailed},
    // Last: the answers above have their own kinds.
    {"ANS_%s=%s", Kind::PropertyAnswer},
};

// A path the engine prints is cut to this many bytes; no file system takes longer ones.
constexpr qsizetype PathLimit = 4096;

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

// The digits at the start of text as an int; -1 when there are none or they overflow.
int LeadingNumber(QByteArrayView text)
{
    qsizetype end = 0;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    bool ok = false;
    const int number = text.first(end).toByteArray().toInt(&ok);
    return ok ? number : -1;
}

// A language code as the engine prints it, or empty: real codes are two or three letters,
// with a region after "-" at most, and "unknown" is what a DVD says of an untagged stream.
QString LanguageCode(QByteArrayView code)
{
    if (code.size() < 2 || code.size() > 8 || code == "unknown")
        return QString();
    for (char c : code) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-'))
            return QString();
    }
    return QString::fromLatin1(code);
}

// Text from the media's metadata, fit for a menu: no control characters, bounded length.
QString MediaText(QByteArrayView bytes)
{
    QString text =
        QString::fromUtf8(bytes.first(qMin<qsizetype>(bytes.size(), 4 * EngineEvent::TitleLimit)));
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    text = text.trimmed();
    if (text.size() > EngineEvent::TitleLimit)
        text.truncate(EngineEvent::TitleLimit);
    return text;
}

QString PrintedPath(QByteArrayView bytes)
{
    return QString::fromLocal8Bit(bytes.first(qMin(bytes.size(), PathLimit)));
}

// Number, language and title of a matched "[lavf] stream" line: after the stream's
// "-aid N" come ", -alang CODE" and ", TITLE", each only when the media has it.
void ReadLavfStream(QByteArrayView line, QByteArrayView idMarker, QByteArrayView langMarker,
                    EngineEvent &event)
{
    QByteArrayView rest = line.sliced(line.indexOf(idMarker) + idMarker.size());
    event.number = LeadingNumber(rest);
    while (!rest.isEmpty() && IsDigit(rest.front()))
        rest = rest.sliced(1);
    if (rest.startsWith(", ") && rest.sliced(2).startsWith(langMarker)) {
        rest = rest.sliced(2 + langMarker.size());
        const qsizetype end = rest.indexOf(", ");
        event.language = LanguageCode(end < 0 ? rest : rest.first(end));
        rest = end < 0 ? QByteArrayView() : rest.sliced(end);
    }
    if (rest.startsWith(", "))
        event.title = MediaText(rest.sliced(2));
}

// "audio stream: N format: F (C) language: L aid: A.": the format and channels become the
// title, so that two tracks of one language can still be told apart.
void ReadDvdAudioStream(QByteArrayView line, EngineEvent &event)
{
    constexpr QByteArrayView Head("audio stream: ");
    constexpr QByteArrayView Format(" format: ");
    constexpr QByteArrayView Language(" language: ");
    QByteArrayView rest = line.sliced(Head.size());
    event.number = LeadingNumber(rest);
    rest = rest.sliced(rest.indexOf(Format) + Format.size());
    rest = rest.first(rest.lastIndexOf(" aid: "));
    const qsizetype language = rest.lastIndexOf(Language);
    if (language >= 0) {
        event.language = LanguageCode(rest.sliced(language + Language.size()));
        rest = rest.first(language);
    }
    event.title = MediaText(rest);
}

// Chapter starts come in milliseconds; beyond LargestSeconds they are noise.
void ReadChapterStart(QByteArrayView line, EngineEvent &event)
{
    const QByteArrayView value = line.sliced(line.indexOf('=') + 1);
    bool ok = false;
    const qulonglong milliseconds = value.toByteArray().toULongLong(&ok);
    const double seconds = static_cast<double>(milliseconds) / 1000.0;
    if (ok && seconds < LargestSeconds) {
        event.value = seconds;
        event.valueValid = true;
        event.wholeSeconds = static_cast<qint64>(seconds);
    }
}

// Reads what the line says beyond its kind; the line has matched the kind's shape.
void ReadDetails(QByteArrayView text, EngineEvent &event)
{
    constexpr QByteArrayView ChapterHead("ID_CHAPTER_");
    switch (event.kind) {
    case Kind::Screenshot:
        event.screenshotPath = ScreenshotName(text);
        break;
    case Kind::VideoOutput:
        ReadDisplaySize(text, event);
        break;
    case Kind::AudioStream:
        ReadLavfStream(text, ", -aid ", "-alang ", event);
        break;
    case Kind::SubtitleStream:
        ReadLavfStream(text, ", -sid ", "-slang ", event);
        break;
    case Kind::DvdAudioStream:
        ReadDvdAudioStream(text, event);
        break;
    case Kind::DvdSubtitleStream: {
        constexpr QByteArrayView Head("subtitle ( sid ): ");
        const QByteArrayView rest = text.sliced(Head.size());
        event.number = LeadingNumber(rest);
        event.language = LanguageCode(rest.sliced(rest.indexOf(" language: ") + 11));
        break;
    }
    case Kind::SubtitleFileAdded: {
        constexpr QByteArrayView Head("SUB: Added subtitle file (");
        const QByteArrayView rest = text.sliced(Head.size());
        event.number = LeadingNumber(rest);
        event.subtitlePath = PrintedPath(rest.sliced(rest.indexOf("): ") + 3));
        break;
    }
    case Kind::SubtitleFileAnswer: {
        // "-1" when no file shows; anything but a whole number leaves -1 too.
        bool ok = false;
        const int shown = text.sliced(text.indexOf('=') + 1).toByteArray().toInt(&ok);
        event.number = ok && shown >= -1 ? shown : -1;
        break;
    }
    case Kind::ChapterStart:
        event.number = LeadingNumber(text.sliced(ChapterHead.size()));
        ReadChapterStart(text, event);
        break;
    case Kind::ChapterName:
        event.number = LeadingNumber(text.sliced(ChapterHead.size()));
        event.title = MediaText(text.sliced(text.indexOf('=') + 1));
        break;
    case Kind::EngineSignal:
        event.number = LeadingNumber(text.sliced(text.indexOf('=') + 1));
        break;
    case Kind::AudioDecoderSelected: {
        constexpr QByteArrayView Family("] afm: ");
        QByteArrayView rest = text.sliced(text.indexOf(Family) + Family.size());
        const qsizetype end = rest.indexOf(' ');
        event.title = MediaText(end < 0 ? rest : rest.first(end));
        break;
    }
    case Kind::AudioOutput: {
        const QByteArrayView rest = text.sliced(text.indexOf("Hz ") + 3);
        event.number = LeadingNumber(rest);
        break;
    }
    case Kind::PropertyAnswer: {
        constexpr QByteArrayView Head("ANS_");
        const qsizetype equals = text.indexOf('=');
        event.title = QString::fromLatin1(text.sliced(Head.size(), equals - Head.size()));
        event.answerText = MediaText(text.sliced(equals + 1));
        break;
    }
    default:
        break;
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
            ReadDetails(text, *event);
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
