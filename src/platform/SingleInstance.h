#pragma once

#include "platform/HandOver.h"

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

// Keeps the program to one running instance per user. The lock file and the wake-up socket
// live in the user's runtime folder, so another person on the same machine gets a player of
// their own; only the owning user may connect to the socket.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // lockPath and serverName are parameters so tests can run side by side with a real
    // instance; the program uses DefaultLockPath() and DefaultServerName().
    SingleInstance(const QString &lockPath, const QString &serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    static QString DefaultLockPath();
    // A full socket path in the runtime folder, so the name is the user's own by place.
    static QString DefaultServerName();

    // True when another process holds the lock. A lock that cannot be created at all
    // (unwritable folder) counts as no other instance, so the program still starts.
    bool IsOtherInstanceRunning();

    // Hands paths (absolute, possibly none) to the running instance and asks it to bring its
    // window forward. Returns whether the running instance confirmed the request.
    bool SendToRunningInstance(const QStringList &paths, int timeoutMs = 2000) const;
    // The running instance may hold the lock a moment before it listens; a request that cannot
    // be delivered must not vanish silently, so this keeps trying for a while.
    bool DeliverToRunningInstance(const QStringList &paths, int deadlineMs = 10000) const;
    bool AskRunningInstanceToShow(int timeoutMs = 2000) const
    {
        return SendToRunningInstance({}, timeoutMs);
    }

    // Starts listening for the requests of later starts; emits openRequested() for a request
    // that carries paths, then showRequested().
    bool Listen();

signals:
    void openRequested(const QStringList &paths);
    void showRequested();

private:
    void onNewConnection();

    QString serverName;
    InstanceLock lock;
    std::unique_ptr<QLocalServer> server;
};
