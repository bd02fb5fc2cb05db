// Feeds arbitrary engine output to the line splitter and the output parser and checks that
// the reads' boundaries do not matter: the same lines and the same events come out whether
// the bytes arrive at once or in any pieces. Also that no line holds a line end or outgrows
// the limit, and that each event is what its own line parses to.

#include "../FuzzCheck.h"
#include "engine/EngineOutputParser.h"
#include "engine/LineSplitter.h"

#include <QHash>

#include <cstdint>

namespace {

bool SameEvent(const EngineEvent &a, const EngineEvent &b)
{
    return a.kind == b.kind && a.line == b.line && a.valueValid == b.valueValid &&
           a.value == b.value && a.wholeSeconds == b.wholeSeconds &&
           a.screenshotPath == b.screenshotPath && a.number == b.number &&
           a.language == b.language && a.title == b.title && a.subtitlePath == b.subtitlePath;
}

// Piece sizes drawn from the input itself, so that each input is cut the same way every run.
class Pieces
{
public:
    explicit Pieces(QByteArrayView bytes) : state(uint32_t(qHash(bytes)) | 1) {}

    qsizetype Next(qsizetype largest)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        // Mostly short pieces, now and then a long one.
        const qsizetype size = state % 8 == 0 ? qsizetype(state >> 8) : qsizetype(state % 5);
        return qBound<qsizetype>(1, size % (largest + 1), largest);
    }

private:
    uint32_t state;
};

template <typename Consumer> void FeedInPieces(QByteArrayView bytes, Consumer feed)
{
    Pieces pieces(bytes);
    while (!bytes.isEmpty()) {
        const qsizetype size = pieces.Next(bytes.size());
        feed(bytes.first(size));
        bytes = bytes.sliced(size);
    }
}

void CheckSplitter(QByteArrayView bytes, qsizetype limit)
{
    LineSplitter whole(limit);
    QList<QByteArray> expected = whole.Feed(bytes);
    expected << whole.Finish();

    LineSplitter split(limit);
    QList<QByteArray> lines;
    FeedInPieces(bytes, [&](QByteArrayView piece) {
        lines << split.Feed(piece);
        Check(split.PendingTail().size() <= limit);
    });
    lines << split.Finish();
    Check(lines == expected);
    for (const QByteArray &line : lines) {
        Check(!line.isEmpty() && line.size() <= limit);
        Check(!line.contains('\n') && !line.contains('\r'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // A small limit as well as the real one, so that overlong lines are reached quickly.
    CheckSplitter(bytes, 1 + (size ? data[0] % 64 : 0));
    CheckSplitter(bytes, LineSplitter::MaxLineLength);

    EngineOutputParser whole;
    QList<EngineEvent> expected = whole.Feed(bytes);
    expected << whole.Finish();
    for (const EngineEvent &event : expected) {
        const std::optional<EngineEvent> again = EngineOutputParser::ParseLine(event.line);
        Check(again && SameEvent(*again, event));
    }

    EngineOutputParser split;
    QList<EngineEvent> events;
    FeedInPieces(bytes, [&](QByteArrayView piece) { events << split.Feed(piece); });
    events << split.Finish();
    Check(events.size() == expected.size());
    for (qsizetype i = 0; i < events.size(); ++i)
        Check(SameEvent(events[i], expected[i]));
    return 0;
}
