#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Keeps the screen saver and power management from blanking the display while the
// program runs, through the desktop's org.freedesktop.ScreenSaver service. The inhibition
// is held for the life of the process; without a session bus nothing happens.
class KeepAwake : public QObject
{
    Q_OBJECT
public:
    explicit KeepAwake(QObject *parent = nullptr);

    // Sends the Inhibit request on the given bus; the answer arrives asynchronously so a
    // slow or missing service never delays the start of the program.
    void Inhibit(const QDBusConnection &bus, const QString &applicationName, const QString &reason);

    bool HasCookie() const { return cookieReceived; }
    uint Cookie() const { return cookie; }

signals:
    void inhibited(uint cookie);

private:
    bool cookieReceived = false;
    uint cookie = 0;
};
