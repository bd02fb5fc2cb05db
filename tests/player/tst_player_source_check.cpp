// What the desktop may hand over to be played, told apart before anything stops.
#include "SourceSamples.h"
#include "player/SourceCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Verdict = SourceCheck::Verdict;
Q_DECLARE_METATYPE(SourceCheck::Verdict)

class SourceCheckTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tellsWhatCanBePlayed_data();
    void tellsWhatCanBePlayed();

private:
    QTemporaryDir root;
};

void SourceCheckTest::initTestCase()
{
    QVERIFY(root.isValid());
    const QString made = MakeSourceSamples(root.path(), "damaged.iso", "pipe.mkv");
    QVERIFY2(made.isEmpty(), qPrintable(made));
}

void SourceCheckTest::tellsWhatCanBePlayed_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Verdict>("verdict");
    QTest::newRow("media file") << root.filePath("film.mkv") << Verdict::MediaFile;
    QTest::newRow("blu-ray folder") << root.filePath("Blu-ray") << Verdict::Disc;
    QTest::newRow("folder that is no disc") << root.filePath("holiday photos") << Verdict::NotADisc;
    QTest::newRow("damaged image") << root.filePath("damaged.iso") << Verdict::NotADisc;
    QTest::newRow("named pipe") << root.filePath("pipe.mkv") << Verdict::NotMedia;
    QTest::newRow("character device") << QStringLiteral("/dev/zero") << Verdict::NotMedia;
    QTest::newRow("missing") << root.filePath("gone.mkv") << Verdict::Missing;
    QTest::newRow("nothing") << QString() << Verdict::Missing;
}

void SourceCheckTest::tellsWhatCanBePlayed()
{
    QFETCH(QString, path);
    QFETCH(Verdict, verdict);
    QCOMPARE(SourceCheck::Check(path), verdict);
}

QTEST_APPLESS_MAIN(SourceCheckTest)
#include "tst_player_source_check.moc"
