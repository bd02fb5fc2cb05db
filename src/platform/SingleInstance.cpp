#include "platform/SingleInstance.h"

#include "platform/HandOver.h"
#include "platform/PathBytes.h"

#include <QLocalSocket>
#include <QPointer>
#include <QUrl>

namespace {

using HandOver::openPrefix;
using HandOver::showLine;

// Bounds on what an unexpected client may make us hold.
constexpr qint64 requestLimit = 4 * 1024 * 1024;
constexpr int pathLimit = 100000;

} // namespace

SingleInstance::SingleInstance(const QString &lockPath, const QString &serverName, QObject *parent)
    : QObject(parent), serverName(serverName), lock(lockPath)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultLockPath()
{
    return HandOver::DefaultLockPath();
}

QString SingleInstance::DefaultServerName()
{
    return HandOver::DefaultServerName();
}

bool SingleInstance::IsOtherInstanceRunning()
{
    return lock.HeldByAnother();
}

bool SingleInstance::SendToRunningInstance(const QStringList &paths, int timeoutMs) const
{
    return HandOver::Send(serverName, paths, timeoutMs);
}

bool SingleInstance::DeliverToRunningInstance(const QStringList &paths, int deadlineMs) const
{
    return HandOver::SendWithin(serverName, paths, deadlineMs);
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
