#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// An INI file read and written with the rules of the classic private-profile functions, which
// the settings and language files were made for:
//
// - A file that starts with the UTF-16LE byte-order mark is UTF-16LE; any other file is 8-bit
//   text in the locale's encoding (a leading UTF-8 byte-order mark, which Linux editors like
//   to add, is dropped rather than read as part of the first line).
// - Lines end in LF or CR LF. "[name]" opens a section; lines before the first section, blank
//   lines and lines starting with ";" belong to no entry. Section names, keys and values lose
//   the spaces and tabs around them.
// - An entry reaches the caller as one string, "key=value" (or the whole line when it has no
//   "="), and the caller splits it at the first "=".
// - Names match exactly, letter case included: the program's own text table is case-sensitive
//   and the reader agrees with it, so a file never yields texts that the table would not.
// - Buffer sizes are in UTF-16 characters, as the callers' fixed buffers were. A single string
//   is cut to size - 1 characters. A list of strings, each followed by a terminator, with one
//   more terminator closing the list, holds only the strings that fit whole; the string that
//   would overflow and every string after it are lost (the platform functions would hand over
//   that string cut short, which could only name a section or text that does not exist).
//
// A missing or unreadable file reads as an empty one, and so does a file larger than
// MaxFileSize, with a warning in the log: settings and language files are a few kilobytes,
// and a huge one is a mistake or an attack, not something to spend the start-up on. Only a
// regular file is read (ReadRegularFile): a named pipe in its place is ignored, not waited on.
class CPrivateProfile
{
public:
    static constexpr qsizetype MaxFileSize = 16 * 1024 * 1024;

    enum class Encoding
    {
        EightBit,
        EightBitWithUtf8Mark,
        Utf16LittleEndian,
    };

    CPrivateProfile() = default;
    static CPrivateProfile Load(const QString &path);
    // The same for file contents already in memory.
    static CPrivateProfile Parse(const QByteArray &bytes);

    bool IsEmpty() const { return sections.empty(); }
    Encoding FileEncoding() const { return encoding; }

    // The value of a key in the first section of that name, or defaultValue when either is
    // absent. A value wrapped in matching single or double quotes loses them.
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue,
                       int bufferSize) const;
    // Every entry of the first section of that name, in file order.
    QStringList ReadSection(const QString &section, int bufferSize) const;
    // The section names in file order.
    QStringList ReadSectionNames(int bufferSize) const;

    // Sets key to value in the file at path (see WithValue). A missing file is created as
    // 8-bit text. The file is replaced in one step (WriteWholeFile), so a crash or a full
    // disk leaves the old file whole. A file that is there but cannot be read whole is left
    // alone. Returns false when nothing was written.
    static bool WriteString(const QString &path, const QString &section, const QString &key,
                            const QString &value);

    // The file's bytes with key set to value: the key's line is replaced, or a line (and the
    // section, when needed) is added, in the file's encoding and line ends; every other byte
    // stays as it was, whether or not it decodes. Refused (nullopt) when the names or the value
    // could not be read back as written (line breaks, "]" in the section, "=" in the key, a
    // key that starts like a comment or a section, names with spaces around them), or when
    // the file is larger than MaxFileSize. A value with spaces around it, or wrapped in quotes
    // itself, is written inside double quotes so that it reads back whole.
    static std::optional<QByteArray> WithValue(const QByteArray &bytes, const QString &section,
                                               const QString &key, const QString &value);

    // Splits an entry at its first "="; an entry without one is both key and text.
    static std::pair<QString, QString> SplitEntry(const QString &entry);

private:
    // Where a name or an entry lies in the pool. Files are at most MaxFileSize bytes, so
    // 32 bits are enough, and every entry costs eight bytes beside its text.
    struct Span
    {
        qint32 start = 0;
        qint32 length = 0;
    };
    struct Section
    {
        Span name;
        // The section's entries are entries[firstEntry, endEntry).
        qint32 firstEntry = 0;
        qint32 endEntry = 0;
    };

    const Section *FindSection(const QString &name) const;
    QStringView Text(Span span) const;

    Encoding encoding = Encoding::EightBit;
    // Every section name and entry, one after the other, so that a file of many short lines
    // costs a small multiple of its size rather than a string object per line.
    QString pool;
    std::vector<Span> entries;
    std::vector<Section> sections;
};
