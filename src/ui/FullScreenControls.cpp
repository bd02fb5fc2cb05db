#include "ui/FullScreenControls.h"

#include <QCursor>
#include <QScreen>
#include <QWidget>

FullScreenControls::FullScreenControls(QWidget *window) : QObject(window), window(window)
{
    clock.start();
    pollTimer.setInterval(PointerPollMs);
    connect(&pollTimer, &QTimer::timeout, this, &FullScreenControls::Poll);
}

void FullScreenControls::Enter(QWidget *controlBar)
{
    bar = controlBar;
    if (!active)
        normalGeometry = window->geometry();
    active = true;
    // Without a window manager nobody answers the request for full screen, so the window
    // takes its screen's size itself first; with one, the manager then does the same. In
    // that order: a new geometry after the request would end full screen again.
    if (QScreen *screen = window->screen())
        window->setGeometry(screen->geometry());
    window->showFullScreen();
    rules.Start(clock.elapsed());
    shown = FullScreenBarRules::View{};
    shown.barShown = bar && bar->isVisible();
    Show(rules.Current());
    // Where the pointer is now is where it was: only what changes after this is a move.
    Poll();
    pollTimer.start();
}

void FullScreenControls::Leave()
{
    if (!active)
        return;
    active = false;
    pollTimer.stop();
    window->unsetCursor();
    window->showNormal();
    window->setGeometry(normalGeometry);
}

void FullScreenControls::Poll()
{
    QScreen *screen = window->screen();
    if (!screen)
        return;
    const QPoint place = QCursor::pos(screen);
    const QRect area = screen->geometry();
    const bool overBar = bar && bar->isVisible() && bar->rect().contains(bar->mapFromGlobal(place));
    Show(rules.PointerAt(clock.elapsed(), place.x() - area.x(), place.y() - area.y(), area.height(),
                         overBar));
}

void FullScreenControls::Show(FullScreenBarRules::View view)
{
    if (bar && view.barShown != shown.barShown)
        bar->setVisible(view.barShown);
    if (view.pointerShown != shown.pointerShown) {
        if (view.pointerShown)
            window->unsetCursor();
        else
            window->setCursor(Qt::BlankCursor);
    }
    shown = view;
}
