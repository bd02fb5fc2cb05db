#include "player/TitleTimeline.h"

TitleTimeline::TitleTimeline(const QVector<Item> &items) : items(items) {}

TitleTimeline TitleTimeline::FromPlayItems(const QVector<MplsPlayItem> &playItems)
{
    QVector<Item> items;
    for (const MplsPlayItem &playItem : playItems)
        items.append({playItem.inTimeMs, qMax<qint64>(playItem.durationMs, 0), playItem.startMs});
    return TitleTimeline(items);
}

qint64 TitleTimeline::LengthMs() const
{
    qint64 length = 0;
    for (const Item &item : items)
        length += item.durationMs;
    return length;
}

int TitleTimeline::ItemAt(qint64 titleMs) const
{
    int found = items.isEmpty() ? -1 : 0;
    for (int i = 1; i < items.size(); ++i) {
        if (titleMs >= items[i].startMs)
            found = i;
    }
    return found;
}

std::optional<qint64> TitleTimeline::TitleTimeOf(qint64 ptsMs, qint64 nearTitleMs) const
{
    std::optional<qint64> best;
    for (const Item &item : items) {
        const qint64 intoItem = ptsMs - item.inMs;
        if (intoItem < -EdgeMs || intoItem > item.durationMs + EdgeMs)
            continue;
        // A frame a little outside the stretch still belongs to this item's part of the title.
        const qint64 titleMs = item.startMs + qBound<qint64>(0, intoItem, item.durationMs);
        if (!best || qAbs(titleMs - nearTitleMs) < qAbs(*best - nearTitleMs))
            best = titleMs;
    }
    return best;
}
