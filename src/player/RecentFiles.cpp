#include "player/RecentFiles.h"

#include "platform/PathBytes.h"
#include "platform/RegularFileReader.h"
#include "platform/WholeFileWriter.h"

#include <QDir>
#include <QUrl>

#include <unistd.h>

QString RecentFiles::FilePathIn(const QString &appDataFolder)
{
    return QDir(appDataFolder).filePath(QStringLiteral("RecentConfig.txt"));
}

QList<QByteArray> RecentFiles::SplitLines(QByteArrayView content)
{
    QList<QByteArray> lines;
    while (!content.isEmpty()) {
        const qsizetype newline = content.indexOf('\n');
        QByteArrayView line = newline < 0 ? content : content.first(newline);
        content = newline < 0 ? QByteArrayView() : content.sliced(newline + 1);
        // A file written on Windows ends its lines in CR LF.
        while (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines << line.toByteArray();
    }
    return lines;
}

QByteArray RecentFiles::JoinLines(const QList<QByteArray> &lines)
{
    QByteArray content;
    for (const QByteArray &line : lines)
        content += line + '\n';
    return content;
}

void RecentFiles::Load()
{
    entries.clear();
    storedBytes.clear();
    const std::optional<QByteArray> content = ReadRegularFile(file, MaxFileBytes);
    if (!content)
        return;
    storedBytes = SplitLines(*content);
    for (const QByteArray &line : std::as_const(storedBytes))
        entries << PathFromLine(line);
}

QByteArray RecentFiles::LineFor(const QString &path)
{
    // One path per line: a path holding a line break is kept as a file address, every byte
    // escaped. A plain path starts with "/", so the two never meet.
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')))
        return PathBytes::ToFileUrl(path);
    return PathBytes::ToBytes(path);
}

QString RecentFiles::PathFromLine(const QByteArray &line)
{
    if (line.startsWith("file://"))
        return PathBytes::FromFileUrl(QUrl::fromEncoded(line));
    return PathBytes::FromBytes(line);
}

bool RecentFiles::AddRecentFile(const QString &path)
{
    if (entries.contains(path) || path.isEmpty())
        return false;
    entries.prepend(path);
    storedBytes.prepend(LineFor(path));
    if (entries.size() > MaxEntries) {
        entries.removeLast();
        storedBytes.removeLast();
    }
    Save();
    return true;
}

void RecentFiles::Clear()
{
    entries.clear();
    storedBytes.clear();
    ::unlink(PathBytes::ToBytes(file).constData());
}

void RecentFiles::Save() const
{
    // A failed write (a full disk) keeps the previous list whole; the writer logs why.
    WriteWholeFile(file, JoinLines(storedBytes));
}
