#include "disc/DvdTitles.h"

#include <QByteArray>
#include <QList>

#include <cmath>

namespace {

// A whole non-negative decimal number of at most 9 digits, or -1.
int WholeNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 9)
        return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "6.000" seconds as milliseconds, or -1; at most a few days.
qint64 SecondsAsMs(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 16)
        return -1;
    bool ok = false;
    const double seconds = text.toByteArray().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 1e6)
        return -1;
    return qint64(std::llround(seconds * 1000));
}

// "hh:mm:ss.mmm" as milliseconds, or -1.
qint64 ClockAsMs(QByteArrayView text)
{
    const QList<QByteArray> parts = text.toByteArray().split(':');
    if (parts.size() != 3)
        return -1;
    const int hours = WholeNumber(parts[0]);
    const int minutes = WholeNumber(parts[1]);
    const qint64 seconds = SecondsAsMs(parts[2]);
    if (hours < 0 || hours > 99 || minutes < 0 || minutes > 59 || seconds < 0 || seconds >= 60000)
        return -1;
    return (qint64(hours) * 3600 + minutes * 60) * 1000 + seconds;
}

// The title number n of "ID_DVD_TITLE_n_<suffix>=", or -1.
int TitleOf(QByteArrayView key, QByteArrayView suffix)
{
    constexpr QByteArrayView prefix("ID_DVD_TITLE_");
    if (!key.startsWith(prefix) || !key.endsWith(suffix))
        return -1;
    const int number =
        WholeNumber(key.sliced(prefix.size(), key.size() - prefix.size() - suffix.size()));
    return number >= 1 && number <= DvdLimits::MaxTitles ? number : -1;
}

} // namespace

DvdTitles ParseDvdTitles(QByteArrayView output)
{
    output = output.first(qMin(output.size(), DvdLimits::MaxOutputBytes));
    int count = -1;
    qint64 lengths[DvdLimits::MaxTitles + 1];
    int chapterCounts[DvdLimits::MaxTitles + 1];
    QVector<qint64> starts[DvdLimits::MaxTitles + 1];
    for (int i = 0; i <= DvdLimits::MaxTitles; ++i) {
        lengths[i] = 0;
        chapterCounts[i] = 0;
    }
    int current = 0;

    qsizetype at = 0;
    while (at < output.size()) {
        qsizetype end = output.indexOf('\n', at);
        if (end < 0)
            end = output.size();
        QByteArrayView line = output.sliced(at, end - at);
        at = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);

        if (line.startsWith("Playing ")) {
            current = 0;
            continue;
        }
        if (line.startsWith("CHAPTERS: ")) {
            if (current == 0 || !starts[current].isEmpty())
                continue;
            QVector<qint64> found;
            bool good = true;
            for (const QByteArray &item : line.sliced(10).toByteArray().split(',')) {
                const QByteArray trimmed = item.trimmed();
                if (trimmed.isEmpty())
                    continue;
                const qint64 ms = ClockAsMs(trimmed);
                if (ms < 0 || found.size() >= DvdLimits::MaxChapters ||
                    (!found.isEmpty() && ms < found.last())) {
                    good = false;
                    break;
                }
                found.append(ms);
            }
            if (good)
                starts[current] = found;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArrayView key = line.first(equals);
        const QByteArrayView value = line.sliced(equals + 1);
        if (key == "ID_DVD_TITLES") {
            const int number = WholeNumber(value);
            if (number >= 0 && number <= DvdLimits::MaxTitles)
                count = number;
        } else if (key == "ID_DVD_CURRENT_TITLE") {
            const int number = WholeNumber(value);
            current = number >= 1 && number <= DvdLimits::MaxTitles ? number : 0;
        } else if (const int title = TitleOf(key, "_LENGTH"); title > 0) {
            const qint64 ms = SecondsAsMs(value);
            if (ms >= 0)
                lengths[title] = ms;
        } else if (const int title = TitleOf(key, "_CHAPTERS"); title > 0) {
            const int chapters = WholeNumber(value);
            if (chapters >= 0 && chapters <= DvdLimits::MaxChapters)
                chapterCounts[title] = chapters;
        }
    }

    DvdTitles result;
    for (int number = 1; number <= count; ++number) {
        DvdTitle title;
        title.number = number;
        title.lengthMs = lengths[number];
        title.chapterCount = chapterCounts[number];
        // Starts beyond the counted chapters belong to no chapter the engine can seek to.
        title.chapterStartsMs = starts[number].mid(0, title.chapterCount);
        result.titles.append(title);
    }
    return result;
}
