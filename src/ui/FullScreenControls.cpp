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
    window->showFullScreen();
    // Without a window manager nobody answers the request for full screen; the window then
    // takes its screen's size itself. With one, this asks for what the manager gives anyway.
    if (QScreen *screen = window->screen())
        window->setGeometry(screen->geometry());
    rules.Start(clock.elapsed());
    shown = FullScreenBarRules::View{};
    shown.barShown = bar && bar->isVisible();
    Show(rules.Current());
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
