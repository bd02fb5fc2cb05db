#include "i18n/CPrivateProfile.h"

#include "platform/RegularFileReader.h"
#include "platform/WholeFileWriter.h"

#include <QStringDecoder>
#include <QtEndian>

#include <cstring>

namespace {

constexpr char Utf16Mark[] = "\xFF\xFE";
constexpr char Utf8Mark[] = "\xEF\xBB\xBF";

using Encoding = CPrivateProfile::Encoding;

enum class LineKind
{
    Blank,
    Comment,
    SectionHeader,
    Entry,
};

// One line of the file as stored, in bytes: its text is [start, contentEnd), its line end
// [contentEnd, end).
struct LineBounds
{
    qsizetype start = 0;
    qsizetype contentEnd = 0;
    qsizetype end = 0;

    bool HasLineEnd() const { return end > contentEnd; }
};

Encoding DetectEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf16Mark))
        return Encoding::Utf16LittleEndian;
    if (bytes.startsWith(Utf8Mark))
        return Encoding::EightBitWithUtf8Mark;
    return Encoding::EightBit;
}

// Walks the lines of a file without decoding them, in one pass. In UTF-16LE a line ends at
// the code unit 0x000A; an odd last byte is half a character and belongs to no line.
class LineCursor
{
public:
    LineCursor(QByteArrayView fileBytes, Encoding encoding)
        : bytes(fileBytes), wide(encoding == Encoding::Utf16LittleEndian)
    {
        position = wide ? 2 : encoding == Encoding::EightBitWithUtf8Mark ? 3 : 0;
        position = qMin(position, bytes.size());
        limit = wide ? position + ((bytes.size() - position) & ~qsizetype(1)) : bytes.size();
    }

    // The first byte that no line holds: the end of the file, or its odd last byte.
    qsizetype Limit() const { return limit; }
    int UnitSize() const { return wide ? 2 : 1; }

    bool Next(LineBounds &line)
    {
        if (position >= limit)
            return false;
        line.start = position;
        qsizetype newline = -1;
        if (wide) {
            for (qsizetype i = position; i < limit; i += 2) {
                if (bytes[i] == '\n' && bytes[i + 1] == '\0') {
                    newline = i;
                    break;
                }
            }
        } else {
            const void *found =
                std::memchr(bytes.data() + position, '\n', size_t(limit - position));
            if (found)
                newline = static_cast<const char *>(found) - bytes.data();
        }
        if (newline < 0) {
            line.contentEnd = line.end = limit;
        } else {
            line.contentEnd = newline;
            line.end = newline + UnitSize();
            if (newline - line.start >= UnitSize() && Unit(newline - UnitSize()) == '\r')
                line.contentEnd = newline - UnitSize();
        }
        position = line.end;
        return true;
    }

    char16_t Unit(qsizetype at) const
    {
        if (!wide)
            return char16_t(uchar(bytes[at]));
        return char16_t(uchar(bytes[at]) | (uchar(bytes[at + 1]) << 8));
    }

    // The line's first unit that is not ASCII white space, or -1 for a line of nothing else.
    // Enough to settle most lines without decoding them.
    int FirstNonBlank(const LineBounds &line) const
    {
        for (qsizetype i = line.start; i < line.contentEnd; i += UnitSize()) {
            const char16_t unit = Unit(i);
            if (unit != ' ' && (unit < '\t' || unit > '\r'))
                return unit;
        }
        return -1;
    }

    // Decodes the line's text into text, whose storage is reused from line to line.
    void Decode(const LineBounds &line, QString &text)
    {
        const qsizetype size = line.contentEnd - line.start;
        if (!wide) {
            // The 8-bit encoding is the one QString::fromLocal8Bit reads.
            text.resize(size);
            QChar *end = decoder.appendToBuffer(text.data(), bytes.sliced(line.start, size));
            text.truncate(end - text.constData());
            return;
        }
        // Code units are copied as they are, unpaired surrogates included, so that a line
        // reads the same whether or not its neighbours decode.
        text.resize(size / 2);
        qFromLittleEndian<char16_t>(bytes.data() + line.start, size / 2, text.data());
    }

    QString Decode(const LineBounds &line)
    {
        QString text;
        Decode(line, text);
        return text;
    }

private:
    QByteArrayView bytes;
    bool wide;
    // Every line is decoded on its own, so a decoder that drops a leading byte-order mark
    // would take U+FEFF off the start of any line; the file's own mark is skipped above.
    QStringDecoder decoder{QStringDecoder::System, QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom};
    qsizetype position = 0;
    qsizetype limit = 0;
};

