#include "player/SubtitleRedrawSchedule.h"

SubtitleRedrawSchedule::SubtitleRedrawSchedule(QObject *parent) : QObject(parent)
{
    for (QTimer *timer : {&first, &second}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &SubtitleRedrawSchedule::redrawDue);
    }
    first.setInterval(FirstAskMs);
    second.setInterval(SecondAskMs);
}

void SubtitleRedrawSchedule::SurfaceResized()
{
    first.start();
    second.start();
}

void SubtitleRedrawSchedule::Cancel()
{
    first.stop();
    second.stop();
}
