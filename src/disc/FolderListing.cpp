#include "disc/FolderListing.h"

#include "platform/PathBytes.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool ListFolderEntries(const QString &folder, QVector<FolderEntry> &entries)
{
    DIR *dir = ::opendir(PathBytes::ToBytes(folder).constData());
    if (!dir)
        return false;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const int descriptor = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        FolderEntry record;
        // The directory test follows links, as a test on the full path does.
        struct stat status;
        if (::fstatat(descriptor, entry->d_name, &status, 0) == 0) {
            record.isDirectory = S_ISDIR(status.st_mode) ? 1 : 0;
            record.size = quint64(status.st_size);
        }
        record.path = prefix + PathBytes::FromBytes(entry->d_name);
        entries.append(record);
    }
    ::closedir(dir);
    return true;
}