QByteArray Encode(const QString &text, Encoding encoding)
{
    if (encoding != Encoding::Utf16LittleEndian)
        return text.toLocal8Bit();
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

struct ParsedLine
{
    LineKind kind = LineKind::Blank;
    // The section name of a header; for an entry, its key (the whole entry without "=").
    QStringView name;
    // An entry's value; null for an entry without "=".
    QStringView value;
};

// The view points into text, which must outlive the result.
ParsedLine ParseLine(QStringView text)
{
    ParsedLine parsed;
    const QStringView line = text.trimmed();
    if (line.isEmpty())
        return parsed;
    if (line.startsWith(QLatin1Char(';'))) {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (line.startsWith(QLatin1Char('['))) {
        // Anything after the closing bracket is ignored; a header that never closes names
        // everything to the end of the line.
        const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
        parsed.kind = LineKind::SectionHeader;
        parsed.name = (close > 0 ? line.sliced(1, close - 1) : line.sliced(1)).trimmed();
        return parsed;
    }
    parsed.kind = LineKind::Entry;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        parsed.name = line;
    } else {
        parsed.name = line.first(equals).trimmed();
        parsed.value = line.sliced(equals + 1).trimmed();
        if (parsed.value.isNull())
            parsed.value = QStringView(u"");
    }
    return parsed;
}

bool HasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

bool IsQuoted(QStringView value)
{
    return value.size() >= 2 && value.front() == value.back() &&
           (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''));
}

// Keeps the leading strings that fit whole into a buffer of bufferSize characters in which
// every string is followed by a terminator and one more terminator closes the list.
class WholeStrings
{
public:
    explicit WholeStrings(int bufferSize) : room(qsizetype(bufferSize) - 1) {}

    // Takes the string if it fits; false once the buffer is full, for this and every later one.
    bool Take(QStringView string)
    {
        if (full || string.size() + 1 > room) {
            full = true;
            return false;
        }
        room -= string.size() + 1;
        kept.append(string.toString());
        return true;
    }

    QStringList kept;

private:
    qsizetype room;
    bool full = false;
};

bool TooLarge(const QString &what, qint64 size)
{
    if (size <= CPrivateProfile::MaxFileSize)
        return false;
    qWarning("%s: %lld bytes is more than the %lld read from a settings or language file; "
             "the file is ignored",
             qPrintable(what), size, qint64(CPrivateProfile::MaxFileSize));
    return true;
}

} // namespace

CPrivateProfile CPrivateProfile::Load(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadRegularFile(path, MaxFileSize);
    return bytes ? Parse(*bytes) : CPrivateProfile();
}

CPrivateProfile CPrivateProfile::Parse(const QByteArray &bytes)
{
    CPrivateProfile profile;
    if (TooLarge(QStringLiteral("settings"), bytes.size()))
        return profile;
    profile.encoding = DetectEncoding(bytes);
    LineBounds bounds;

    // A first pass without decoding counts what the lines can hold at most, so that the
    // store is allocated once and never grows by doubling past twice what it needs.
    qsizetype headers = 0;
    qsizetype lines = 0;
    qsizetype characters = 0;
    LineCursor counting(bytes, profile.encoding);
    while (counting.Next(bounds)) {
        const int first = counting.FirstNonBlank(bounds);
        if (first < 0 || first == ';')
            continue;
        headers += first == '[' || first >= 0x80;
        lines += first != '[';
        characters += (bounds.contentEnd - bounds.start) / counting.UnitSize();
    }
    profile.sections.reserve(size_t(headers));
    profile.entries.reserve(size_t(lines));
    profile.pool.reserve(characters);

    const auto place = [&profile](QStringView text) {
        const Span span{qint32(profile.pool.size()), qint32(text.size())};
        profile.pool.append(text);
        return span;
    };
    LineCursor cursor(bytes, profile.encoding);
    QString text;
    while (cursor.Next(bounds)) {
        const int first = cursor.FirstNonBlank(bounds);
        if (first < 0 || first == ';')
            continue;
        // Lines before the first section belong to no entry and need no decoding either.
        if (profile.sections.empty() && first != '[' && first < 0x80)
            continue;
        cursor.Decode(bounds, text);
        const ParsedLine line = ParseLine(text);
        if (line.kind == LineKind::SectionHeader) {
            const qint32 next = qint32(profile.entries.size());
            profile.sections.push_back({place(line.name), next, next});
        } else if (line.kind == LineKind::Entry && !profile.sections.empty()) {
            Span entry = place(line.name);
            if (!line.value.isNull()) {
                profile.pool.append(QLatin1Char('='));
                profile.pool.append(line.value);
                entry.length += qint32(1 + line.value.size());
            }
            profile.entries.push_back(entry);
            profile.sections.back().endEntry = qint32(profile.entries.size());
        }
    }
    return profile;
}

QStringView CPrivateProfile::Text(Span span) const
{
    return QStringView(pool).sliced(span.start, span.length);
}

const CPrivateProfile::Section *CPrivateProfile::FindSection(const QString &name) const
{
    for (const Section &section : sections) {
        if (Text(section.name) == name)
            return &section;
    }
    return nullptr;
}

QString CPrivateProfile::ReadString(const QString &section, const QString &key,
                                    const QString &defaultValue, int bufferSize) const
{
    if (bufferSize <= 0)
        return QString();
    QString value = defaultValue;
    if (const Section *found = FindSection(section)) {
        for (qint32 i = found->firstEntry; i < found->endEntry; ++i) {
            const QStringView entry = Text(entries[size_t(i)]);
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            if ((equals < 0 ? entry : entry.first(equals)) != key)
                continue;
            // An entry without "=" is a key with no value.
            QStringView text = equals < 0 ? QStringView() : entry.sliced(equals + 1);
            if (IsQuoted(text))
                text = text.sliced(1, text.size() - 2);
            value = text.toString();
            break;
        }
    }
    return value.left(bufferSize - 1);
}

