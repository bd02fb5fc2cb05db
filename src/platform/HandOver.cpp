#include "platform/HandOver.h"

#include "platform/AppFolders.h"
#include "platform/PathBytes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Waits for the socket to become ready for `events` before the deadline.
bool WaitFor(int socket, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, int(deadline.remainingTime()));
        if (ready > 0) {
            return (entry.revents & (events | POLLHUP | POLLERR)) != 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

class Socket
{
public:
    Socket() : fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {}
    ~Socket()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    const int fd;
};

} // namespace

namespace HandOver {

QString DefaultLockPath()
{
    return AppFolders::RuntimeFolder() + QStringLiteral("orvel-bluray-player.lock");
}

QString DefaultServerName()
{
    return AppFolders::RuntimeFolder() + QStringLiteral("orvel-bluray-player.socket");
}

QByteArray Request(const QStringList &paths)
{
    QByteArray request;
    for (const QString &path : paths) {
        request += openPrefix + PathBytes::ToFileUrl(path) + '\n';
    }
    return request + showLine + '\n';
}

bool Send(const QString &serverName, const QStringList &paths, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // The listening side (QLocalServer) puts a bare name in the temporary folder.
    const QByteArray address = PathBytes::ToBytes(
        serverName.startsWith(QLatin1Char('/')) ? serverName
                                                : QDir::tempPath() + QLatin1Char('/') + serverName);
    sockaddr_un server{};
    server.sun_family = AF_UNIX;
    if (address.isEmpty() || size_t(address.size()) >= sizeof server.sun_path) {
        return false;
    }
    std::memcpy(server.sun_path, address.constData(), size_t(address.size()));
    Socket socket;
    if (socket.fd < 0) {
        return false;
    }
    if (::connect(socket.fd, reinterpret_cast<const sockaddr *>(&server), sizeof server) != 0) {
        int error = 0;
        socklen_t length = sizeof error;
        if ((errno != EINPROGRESS && errno != EAGAIN) || !WaitFor(socket.fd, POLLOUT, deadline) ||
            ::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return false;
        }
    }
    const QByteArray request = Request(paths);
    qsizetype written = 0;
    while (written < request.size()) {
        const ssize_t sent = ::send(socket.fd, request.constData() + written,
                                    size_t(request.size() - written), MSG_NOSIGNAL);
        if (sent > 0) {
            written += sent;
        } else if ((sent < 0 && errno != EAGAIN && errno != EINTR) ||
                   !WaitFor(socket.fd, POLLOUT, deadline)) {
            return false;
        }
    }
    // Wait for the answer, so that this process only ends once the running player has taken
    // the whole request.
    QByteArray answer;
    while (!answer.contains('\n')) {
        char buffer[64];
        const ssize_t got = ::recv(socket.fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            answer.append(buffer, int(got));
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR) ||
                   !WaitFor(socket.fd, POLLIN, deadline)) {
            return false;
        }
    }
    return answer.left(answer.indexOf('\n')).trimmed() == "ok";
}

bool SendWithin(const QString &serverName, const QStringList &paths, int deadlineMs)
{
    const QDeadlineTimer deadline(deadlineMs);
    while (!Send(serverName, paths, 2000)) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(200);
    }
    return true;
}

} // namespace HandOver

InstanceLock::InstanceLock(const QString &path) : lock(path)
{
    // A lock left behind by a crashed instance is recognised through its process id,
    // never through its age: a long film must not make the lock look stale.
    lock.setStaleLockTime(0);
}

bool InstanceLock::HeldByAnother()
{
    if (lock.isLocked() || lock.tryLock(0)) {
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}
