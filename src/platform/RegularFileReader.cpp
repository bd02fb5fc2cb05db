#include "platform/RegularFileReader.h"

#include "platform/PathBytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *KindName(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

std::nullopt_t Refuse(const QString &path, const char *reason)
{
    qWarning("%s: %s; the file is ignored", qPrintable(PathBytes::Readable(path)), reason);
    return std::nullopt;
}

std::nullopt_t RefuseSize(const QString &path, qint64 size, qint64 maxSize)
{
    qWarning("%s: %lld bytes is more than the %lld read from a file of this kind; the file is "
             "ignored",
             qPrintable(PathBytes::Readable(path)), size, maxSize);
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxSize)
{
    const QByteArray name = PathBytes::ToBytes(path);
    // Looked at before opening, so that no device is ever opened (some act on open alone),
    // and again after, since the name may have been replaced in between.
    struct stat status;
    if (::stat(name.constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QByteArray();
        return Refuse(path, std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode))
        return Refuse(path, KindName(status.st_mode));

    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT)
            return QByteArray();
        return Refuse(path, std::strerror(errno));
    }
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &status) != 0)
        return Refuse(path, std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return Refuse(path, KindName(status.st_mode));
    if (status.st_size > maxSize)
        return RefuseSize(path, qint64(status.st_size), maxSize);

    // One byte more than allowed is asked for, so that a file that grew since fstat is
    // caught too.
    QByteArray bytes(qsizetype(status.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxSize)
                return RefuseSize(path, filled, maxSize);
            bytes.resize(qMin<qint64>(maxSize + 1, filled * 2 + 4096));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Refuse(path, std::strerror(errno));
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > maxSize)
        return RefuseSize(path, filled, maxSize);
    bytes.truncate(filled);
    return bytes;
}
