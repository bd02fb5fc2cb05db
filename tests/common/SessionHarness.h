#pragma once

// What tests of the real program need of a desktop session: a session bus of their own and a
// look at the X server's windows.
#include <QProcess>
#include <QString>

// A private session bus that lives as long as the object.
class PrivateBus
{
public:
    PrivateBus()
    {
        daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address"});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000)) {
            address = QString::fromUtf8(daemon.readLine()).trimmed();
        }
    }
    ~PrivateBus()
    {
        daemon.kill();
        daemon.waitForFinished(3000);
    }
    QProcess daemon;
    QString address;
};

// Top-level windows titled like the player, as the X server lists them.
inline int CountPlayerWindows()
{
    QProcess tree;
    tree.start("xwininfo", {"-root", "-children"});
    tree.waitForFinished(5000);
    return int(QString::fromLocal8Bit(tree.readAllStandardOutput())
                   .count(QStringLiteral("\"Orvel BluRay Player\"")));
}
