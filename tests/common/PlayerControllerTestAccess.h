#pragma once

#include "player/PlaybackSession.h"
#include "player/PlayerController.h"

#include <QList>
#include <QVariant>

// Lets tests reach the session behind the controller (its engine, its deadlines, its
// answers), which the window and the desktop's controls never see.
class PlayerControllerTestAccess
{
public:
    static PlaybackSession &Session(const PlayerController &controller)
    {
        return *controller.session;
    }
};

inline PlaybackSession &SessionOf(const PlayerController &controller)
{
    return PlayerControllerTestAccess::Session(controller);
}

// How many of the change signals a spy on PlayerController::changed caught carry change.
inline int ChangesOf(const QList<QList<QVariant>> &spy, StateChange change)
{
    int count = 0;
    for (const QList<QVariant> &signal : spy) {
        if (signal.value(0).value<StateChanges>() & change)
            ++count;
    }
    return count;
}
