#pragma once

#include "player/PlaybackState.h"
#include "player/PlayerController.h"
#include "player/RemoteState.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>

class MprisPlayerAdaptor;

// The player on the session bus as a desktop media player (org.mpris.MediaPlayer2 and its
// .Player interface), so that media keys, the desktop shell and tools like playerctl can
// drive it. Requests go to the player controller, as the window's own do; the session's changes
// are announced with PropertiesChanged as they happen.
class MprisService : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";

    explicit MprisService(PlayerController &controller, QObject *parent = nullptr);
    ~MprisService() override;

    // Exports the object and takes the bus name; when another player of this user holds the
    // name, a name with this process's id is taken instead. Returns whether a name was taken.
    bool Register(const QDBusConnection &connection);
    QString ServiceName() const { return serviceName; }

    PlayerController &Controller() const { return controller; }
    PlaybackState State() const { return RemoteStateOf(controller.State()); }

    // Compares the player with what the bus was last told and announces the difference.
    void Refresh() { Announce(false); }
    // The same after a seek that a client asked for, which is announced even when short.
    void RefreshAfterSeek() { Announce(true); }

signals:
    // The desktop asks for the window in front, or for the program to end.
    void raiseRequested();
    void quitRequested();

private:
    void Announce(bool seekRequested);

    PlayerController &controller;
    MprisPlayerAdaptor *player = nullptr;
    QDBusConnection connection;
    QString serviceName;
    PlaybackState told;
    QElapsedTimer sinceTold;
};
