#include "platform/SingleInstance.h"

#include "platform/AppFolders.h"
#include "platform/PathBytes.h"

#include <QLocalSocket>
#include <QPointer>
#include <QUrl>

namespace {

// A request is a line "open URL" per path, then the line "show". Paths travel as encoded
// file URLs with every byte of the name escaped, so a name with a line break or one that is
// not UTF-8 arrives whole.
const QByteArray openPrefix = "open ";
const QByteArray showLine = "show";
// Bounds on what an unexpected client may make us hold.
constexpr qint64 requestLimit = 4 * 1024 * 1024;
constexpr int pathLimit = 100000;

} // namespace

SingleInstance::SingleInstance(const QString &lockPath, const QString &serverName, QObject *parent)
    : QObject(parent), serverName(serverName), lock(lockPath)
{
    // A lock left behind by a crashed instance is recognised through its process id,
    // never through its age: a long film must not make the lock look stale.
    lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultLockPath()
{
    return AppFolders::RuntimeFolder() + QStringLiteral("orvel-bluray-player.lock");
}

QString SingleInstance::DefaultServerName()
{
    return AppFolders::RuntimeFolder() + QStringLiteral("orvel-bluray-player.socket");
}

bool SingleInstance::IsOtherInstanceRunning()
{
    if (lock.isLocked()) {
        return false;
    }
    if (lock.tryLock(0)) {
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

bool SingleInstance::SendToRunningInstance(const QStringList &paths, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    QByteArray request;
    for (const QString &path : paths) {
        request += openPrefix + PathBytes::ToFileUrl(path) + '\n';
    }
    request += showLine + '\n';
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs)) {
            return false;
        }
    }
    // Wait for the answer, so that this process only ends once the running instance has
    // taken the whole request.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) {
            return false;
        }
    }
    const bool confirmed = socket.readLine().trimmed() == "ok";
    socket.disconnectFromServer();
    return confirmed;
}

bool SingleInstance::Listen()
{
    server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a crashed instance would make listen() fail; we hold the
    // lock, so no live instance can own it.
    QLocalServer::removeServer(serverName);
    if (!server->listen(serverName)) {
        return false;
    }
    connect(server.get(), &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto paths = std::make_shared<QStringList>();
        QPointer<QLocalSocket> guard(socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, guard, paths] {
            if (!guard) {
                return;
            }
            QLocalSocket *socket = guard.data();
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().trimmed();
                if (line.startsWith(openPrefix)) {
                    if (paths->size() >= pathLimit) {
                        socket->abort();
                        return;
                    }
                    const QUrl url = QUrl::fromEncoded(line.mid(openPrefix.size()));
                    if (url.isLocalFile()) {
                        paths->append(PathBytes::FromFileUrl(url));
                    }
                } else if (line == showLine) {
                    socket->write("ok\n");
                    socket->flush();
                    const QStringList request = std::exchange(*paths, {});
                    if (!request.isEmpty()) {
                        emit openRequested(request);
                    }
                    emit showRequested();
                    return;
                }
            }
            if (socket->bytesAvailable() > requestLimit) {
                socket->abort();
            }
        });
    }
}
