#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <QStringList>

// The asking side of "one player per user", kept apart from the listening side
// (SingleInstance) so that a second start links nothing beyond Qt Core: it only learns whether
// a player runs and hands its paths over.
//
// A request is a line "open URL" per path, then the line "show". Paths travel as encoded file
// URLs with every byte of the name escaped, so a name with a line break or one that is not
// UTF-8 arrives whole. The running player answers "ok" once it has taken the whole request.
namespace HandOver {

inline const QByteArray openPrefix = "open ";
inline const QByteArray showLine = "show";

QString DefaultLockPath();
// A full socket path in the runtime folder, so the name is the user's own by place.
QString DefaultServerName();

QByteArray Request(const QStringList &paths);

// One try; true when the running player confirmed the request.
bool Send(const QString &serverName, const QStringList &paths, int timeoutMs);
// The running player may hold the lock a moment before it listens; a request that cannot be
// delivered must not vanish silently, so this keeps trying until the deadline.
bool SendWithin(const QString &serverName, const QStringList &paths, int deadlineMs);

} // namespace HandOver

// The lock that says a player runs. Taken on the first look and kept while the object lives.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &path);

    // True when another process holds the lock. A lock that cannot be created at all
    // (unwritable folder) counts as no other instance, so the program still starts.
    bool HeldByAnother();

private:
    QLockFile lock;
};
