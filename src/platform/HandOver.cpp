#include "platform/HandOver.h"

#include "platform/AppFolders.h"
#include "platform/PathBytes.h"
#include "platform/SocketRequest.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

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
    // The listening side (QLocalServer) puts a bare name in the temporary folder.
    const QByteArray address = PathBytes::ToBytes(
        serverName.startsWith(QLatin1Char('/')) ? serverName
                                                : QDir::tempPath() + QLatin1Char('/') + serverName);
    const QByteArray request = Request(paths);
    return SocketRequest::Deliver(address.constData(), request.constData(), size_t(request.size()),
                                  timeoutMs);
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
