#pragma once

#include <QString>

// When a DVD's title listing runs. The listing is a second engine run over every title and
// competes with the playing engine for the processor, so it waits for the first picture (or
// for a moment after the start, when no picture comes), and runs once per disc.
class DvdTitleSchedule
{
public:
    enum class Step
    {
        ShowKnown, // this disc is listed (or being listed): show what is known
        Wait,      // wait for the picture or the moment, then ask Due()
    };

    // A disc starts playing.
    Step Opened(const QString &disc);
    // The picture came, or the moment passed: the disc to list now, once; empty when
    // there is none (listed already, or another disc opened since).
    QString Due();

private:
    QString pending;
    QString listed;
};
