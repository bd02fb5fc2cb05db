#include "i18n/CPrivateProfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const char utf16Mark[] = "\xFF\xFE";
const char utf8Mark[] = "\xEF\xBB\xBF";

enum class LineKind
{
    Blank,
    Comment,
    SectionHeader,
    Entry,
};

struct ParsedLine
{
    LineKind kind = LineKind::Blank;
    // The section name for a header; for an entry, the entry as the caller sees it.
    QString text;
    // The key of an entry (the whole entry when it has no "=").
    QString key;
};

ParsedLine ParseLine(const QString &rawLine)
{
    ParsedLine parsed;
    const QString line = rawLine.trimmed();
    if (line.isEmpty()) {
        return parsed;
    }
    if (line.startsWith(QLatin1Char(';'))) {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (line.startsWith(QLatin1Char('['))) {
        // Anything after the closing bracket is ignored; a header that never closes names
        // everything to the end of the line.
        const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
        parsed.kind = LineKind::SectionHeader;
        parsed.text = (close > 0 ? line.mid(1, close - 1) : line.mid(1)).trimmed();
        return parsed;
    }
    parsed.kind = LineKind::Entry;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        parsed.text = line;
        parsed.key = line;
    } else {
        parsed.key = line.left(equals).trimmed();
        parsed.text = parsed.key + QLatin1Char('=') + line.mid(equals + 1).trimmed();
    }
    return parsed;
}

// Keeps the leading strings that fit whole into a buffer of bufferSize characters in which
// every string is followed by a terminator and one more terminator closes the list.
QStringList TakeWholeStrings(const QStringList &strings, int bufferSize)
{
    QStringList kept;
    qsizetype used = 1;
    for (const QString &string : strings) {
        if (used + string.size() + 1 > bufferSize) {
            break;
        }
        used += string.size() + 1;
        kept.append(string);
    }
    return kept;
}

// A line of the file as stored, with its line end kept apart so that an edit can keep it.
struct RawLine
{
    QString content;
    QString ending;
};

std::vector<RawLine> SplitLines(const QString &text)
{
    std::vector<RawLine> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf(QLatin1Char('\n'), start);
        if (newline < 0) {
            lines.push_back({text.mid(start), QString()});
            break;
        }
        qsizetype contentEnd = newline;
        if (contentEnd > start && text.at(contentEnd - 1) == QLatin1Char('\r')) {
            --contentEnd;
        }
        lines.push_back(
            {text.mid(start, contentEnd - start), text.mid(contentEnd, newline + 1 - contentEnd)});
        start = newline + 1;
    }
    return lines;
}

bool HasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

QString CPrivateProfile::Decode(const QByteArray &bytes, Encoding &encodingOut)
{
    if (bytes.startsWith(utf16Mark)) {
        encodingOut = Encoding::Utf16LittleEndian;
        QStringDecoder decoder(QStringConverter::Utf16LE);
        // An odd last byte is half a character and is dropped.
        const qsizetype evenSize = (bytes.size() - 2) & ~qsizetype(1);
        return decoder(QByteArrayView(bytes).sliced(2, evenSize));
    }
    if (bytes.startsWith(utf8Mark)) {
        encodingOut = Encoding::EightBitWithUtf8Mark;
        return QString::fromLocal8Bit(QByteArrayView(bytes).sliced(3));
    }
    encodingOut = Encoding::EightBit;
    return QString::fromLocal8Bit(bytes);
}

QByteArray CPrivateProfile::Encode(const QString &text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16LittleEndian: {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return QByteArray(utf16Mark) + QByteArray(encoder(text));
    }
    case Encoding::EightBitWithUtf8Mark:
        return QByteArray(utf8Mark) + text.toLocal8Bit();
    case Encoding::EightBit:
        break;
    }
    return text.toLocal8Bit();
}

CPrivateProfile CPrivateProfile::Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return CPrivateProfile();
    }
    return Parse(file.readAll());
}

