// A Blu-ray title's clock from the time stamp of the picture the engine shows: clips whose
// clocks start anywhere, clips whose clocks overlap, items cut at either end.
#include "player/TitleTimeline.h"

#include <QTest>

class TitleTimelineTest : public QObject
{
    Q_OBJECT
private slots:
    void pictureTimeToTitleTime_data();
    void pictureTimeToTitleTime();
    void itemAtAndLength();
};

namespace {

// "IN+LENGTH" per item, in milliseconds; each item follows the one before in the title.
TitleTimeline Items(const QStringList &items)
{
    QVector<TitleTimeline::Item> list;
    qint64 start = 0;
    for (const QString &item : items) {
        const qint64 in = item.section(QLatin1Char('+'), 0, 0).toLongLong();
        const qint64 length = item.section(QLatin1Char('+'), 1, 1).toLongLong();
        list.append({in, length, start});
        start += length;
    }
    return TitleTimeline(list);
}

} // namespace

void TitleTimelineTest::pictureTimeToTitleTime_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<qint64>("ptsMs");
    QTest::addColumn<qint64>("nearMs");
    QTest::addColumn<qint64>("titleMs"); // -1: no title time

    // As shop discs are mastered: three clips of 60.48 s from 11.65 s, 600 s and 3000 s.
    const QStringList shop{"11650+60480", "600000+60480", "3000000+60480"};
    QTest::newRow("shop: first picture") << shop << qint64(11650) << qint64(0) << qint64(0);
    QTest::newRow("shop: first picture of the second clip")
        << shop << qint64(600000) << qint64(60500) << qint64(60480);
    QTest::newRow("shop: seek to 100 s lands on the key frame before")
        << shop << qint64(639000) << qint64(100000) << qint64(99480);
    // The engine answers in tenths of a second, and may round past OUT (72.13 s here).
    QTest::newRow("shop: rounded past OUT stays in the item")
        << shop << qint64(72200) << qint64(60400) << qint64(60480);
    QTest::newRow("shop: no clip holds it")
        << shop << qint64(300000) << qint64(60000) << qint64(-1);

    // Every clip starting at 600 s: where the clock stands tells which item shows.
    const QStringList overlapping{"600000+60000", "600000+60000", "600000+60000"};
    QTest::newRow("overlap: second item")
        << overlapping << qint64(610000) << qint64(71000) << qint64(70000);
    QTest::newRow("overlap: third item, clock a little ahead")
        << overlapping << qint64(600500) << qint64(121700) << qint64(120500);
    QTest::newRow("overlap: join, the next item's first picture")
        << overlapping << qint64(600000) << qint64(60100) << qint64(60000);

    // A 5 s logo, then the film cut 2 s at its start and 3 s at its end.
    const QStringList logoAndFilm{"11650+5000", "602000+15000"};
    QTest::newRow("film's first picture after the cut")
        << logoAndFilm << qint64(602000) << qint64(5000) << qint64(5000);
    QTest::newRow("a trimmed frame is no title time")
        << logoAndFilm << qint64(600500) << qint64(5000) << qint64(-1);

    // One clip played twice (a recap): the same picture at two places in the title.
    const QStringList twice{"1400+30000", "1400+30000"};
    QTest::newRow("twice: second time") << twice << qint64(11400) << qint64(40600) << qint64(40000);
}

void TitleTimelineTest::pictureTimeToTitleTime()
{
    QFETCH(QStringList, items);
    QFETCH(qint64, ptsMs);
    QFETCH(qint64, nearMs);
    QFETCH(qint64, titleMs);
    const std::optional<qint64> found = Items(items).TitleTimeOf(ptsMs, nearMs);
    QCOMPARE(found.value_or(-1), titleMs);
}

void TitleTimelineTest::itemAtAndLength()
{
    // Lengths add up in milliseconds: 3 x 60.48 s is 181.44 s, not 180 s.
    const TitleTimeline shop = Items({"11650+60480", "600000+60480", "3000000+60480"});
    QCOMPARE(shop.LengthMs(), qint64(181440));
    QCOMPARE(shop.ItemAt(-5), 0);
    QCOMPARE(shop.ItemAt(60479), 0);
    QCOMPARE(shop.ItemAt(60480), 1);
    QCOMPARE(shop.ItemAt(181440), 2);
    QCOMPARE(TitleTimeline().ItemAt(0), -1);

    // From a playlist's items: a damaged item's negative length counts as none.
    MplsPlayItem bad;
    bad.inTimeMs = 1000;
    bad.durationMs = -500;
    QCOMPARE(TitleTimeline::FromPlayItems({bad}).LengthMs(), qint64(0));
}

QTEST_APPLESS_MAIN(TitleTimelineTest)
#include "tst_title_timeline.moc"
