#include "disc/DvdTitleSchedule.h"

DvdTitleSchedule::Step DvdTitleSchedule::Opened(const QString &disc)
{
    if (disc == listed) {
        pending.clear();
        return Step::ShowKnown;
    }
    pending = disc;
    return Step::Wait;
}

QString DvdTitleSchedule::Due()
{
    const QString disc = pending;
    pending.clear();
    if (!disc.isEmpty())
        listed = disc;
    return disc;
}
