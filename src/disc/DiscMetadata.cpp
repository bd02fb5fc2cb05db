#include "disc/DiscMetadata.h"

#include "disc/ReadOnlyFile.h"

#include <QFile>

namespace {

// fgets with a 2,048-byte buffer: at most 2,047 bytes per read.
constexpr qsizetype MaxLineRead = 2047;
// The original's buffers hold 256 bytes with their terminator.
constexpr qsizetype MaxValue = 255;

constexpr char NameOpen[] = "<di:name>";
constexpr char NameClose[] = "</";
constexpr char ThumbnailOpen[] = "<di:thumbnail href=\"";

// The value after `open` up to `close`, or to the end of the line; false when the line does
// not hold `open`.
bool ValueAfter(QByteArrayView line, QByteArrayView open, QByteArrayView close, QByteArray &value)
{
    const qsizetype at = line.indexOf(open);
    if (at < 0)
        return false;
    const QByteArrayView rest = line.sliced(at + open.size());
    const qsizetype end = rest.indexOf(close);
    value = (end < 0 ? rest : rest.first(end)).toByteArray();
    return true;
}

void TakeLine(QByteArrayView read, DiscMetadata &metadata)
{
    // The line is C text: a zero byte ends it.
    const qsizetype zero = read.indexOf('\0');
    const QByteArrayView line = zero < 0 ? read : read.first(zero);
    QByteArray value;
    if (ValueAfter(line, NameOpen, NameClose, value)) {
        if (value.size() <= MaxValue)
            metadata.nameBytes = value;
    } else if (ValueAfter(line, ThumbnailOpen, "\"", value)) {
        if (value.size() <= MaxValue)
            metadata.thumbnailBytes = value;
    }
}

// Feeds bytes to the line rules in pieces, as they arrive. A damaged disc can make the file
// megabytes long: the bytes are taken in runs up to the next line end, never one by one.
class LineFeeder
{
public:
    explicit LineFeeder(DiscMetadata &metadata) : metadata(metadata) {}

    void Feed(QByteArrayView bytes)
    {
        while (!bytes.isEmpty()) {
            if (carriageReturn) {
                carriageReturn = false;
                if (bytes.front() == '\n') {
                    Put("\n");
                    bytes = bytes.sliced(1);
                    continue;
                }
                // A "\r" on its own is text, as in a file read in text mode.
                Put("\r");
            }
            const qsizetype carriage = bytes.indexOf('\r');
            if (carriage < 0) {
                Put(bytes);
                return;
            }
            Put(bytes.first(carriage));
            carriageReturn = true;
            bytes = bytes.sliced(carriage + 1);
        }
    }

    void Finish()
    {
        if (carriageReturn)
            Put("\r");
        if (!line.isEmpty())
            TakeLine(line, metadata);
        metadata.name = QString::fromUtf8(metadata.nameBytes);
        metadata.thumbnail = QFile::decodeName(metadata.thumbnailBytes);
    }

private:
    // Bytes without "\r": a line ends after "\n" or when a read would be full.
    void Put(QByteArrayView run)
    {
        while (!run.isEmpty()) {
            QByteArrayView piece = run.first(qMin(MaxLineRead - line.size(), run.size()));
            const qsizetype newline = piece.indexOf('\n');
            if (newline >= 0)
                piece = piece.first(newline + 1);
            line.append(piece);
            run = run.sliced(piece.size());
            if (newline >= 0 || line.size() == MaxLineRead) {
                TakeLine(line, metadata);
                line.resize(0);
            }
        }
    }

    DiscMetadata &metadata;
    QByteArray line;
    bool carriageReturn = false; // a "\r" waiting to see whether "\n" follows
};

} // namespace

DiscMetadata ReadDiscMetadata(const QString &path)
{
    DiscMetadata metadata;
    // Opened without blocking and read only when it is a regular file: a named pipe in its
    // place would otherwise hold the scan for ever.
    ReadOnlyFile file;
    if (file.Open(path) != 0 || file.RegularFileSize() < 0)
        return metadata;
    LineFeeder feeder(metadata);
    char chunk[65536];
    for (qint64 offset = 0;;) {
        qint64 got = 0;
        file.ReadAt(chunk, sizeof chunk, offset, got);
        if (got <= 0)
            break;
        offset += got;
        feeder.Feed(QByteArrayView(chunk, got));
    }
    feeder.Finish();
    return metadata;
}

DiscMetadata ReadDiscMetadataBytes(QByteArrayView bytes)
{
    DiscMetadata metadata;
    LineFeeder feeder(metadata);
    feeder.Feed(bytes);
    feeder.Finish();
    return metadata;
}
