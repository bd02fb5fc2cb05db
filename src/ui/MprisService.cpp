#include "ui/MprisService.h"

#include "ui/MprisPlayerAdaptor.h"
#include "ui/MprisProperties.h"
#include "ui/MprisRootAdaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {

const QString serviceBaseName = QStringLiteral("org.mpris.MediaPlayer2.orvel_bluray_player");
// The clock moves by itself while playing; a jump beyond this is a seek someone made.
constexpr qint64 seekToleranceMs = 1500;

} // namespace

MprisService::MprisService(PlayerController &controller, QObject *parent)
    : QObject(parent), controller(controller), connection(QString())
{
    new MprisRootAdaptor(this);
    player = new MprisPlayerAdaptor(this);
    // The player says when something changes, so an idle player never wakes for the bus.
    connect(&controller, &PlayerController::changed, this, [this](StateChanges what) {
        constexpr StateChanges kinds = StateChange::Playback | StateChange::Length |
                                       StateChange::Volume | StateChange::Seek |
                                       StateChange::Position | StateChange::Viewing;
        if (what & kinds)
            Refresh();
    });
}

MprisService::~MprisService()
{
    if (!serviceName.isEmpty()) {
        connection.unregisterService(serviceName);
        connection.unregisterObject(QLatin1String(ObjectPath));
    }
}

bool MprisService::Register(const QDBusConnection &bus)
{
    connection = bus;
    if (!connection.isConnected() || !connection.registerObject(QLatin1String(ObjectPath), this,
                                                                QDBusConnection::ExportAdaptors)) {
        return false;
    }
    for (const QString &name :
         {serviceBaseName,
          serviceBaseName +
              QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        if (connection.registerService(name)) {
            serviceName = name;
            break;
        }
    }
    if (serviceName.isEmpty()) {
        connection.unregisterObject(QLatin1String(ObjectPath));
        return false;
    }
    told = State();
    sinceTold.start();
    return true;
}

void MprisService::Announce(bool seekRequested)
{
    if (serviceName.isEmpty()) {
        return;
    }
    const PlaybackState now = State();
    const QVariantMap changed = MprisProperties::Changed(told, now);
    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QLatin1String(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
        connection.send(signal);
    }
    if (seekRequested) {
        emit player->Seeked(qlonglong(now.positionMs) * 1000);
    } else if (now.status != PlaybackState::Status::Stopped && now.path == told.path) {
        const qint64 expected =
            told.positionMs +
            (told.status == PlaybackState::Status::Playing ? sinceTold.elapsed() : 0);
        if (qAbs(now.positionMs - expected) > seekToleranceMs) {
            emit player->Seeked(qlonglong(now.positionMs) * 1000);
        }
    }
    told = now;
    sinceTold.restart();
}
