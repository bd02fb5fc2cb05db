#pragma once

#include "player/FullScreenBarRules.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QWidget;

// Full screen for the main window: the window covers its screen, also where no window manager
// does that for it, and the control bar comes up when the pointer reaches the bottom edge and
// goes again, with the pointer, after a moment of rest (FullScreenBarRules). The pointer is
// read from the window system, not from mouse events: over the picture those go to the
// engine's own window as much as to ours.
class FullScreenControls : public QObject
{
    Q_OBJECT
public:
    // How often the pointer's place is read while in full screen.
    static constexpr int PointerPollMs = 100;

    explicit FullScreenControls(QWidget *window);

    // bar is the window's bottom panel, hidden by the window when full screen starts.
    void Enter(QWidget *bar);
    void Leave();
    bool Active() const { return active; }

private:
    void Poll();
    void Show(FullScreenBarRules::View view);

    QWidget *window;
    QPointer<QWidget> bar;
    FullScreenBarRules rules;
    FullScreenBarRules::View shown;
    QElapsedTimer clock;
    QTimer pollTimer;
    QRect normalGeometry;
    bool active = false;
};
