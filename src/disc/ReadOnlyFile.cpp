#include "disc/ReadOnlyFile.h"

#include "platform/PathBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadOnlyFile::~ReadOnlyFile()
{
    Close();
}

int ReadOnlyFile::Open(const QString &path)
{
    Close();
    // Non-blocking so that a named pipe left in a disc folder cannot stall a scan waiting
    // for a writer; regular files ignore the flag.
    const QByteArray name = PathBytes::ToBytes(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    descriptor = fd;
    return 0;
}

int ReadOnlyFile::ReadAt(char *buffer, qint64 count, qint64 offset, qint64 &bytesRead)
{
    bytesRead = 0;
    if (descriptor < 0)
        return NotOpen;
    if (::lseek(descriptor, offset, SEEK_SET) < 0)
        return errno;
    while (bytesRead < count) {
        const qint64 piece = qMin(count - bytesRead, ChunkSize);
        const ssize_t got = ::read(descriptor, buffer + bytesRead, size_t(piece));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return ReadFault;
        bytesRead += got;
    }
    return 0;
}

qint64 ReadOnlyFile::RegularFileSize() const
{
    struct stat status;
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    return qint64(status.st_size);
}

void ReadOnlyFile::Close()
{
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}