CPrivateProfile CPrivateProfile::Parse(const QByteArray &bytes)
{
    CPrivateProfile profile;
    const QString text = Decode(bytes, profile.encoding);
    Section *current = nullptr;
    for (const RawLine &raw : SplitLines(text)) {
        const ParsedLine line = ParseLine(raw.content);
        if (line.kind == LineKind::SectionHeader) {
            profile.sections.push_back({line.text, {}});
            current = &profile.sections.back();
        } else if (line.kind == LineKind::Entry && current) {
            current->entries.append(line.text);
        }
    }
    return profile;
}

const CPrivateProfile::Section *CPrivateProfile::FindSection(const QString &name) const
{
    for (const Section &section : sections) {
        if (section.name == name) {
            return &section;
        }
    }
    return nullptr;
}

QString CPrivateProfile::ReadString(const QString &section, const QString &key,
                                    const QString &defaultValue, int bufferSize) const
{
    if (bufferSize <= 0) {
        return QString();
    }
    QString value = defaultValue;
    if (const Section *found = FindSection(section)) {
        for (const QString &entry : found->entries) {
            const auto [entryKey, entryValue] = SplitEntry(entry);
            if (entryKey != key) {
                continue;
            }
            // An entry without "=" is a key with no value.
            value = entry.contains(QLatin1Char('=')) ? entryValue : QString();
            if (value.size() >= 2 && value.front() == value.back() &&
                (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))) {
                value = value.mid(1, value.size() - 2);
            }
            break;
        }
    }
    return value.left(bufferSize - 1);
}

QStringList CPrivateProfile::ReadSection(const QString &section, int bufferSize) const
{
    const Section *found = FindSection(section);
    return found ? TakeWholeStrings(found->entries, bufferSize) : QStringList();
}

QStringList CPrivateProfile::ReadSectionNames(int bufferSize) const
{
    QStringList names;
    for (const Section &section : sections) {
        // A nameless section cannot be asked for by name, so it is not offered.
        if (!section.name.isEmpty()) {
            names.append(section.name);
        }
    }
    return TakeWholeStrings(names, bufferSize);
}

std::pair<QString, QString> CPrivateProfile::SplitEntry(const QString &entry)
{
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return {entry, entry};
    }
    return {entry.left(equals), entry.mid(equals + 1)};
}

bool CPrivateProfile::WriteString(const QString &path, const QString &section, const QString &key,
                                  const QString &value)
{
    // Anything that would split the line or end the name early could not be read back.
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
        section.contains(QLatin1Char(']')) || key.contains(QLatin1Char('=')) ||
        key.trimmed().isEmpty() || key.startsWith(QLatin1Char(';'))) {
        return false;
    }

    Encoding encoding = Encoding::EightBit;
    QString text;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            return false;
        }
        text = Decode(existing.readAll(), encoding);
        existing.close();
    }

    std::vector<RawLine> lines = SplitLines(text);
    const QString lineEnd =
        text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QString newEntry = key + QLatin1Char('=') + value;

    // Only the first section of that name counts, as only it is ever read.
    bool inSection = false;
    bool sectionSeen = false;
    qsizetype insertAfter = -1;
    bool replaced = false;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const ParsedLine line = ParseLine(lines[i].content);
        if (line.kind == LineKind::SectionHeader) {
            if (inSection) {
                break;
            }
            if (line.text == section && !sectionSeen) {
                inSection = true;
                sectionSeen = true;
                insertAfter = i;
            }
            continue;
        }
        if (!inSection || line.kind == LineKind::Blank) {
            continue;
        }
        insertAfter = i;
        if (line.kind == LineKind::Entry && line.key == key) {
            lines[i].content = newEntry;
            replaced = true;
            break;
        }
    }

    if (!replaced) {
        if (sectionSeen) {
            if (lines[insertAfter].ending.isEmpty()) {
                lines[insertAfter].ending = lineEnd;
            }
            lines.insert(lines.begin() + insertAfter + 1, {newEntry, lineEnd});
        } else {
            if (!lines.empty() && lines.back().ending.isEmpty()) {
                lines.back().ending = lineEnd;
            }
            lines.push_back({QLatin1Char('[') + section + QLatin1Char(']'), lineEnd});
            lines.push_back({newEntry, lineEnd});
        }
    }

    QString updated;
    for (const RawLine &line : lines) {
        updated += line.content + line.ending;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = Encode(updated, encoding);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
