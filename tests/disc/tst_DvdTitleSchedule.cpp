// When a DVD's title listing runs: after the first picture of a disc, once per disc, and
// never for a disc that is no longer the one opened.
#include "disc/DvdTitleSchedule.h"

#include <QtTest>

class DvdTitleScheduleTest : public QObject
{
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
};

void DvdTitleScheduleTest::steps_data()
{
    // Each step: "open:DISC" (answered "known" or "wait") or "due" (answered with the disc
    // to list, "-" for none).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("answers");
    QTest::newRow("a disc waits for its picture, then lists once")
        << QStringList{"open:A", "due", "due"} << QStringList{"wait", "A", "-"};
    QTest::newRow("nothing is due before a disc opens") << QStringList{"due"} << QStringList{"-"};
    QTest::newRow("the same disc again shows what is known")
        << QStringList{"open:A", "due", "open:A", "due"} << QStringList{"wait", "A", "known", "-"};
    QTest::newRow("another disc before the picture: only the newer one lists")
        << QStringList{"open:A", "open:B", "due", "due"} << QStringList{"wait", "wait", "B", "-"};
    QTest::newRow("back to an earlier disc lists it again")
        << QStringList{"open:A", "due", "open:B", "due", "open:A", "due"}
        << QStringList{"wait", "A", "wait", "B", "wait", "A"};
    QTest::newRow("the same disc opened while it waits still lists once")
        << QStringList{"open:A", "open:A", "due", "due"} << QStringList{"wait", "wait", "A", "-"};
}

void DvdTitleScheduleTest::steps()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, answers);
    QCOMPARE(steps.size(), answers.size());
    DvdTitleSchedule schedule;
    for (int i = 0; i < steps.size(); ++i) {
        QString answer;
        if (steps[i].startsWith("open:")) {
            answer = schedule.Opened(steps[i].mid(5)) == DvdTitleSchedule::Step::ShowKnown ? "known"
                                                                                           : "wait";
        } else {
            const QString due = schedule.Due();
            answer = due.isEmpty() ? "-" : due;
        }
        QCOMPARE(answer, answers[i]);
    }
}

QTEST_APPLESS_MAIN(DvdTitleScheduleTest)
#include "tst_DvdTitleSchedule.moc"
