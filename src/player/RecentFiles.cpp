#include "player/RecentFiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

QString RecentFiles::FilePathIn(const QString &appDataFolder)
{
    return QDir(appDataFolder).filePath(QStringLiteral("RecentConfig.txt"));
}

void RecentFiles::Load()
{
    entries.clear();
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return;
    while (!input.atEnd()) {
        QByteArray line = input.readLine();
        // A file written on Windows ends its lines in CR LF.
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            entries << QString::fromLocal8Bit(line);
    }
}

bool RecentFiles::AddRecentFile(const QString &path)
{
    // The file keeps one path per line: a path holding a line break would come back as two
    // bogus entries. Such a path still plays; it is just not remembered.
    if (entries.contains(path) || path.contains(QLatin1Char('\n')) ||
        path.contains(QLatin1Char('\r')))
        return false;
    entries.prepend(path);
    if (entries.size() > MaxEntries)
        entries.removeLast();
    Save();
    return true;
}

void RecentFiles::Clear()
{
    entries.clear();
    QFile::remove(file);
}

void RecentFiles::Save() const
{
    // Written aside and renamed into place, so a failed write keeps the previous list.
    QSaveFile output(file);
    if (!output.open(QIODevice::WriteOnly))
        return;
    for (const QString &entry : entries)
        output.write(entry.toLocal8Bit() + '\n');
    output.commit();
}
