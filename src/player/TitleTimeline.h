#pragma once

#include "disc/MplsPlayItem.h"

#include <QVector>
#include <QtGlobal>

#include <optional>

// A Blu-ray title's own clock against the clocks of the clips it plays. The engine tells the
// time stamp of the picture it shows, on the clock of that picture's clip; each play item cuts
// a stretch [IN, IN + length) of a clip's clock and puts it at its place in the title. Clips
// of one title often share stretches of their clocks (many start at 600 s, some at 0), so a
// time stamp alone may fit several items: a title time known to be near (where the clock
// stands, or where a seek went) picks the item.
class TitleTimeline
{
public:
    struct Item
    {
        qint64 inMs = 0;       // IN on the clip's clock
        qint64 durationMs = 0; // OUT - IN
        qint64 startMs = 0;    // the item's place in the title
    };

    TitleTimeline() = default;
    explicit TitleTimeline(const QVector<Item> &items);
    static TitleTimeline FromPlayItems(const QVector<MplsPlayItem> &items);

    bool IsEmpty() const { return items.isEmpty(); }
    const QVector<Item> &Items() const { return items; }
    // The sum of the items' lengths.
    qint64 LengthMs() const;
    // The item that plays at titleMs (the first before the title, the last after it); -1
    // without items.
    int ItemAt(qint64 titleMs) const;
    // The title time of a picture whose time stamp is ptsMs on its clip's clock, near
    // nearTitleMs; nothing when no item's stretch holds it.
    std::optional<qint64> TitleTimeOf(qint64 ptsMs, qint64 nearTitleMs) const;

    // How far outside an item's stretch a time stamp may lie and still be taken as the
    // item's: a decoder may show a frame whose time is a little before IN or at OUT.
    static constexpr qint64 EdgeMs = 250;

private:
    QVector<Item> items;
};
