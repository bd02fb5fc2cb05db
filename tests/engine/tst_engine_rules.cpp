#include "engine/EngineCommandLine.h"
#include "engine/FormatTime.h"
#include "player/SessionRules.h"

#include <QTest>

class EngineRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void formatsTime_data();
    void formatsTime();
    void onlyADvdWithoutLengthTakesTheEngineLength_data();
    void onlyADvdWithoutLengthTakesTheEngineLength();
};

void EngineRulesTest::formatsTime_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << qint64(0) << "00:00:00";
    QTest::newRow("59 s") << qint64(59) << "00:00:59";
    QTest::newRow("61 s") << qint64(61) << "00:01:01";
    QTest::newRow("one hour") << qint64(3600) << "01:00:00";
    QTest::newRow("dvd length") << qint64(5423) << "01:30:23";
    QTest::newRow("100 hours") << qint64(360000) << "100:00:00";
    QTest::newRow("negative") << qint64(-5) << "00:00:-5";
    // Only the low 32 bits of a negative count are shown.
    QTest::newRow("negative, low bits") << qint64(-4294967296LL - 7) << "00:00:-7";
}

void EngineRulesTest::formatsTime()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(FormatTime(seconds), text);
}

void EngineRulesTest::onlyADvdWithoutLengthTakesTheEngineLength_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("before");
    QTest::addColumn<qint64>("answered");
    QTest::addColumn<qint64>("after");
    QTest::addColumn<bool>("rangeChanged");

    QTest::newRow("dvd, unknown length")
        << int(SourceKind::Dvd) << qint64(0) << qint64(5423) << qint64(5423) << true;
    QTest::newRow("dvd, length known")
        << int(SourceKind::Dvd) << qint64(100) << qint64(5423) << qint64(100) << false;
    QTest::newRow("file without probed length")
        << int(SourceKind::MediaFile) << qint64(0) << qint64(3) << qint64(0) << false;
    QTest::newRow("blu-ray") << int(SourceKind::BluRay) << qint64(0) << qint64(3) << qint64(0)
                             << false;
}

void EngineRulesTest::onlyADvdWithoutLengthTakesTheEngineLength()
{
    QFETCH(int, kind);
    QFETCH(qint64, before);
    QFETCH(qint64, answered);
    QFETCH(qint64, after);
    QFETCH(bool, rangeChanged);
    const LengthDecision decision = DecideLengthAnswer(SourceKind(kind), before, answered);
    QCOMPARE(decision.durationSec, after);
    QCOMPARE(decision.sliderRangeChanged, rangeChanged);
}

QTEST_APPLESS_MAIN(EngineRulesTest)
#include "tst_engine_rules.moc"
