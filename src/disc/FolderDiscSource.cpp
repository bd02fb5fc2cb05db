#include "disc/FolderDiscSource.h"

#include "platform/PathBytes.h"

#include "disc/FolderListing.h"
#include "disc/MplsReader.h"
#include "disc/ReadOnlyFile.h"

#include <QFile>

#include <sys/stat.h>

bool FolderDiscSource::List(const QString &relative, QVector<DiscEntry> &entries)
{
    QVector<FolderEntry> listed;
    const QString folder = Where(relative);
    if (!ListFolderEntries(folder, listed))
        return false;
    const qsizetype nameStart =
        folder.endsWith(QLatin1Char('/')) ? folder.size() : folder.size() + 1;
    entries.reserve(entries.size() + listed.size());
    for (const FolderEntry &entry : listed)
        entries.append({entry.path.mid(nameStart), entry.isDirectory != 0});
    return true;
}

bool FolderDiscSource::IsFolder(const QString &relative)
{
    struct stat status;
    return ::stat(PathBytes::ToBytes(Where(relative)).constData(), &status) == 0 &&
           S_ISDIR(status.st_mode);
}

bool FolderDiscSource::Read(const QString &relative, DiscFileBytes &out)
{
    out.Clear();
    const QString path = Where(relative);
    ReadOnlyFile file;
    if (file.Open(path) != 0)
        return false;
    const qint64 size = file.RegularFileSize();
    if (size < 0)
        return false;
    // A large stray file is mapped rather than read, so that it costs no memory.
    if (size > MplsReader::BufferSize)
        return out.Map(path, size);
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 got = 0;
    file.ReadAt(bytes.data(), size, 0, got);
    bytes.truncate(got);
    out.Hold(std::move(bytes), size);
    return true;
}
