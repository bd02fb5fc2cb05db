#pragma once

#include "ui/DRUI.h"

#include <QSize>
#include <QtTest>

// The player's window as a window test needs it: built, and unless asked otherwise shown and
// on the screen (or active, for tests whose keys must reach it) before the test drives it.
// A test checks Ready() first: a window still on its way to the screen turns clicks and the
// engine's picture away, and on a busy machine that can take seconds.
class WindowFixture
{
public:
    enum class Shown
    {
        Exposed, // on the screen
        Active,  // on the screen and the one that takes keys
        Not,     // built only, for tests of what a window does before it is shown
    };

    explicit WindowFixture(Shown how = Shown::Exposed, const QSize &size = QSize())
    {
        window.InitMainWindow();
        if (size.isValid())
            window.resize(size);
        if (how == Shown::Not) {
            ready = true;
            return;
        }
        window.show();
        ready = QTest::qWaitForWindowExposed(&window, WaitMs);
        if (ready && how == Shown::Active) {
            window.activateWindow();
            ready = QTest::qWaitForWindowActive(&window, WaitMs);
        }
    }
    explicit WindowFixture(const QSize &size) : WindowFixture(Shown::Exposed, size) {}

    bool Ready() const { return ready; }
    PlayerController &Controller() const { return window.Controller(); }

    DRUI window;

private:
    static constexpr int WaitMs = 30000;
    bool ready = false;
};
