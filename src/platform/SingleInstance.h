#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

// Keeps the program to one running instance per machine. The lock file lives in the
// shared temporary folder so that every user's start sees it; the wake-up channel is a
// local socket that only the owning user may connect to.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // lockPath and serverName are parameters so tests can run side by side with a real
    // instance; the program uses DefaultLockPath() and DefaultServerName().
    SingleInstance(const QString &lockPath, const QString &serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    static QString DefaultLockPath();
    static QString DefaultServerName();

    // True when another process holds the lock. A lock that cannot be created at all
    // (unwritable folder) counts as no other instance, so the program still starts.
    bool IsOtherInstanceRunning();

    // Asks the running instance to bring its window forward. Returns whether the
    // request was delivered.
    bool AskRunningInstanceToShow(int timeoutMs = 2000) const;

    // Starts listening for show requests of later starts; emits showRequested().
    bool Listen();

signals:
    void showRequested();

private:
    void onNewConnection();

    QString serverName;
    QLockFile lock;
    std::unique_ptr<QLocalServer> server;
};
