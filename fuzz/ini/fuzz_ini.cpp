// Feeds arbitrary settings files to the INI reader and writer and checks what they promise
// for any file: lists hold only whole strings within their buffers, a value written reads
// back, writing it again changes nothing, and nothing else of the file changes: the bytes
// outside the written line stay as they were, and every other entry reads as before.
//
// Input: SECTION \0 KEY \0 VALUE \0 FILE. With fewer than three zero bytes the whole input is
// the file and the program's own write (the current language) is tried on it.

#include "../FuzzCheck.h"
#include "i18n/CPrivateProfile.h"

#include <climits>
#include <cstdint>

namespace {

void CheckListFits(const QStringList &list, int bufferSize)
{
    qsizetype used = 1;
    for (const QString &string : list)
        used += string.size() + 1;
    Check(used <= bufferSize || list.isEmpty());
}

// Whether the bytes in [from, to) of a file hold a whole line end of the file's encoding.
bool HoldsLineEnd(const QByteArray &bytes, qsizetype from, qsizetype to,
                  CPrivateProfile::Encoding encoding)
{
    if (encoding != CPrivateProfile::Encoding::Utf16LittleEndian)
        return QByteArrayView(bytes).sliced(from, to - from).contains('\n');
    for (qsizetype i = from & ~qsizetype(1); i + 1 < bytes.size() && i < to; i += 2) {
        if (bytes[i] == '\n' && bytes[i + 1] == '\0')
            return true;
    }
    return false;
}

// The section's entries without the first one for key.
QStringList OthersThan(QStringList entries, const QString &key)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (CPrivateProfile::SplitEntry(entries[i]).first == key) {
            entries.removeAt(i);
            break;
        }
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QString section = QStringLiteral("DefaultLanguage");
    QString key = QStringLiteral("Default");
    QString value = QStringLiteral("/German");
    QByteArray file = input;
    const qsizetype first = input.indexOf('\0');
    const qsizetype second = first < 0 ? -1 : input.indexOf('\0', first + 1);
    const qsizetype third = second < 0 ? -1 : input.indexOf('\0', second + 1);
    if (third >= 0) {
        section = QString::fromUtf8(input.first(first));
        key = QString::fromUtf8(input.sliced(first + 1, second - first - 1));
        value = QString::fromUtf8(input.sliced(second + 1, third - second - 1));
        file = input.sliced(third + 1);
    }

    const CPrivateProfile before = CPrivateProfile::Parse(file);
    const QStringList names = before.ReadSectionNames(1024);
    CheckListFits(names, 1024);
    for (const QString &name : names) {
        CheckListFits(before.ReadSection(name, 10240), 10240);
        Check(before.ReadString(name, key, QString(), 64).size() <= 63);
    }

    const std::optional<QByteArray> written = CPrivateProfile::WithValue(file, section, key, value);
    if (!written)
        return 0;
    const CPrivateProfile after = CPrivateProfile::Parse(*written);
    Check(after.FileEncoding() == before.FileEncoding() || file.isEmpty());
    Check(after.ReadString(section, key, QStringLiteral("\u0001absent"), INT_MAX) == value);
    Check(CPrivateProfile::WithValue(*written, section, key, value) == written);

    // old = P + X + S and new = P + Y + S, where X is at most the text of one line.
    qsizetype prefix = 0;
    const qsizetype shorter = qMin(file.size(), written->size());
    while (prefix < shorter && file[prefix] == written->at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           file[file.size() - 1 - suffix] == written->at(written->size() - 1 - suffix))
        ++suffix;
    Check(!HoldsLineEnd(file, prefix, file.size() - suffix, before.FileEncoding()));

    // Every other entry reads as before.
    for (const QString &name : before.ReadSectionNames(INT_MAX)) {
        if (name == section)
            continue;
        Check(after.ReadSection(name, INT_MAX) == before.ReadSection(name, INT_MAX));
    }
    Check(OthersThan(after.ReadSection(section, INT_MAX), key) ==
          OthersThan(before.ReadSection(section, INT_MAX), key));
    return 0;
}
