// Feeds arbitrary "RecentConfig.txt" files to the recent list and checks that its reading is
// stable (what it writes back reads the same) and that recording a new source keeps every
// path it read byte for byte, whatever the bytes are.

#include "../FuzzCheck.h"
#include "../FuzzScratch.h"
#include "player/RecentFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> lines = RecentFiles::SplitLines(content);
    for (const QByteArray &line : lines)
        Check(!line.isEmpty() && !line.contains('\n') && !line.endsWith('\r'));
    Check(RecentFiles::SplitLines(RecentFiles::JoinLines(lines)) == lines);

    const QString path = RecentFiles::FilePathIn(ScratchFolder());
    {
        QFile file(path);
        Check(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    RecentFiles recent(path);
    recent.Load();
    Check(recent.Entries().size() == lines.size());

    const QString source = QStringLiteral("/fuzz/new \u00e9.mkv");
    if (!recent.AddRecentFile(source)) {
        Check(recent.Entries().contains(source));
        Check(ReadAll(path) == content);
        return 0;
    }
    // The new source first, then the lines read, as read, less the oldest when over the limit.
    QList<QByteArray> kept = lines;
    if (kept.size() + 1 > RecentFiles::MaxEntries)
        kept.removeLast();
    Check(ReadAll(path) == QFile::encodeName(source) + '\n' + RecentFiles::JoinLines(kept));
    return 0;
}
