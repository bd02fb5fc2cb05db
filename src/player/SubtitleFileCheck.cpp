#include "player/SubtitleFileCheck.h"

#include "platform/PathBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SubtitleFileCheck {

Verdict Check(const QString &path)
{
    if (path.isEmpty())
        return Verdict::Missing;
    const QByteArray name = PathBytes::ToBytes(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0)
        return errno == EACCES ? Verdict::Unreadable : Verdict::Missing;
    if (!S_ISREG(info.st_mode))
        return Verdict::NotAFile;
    if (info.st_size == 0)
        return Verdict::Empty;
    if (info.st_size > SizeLimit)
        return Verdict::TooLarge;
    // Opened without blocking, in case the name became a pipe since the stat.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return errno == ENOENT ? Verdict::Missing : Verdict::Unreadable;
    ::close(descriptor);
    return Verdict::Fine;
}

const char *RefusalMessageKey(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Missing:
        return "Messages/MSG0112";
    case Verdict::Empty:
        return "Messages/MSG0113";
    case Verdict::TooLarge:
        return "Messages/MSG0114";
    case Verdict::Fine:
    case Verdict::NotAFile:
    case Verdict::Unreadable:
        break;
    }
    return "Messages/MSG0115";
}

QStringList SideFiles(const QString &mediaPath)
{
    static const QStringList Extensions{"srt", "ass",  "ssa",   "sub", "smi", "txt",
                                        "utf", "utf8", "utf-8", "aqt", "jss", "rt"};
    const QFileInfo media(mediaPath);
    const QString stem = media.completeBaseName();
    QStringList found;
    if (stem.isEmpty())
        return found;
    const QDir folder = media.absoluteDir();
    // No name filter: film names hold "[" and "*", which a filter reads as wildcards.
    const QStringList names =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot == stem.size() && name.startsWith(stem) &&
            Extensions.contains(name.sliced(dot + 1), Qt::CaseInsensitive))
            found << folder.filePath(name);
    }
    return found;
}

} // namespace SubtitleFileCheck
