#include "platform/WholeFileWriter.h"

#include "platform/PathBytes.h"

#include <QByteArray>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(const QString &path, const char *step, int error)
{
    qWarning("%s: could not be saved (%s: %s); the previous file is kept as it was",
             qPrintable(PathBytes::Readable(path)), step, std::strerror(error));
    return false;
}

bool Refuse(const QString &path)
{
    qWarning("%s: could not be saved (not a regular file); what is there is left as it was",
             qPrintable(PathBytes::Readable(path)));
    return false;
}

bool WriteAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        done += put;
    }
    return true;
}

} // namespace

bool WriteWholeFile(const QString &path, QByteArrayView bytes)
{
    QByteArray target = PathBytes::ToBytes(path);
    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat status;
    if (::lstat(target.constData(), &status) == 0 && S_ISLNK(status.st_mode)) {
        // A settings file that is a link (to a dotfiles folder, say) stays a link; the file
        // it points at gets the new content.
        char resolved[PATH_MAX];
        if (::realpath(target.constData(), resolved))
            target = QByteArray(resolved);
    }
    if (::stat(target.constData(), &status) == 0) {
        if (!S_ISREG(status.st_mode))
            return Refuse(path);
        // Opened without truncating, only to learn whether we may write it: the rename would
        // replace a file that we were not allowed to change.
        const int probe = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (probe < 0)
            return Fail(path, "open", errno);
        ::close(probe);
        mode = status.st_mode & 07777;
    } else if (errno != ENOENT) {
        return Fail(path, "stat", errno);
    }

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? "/" : target.first(slash);
    QByteArray temporary = target.first(slash + 1) + '.' + target.sliced(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(path, "create", errno);
    const auto abandon = [&](const char *step) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.constData());
        return Fail(path, step, error);
    };
    if (::fchmod(fd, mode) != 0)
        return abandon("chmod");
    if (!WriteAll(fd, bytes))
        return abandon("write");
    // Some file systems report a full disk only when the data leaves the cache.
    if (::fsync(fd) != 0)
        return abandon("sync");
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return Fail(path, "close", error);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return Fail(path, "rename", error);
    }
    // The rename itself reaches the disk with the folder; without this a power cut could
    // still bring back the old name. A failure here loses nothing that is not on disk anyway.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