QStringList CPrivateProfile::ReadSection(const QString &section, int bufferSize) const
{
    WholeStrings list(bufferSize);
    if (const Section *found = FindSection(section)) {
        for (qint32 i = found->firstEntry; i < found->endEntry; ++i) {
            if (!list.Take(Text(entries[size_t(i)])))
                break;
        }
    }
    return list.kept;
}

QStringList CPrivateProfile::ReadSectionNames(int bufferSize) const
{
    WholeStrings list(bufferSize);
    for (const Section &section : sections) {
        // A nameless section cannot be asked for by name, so it is not offered.
        if (section.name.length > 0 && !list.Take(Text(section.name)))
            break;
    }
    return list.kept;
}

std::pair<QString, QString> CPrivateProfile::SplitEntry(const QString &entry)
{
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {entry, entry};
    return {entry.left(equals), entry.mid(equals + 1)};
}

std::optional<QByteArray> CPrivateProfile::WithValue(const QByteArray &bytes,
                                                     const QString &section, const QString &key,
                                                     const QString &value)
{
    // Anything that would split the line, end the name early or be read as something else
    // could not be read back.
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
        section.contains(QLatin1Char(']')) || section != section.trimmed() ||
        key.contains(QLatin1Char('=')) || key.isEmpty() || key != key.trimmed() ||
        key.startsWith(QLatin1Char(';')) || key.startsWith(QLatin1Char('[')))
        return std::nullopt;
    if (TooLarge(QStringLiteral("settings"), bytes.size()))
        return std::nullopt;

    const Encoding encoding = DetectEncoding(bytes);
    LineCursor cursor(bytes, encoding);
    const QString writtenValue = value != value.trimmed() || IsQuoted(value)
                                     ? QLatin1Char('"') + value + QLatin1Char('"')
                                     : value;
    const QByteArray newEntry = Encode(key + QLatin1Char('=') + writtenValue, encoding);

    // One pass: the line to replace, or the line to add after, and the file's line ends.
    // Only the first section of that name counts, as only it is ever read.
    bool inSection = false;
    bool sectionDone = false;
    std::optional<LineBounds> replace;
    std::optional<LineBounds> insertAfter;
    std::optional<LineBounds> lastLine;
    bool crlf = false;
    LineBounds bounds;
    while (cursor.Next(bounds)) {
        lastLine = bounds;
        crlf = crlf || bounds.end - bounds.contentEnd == 2 * cursor.UnitSize();
        if (sectionDone || replace)
            continue;
        // Most lines are settled by their first character, without decoding.
        const int first = cursor.FirstNonBlank(bounds);
        if (first < 0)
            continue;
        if (first == ';') {
            if (inSection)
                insertAfter = bounds;
            continue;
        }
        if (!inSection && first != '[' && first < 0x80)
            continue;
        const QString text = cursor.Decode(bounds);
        const ParsedLine line = ParseLine(text);
        if (line.kind == LineKind::SectionHeader) {
            if (inSection) {
                sectionDone = true;
            } else if (line.name == section) {
                inSection = true;
                insertAfter = bounds;
            }
            continue;
        }
        if (!inSection || line.kind == LineKind::Blank)
            continue;
        insertAfter = bounds;
        if (line.kind == LineKind::Entry && line.name == key)
            replace = bounds;
    }
    const QByteArray lineEnd =
        Encode(crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"), encoding);

    QByteArray updated;
    if (replace) {
        updated = bytes.first(replace->start) + newEntry + bytes.sliced(replace->contentEnd);
    } else if (insertAfter) {
        const LineBounds after = *insertAfter;
        updated = bytes.first(after.end);
        if (!after.HasLineEnd())
            updated += lineEnd;
        updated += newEntry + lineEnd + bytes.sliced(after.end);
    } else {
        // A new section at the end, before an odd last byte that belongs to no line.
        const qsizetype end = cursor.Limit();
        updated = bytes.first(end);
        if (lastLine && !lastLine->HasLineEnd())
            updated += lineEnd;
        updated += Encode(QLatin1Char('[') + section + QLatin1Char(']'), encoding) + lineEnd +
                   newEntry + lineEnd + bytes.sliced(end);
    }
    return updated;
}

bool CPrivateProfile::WriteString(const QString &path, const QString &section, const QString &key,
                                  const QString &value)
{
    // A file that cannot be read whole is not rewritten: what it held would be lost.
    const std::optional<QByteArray> bytes = ReadRegularFile(path, MaxFileSize);
    if (!bytes)
        return false;
    const std::optional<QByteArray> updated = WithValue(*bytes, section, key, value);
    if (!updated)
        return false;
    return WriteWholeFile(path, *updated);
}
