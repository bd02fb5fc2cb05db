#include "platform/KeepAwake.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

KeepAwake::KeepAwake(QObject *parent) : QObject(parent) {}

void KeepAwake::Inhibit(const QDBusConnection &bus, const QString &applicationName,
                        const QString &reason)
{
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.ScreenSaver",
                                                       "/org/freedesktop/ScreenSaver",
                                                       "org.freedesktop.ScreenSaver", "Inhibit");
    call << applicationName << reason;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *finished) {
                QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError()) {
                    cookie = reply.value();
                    cookieReceived = true;
                    emit inhibited(cookie);
                }
                finished->deleteLater();
            });
}
