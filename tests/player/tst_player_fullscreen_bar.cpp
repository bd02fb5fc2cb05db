// When the control bar and the pointer show in full screen, as a person moves the mouse and
// rests: each row is a story of pointer places and passing time, and what shows at its end.
#include "player/FullScreenBarRules.h"

#include <QTest>

namespace {

// A screen 1024 pixels high; the bar covers its bottom 90 when it shows.
constexpr int ScreenHeight = 1024;
constexpr int BarTop = ScreenHeight - 90;

// One step of a story: "at T X,Y" is the pointer read at time T, "rest T" is time passing.
void Play(FullScreenBarRules &rules, const QString &step)
{
    const QStringList words = step.split(QLatin1Char(' '));
    const qint64 time = words.at(1).toLongLong();
    if (words.first() == QLatin1String("rest")) {
        rules.TimePassed(time);
        return;
    }
    const QStringList place = words.at(2).split(QLatin1Char(','));
    const int y = place.at(1).toInt();
    rules.PointerAt(time, place.at(0).toInt(), y, ScreenHeight, y >= BarTop);
}

} // namespace

class FullScreenBarTest : public QObject
{
    Q_OBJECT
private slots:
    void stories_data();
    void stories();
};

void FullScreenBarTest::stories_data()
{
    const int hide = FullScreenBarRules::HideAfterMs;
    const int edge = ScreenHeight - 1;
    const int aboveBand = ScreenHeight - FullScreenBarRules::EdgeBandPx - 1;
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("barShown");
    QTest::addColumn<bool>("pointerShown");
    // -1: nothing left to hide.
    QTest::addColumn<qint64>("nextChangeAt");

    QTest::newRow("full screen starts: pointer shown, no bar")
        << QStringList{"at 50 600,400"} << false << true << qint64(hide);
    QTest::newRow("the pointer hides after a rest")
        << QStringList{"at 50 600,400", QString("rest %1").arg(hide)} << false << false
        << qint64(-1);
    QTest::newRow("where the pointer already was is no move, even at the edge")
        << QStringList{QString("at 50 600,%1").arg(edge), "at 150 600,1023"} << false << true
        << qint64(hide);
    QTest::newRow("a move shows the pointer again, not the bar")
        << QStringList{"at 0 600,400", QString("rest %1").arg(hide),
                       QString("at %1 610,420").arg(hide + 500)}
        << false << true << qint64(2 * hide + 500);
    QTest::newRow("the bottom edge calls the bar")
        << QStringList{"at 0 600,400", QString("at 300 600,%1").arg(edge)} << true << true
        << qint64(300 + hide);
    QTest::newRow("just above the edge band calls nothing")
        << QStringList{"at 0 600,400", QString("at 300 600,%1").arg(aboveBand)} << false << true
        << qint64(300 + hide);
    QTest::newRow("the bar stays while the pointer rests on it")
        << QStringList{"at 0 600,400", QString("at 300 600,%1").arg(edge),
                       QString("at 400 600,%1").arg(edge), QString("rest %1").arg(10 * hide)}
        << true << true << qint64(-1);
    QTest::newRow("a move along the bar keeps it")
        << QStringList{"at 0 600,400", QString("at 300 600,%1").arg(edge),
                       QString("at %1 900,%2").arg(300 + hide - 1).arg(BarTop + 20),
                       QString("rest %1").arg(300 + 2 * hide)}
        << true << true << qint64(-1);
    QTest::newRow("left for the picture, the bar waits a rest before it hides")
        << QStringList{"at 0 600,400", QString("at 300 600,%1").arg(edge),
                       QString("at 400 600,%1").arg(edge), "at 500 600,300",
                       QString("rest %1").arg(500 + hide - 1)}
        << true << true << qint64(500 + hide);
    QTest::newRow("left for the picture, the bar and the pointer hide together")
        << QStringList{"at 0 600,400", QString("at 300 600,%1").arg(edge),
                       QString("at 400 600,%1").arg(edge), "at 500 600,300",
                       QString("rest %1").arg(500 + hide)}
        << false << false << qint64(-1);
    QTest::newRow("after hiding, the edge calls the bar again")
        << QStringList{"at 0 600,400", QString("at 300 600,%1").arg(edge), "at 500 600,300",
                       QString("rest %1").arg(500 + hide),
                       QString("at %1 700,%2").arg(5000).arg(edge)}
        << true << true << qint64(5000 + hide);
}

void FullScreenBarTest::stories()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, barShown);
    QFETCH(bool, pointerShown);
    QFETCH(qint64, nextChangeAt);
    FullScreenBarRules rules;
    rules.Start(0);
    for (const QString &step : steps)
        Play(rules, step);
    QCOMPARE(rules.Current().barShown, barShown);
    QCOMPARE(rules.Current().pointerShown, pointerShown);
    QCOMPARE(rules.NextChangeAtMs().value_or(-1), nextChangeAt);
}

QTEST_APPLESS_MAIN(FullScreenBarTest)
#include "tst_player_fullscreen_bar.moc"
