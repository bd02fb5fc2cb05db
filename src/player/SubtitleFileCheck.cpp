#include "player/SubtitleFileCheck.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SubtitleFileCheck {

Verdict Check(const QString &path)
{
    if (path.isEmpty())
        return Verdict::Missing;
    const QByteArray name = QFile::encodeName(path);
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

} // namespace SubtitleFileCheck
