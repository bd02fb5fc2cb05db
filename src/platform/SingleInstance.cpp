#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <unistd.h>

namespace {
const QByteArray showRequest = "show\n";
}

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
    return QDir::tempPath() + "/Orvel_BluRay_Player_2019_For_Linux.lock";
}

QString SingleInstance::DefaultServerName()
{
    return QStringLiteral("Orvel_BluRay_Player_2019_%1").arg(getuid());
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

bool SingleInstance::AskRunningInstanceToShow(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(showRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    // Wait for the running instance to answer, so that this process only ends once the
    // window has been asked to come forward.
    socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->readAll();
            if (request.contains("show")) {
                emit showRequested();
                socket->write("ok\n");
                socket->flush();
            }
        });
    }
}
