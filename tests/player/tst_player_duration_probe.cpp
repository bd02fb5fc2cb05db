#include "disc/DurationProbe.h"
#include "platform/EngineLocator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <signal.h>

class DurationProbeTest : public QObject
{
    Q_OBJECT
private slots:
    void parsesClockText_data();
    void parsesClockText();
    void takesDurationTextFromOutput_data();
    void takesDurationTextFromOutput();
    void probesARealFileThroughTheShippedTool();
    void missingToolGivesNoDuration();
    void hangingToolIsKilledWithinTheBound();
};

void DurationProbeTest::parsesClockText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("seconds");

    QTest::newRow("full") << QByteArray("01:42:07") << qint64(6127);
    QTest::newRow("probe example") << QByteArray("00:03:25") << qint64(205);
    QTest::newRow("fraction ignored") << QByteArray("00:03:25.48") << qint64(205);
    QTest::newRow("empty") << QByteArray() << qint64(0);
    QTest::newRow("hours only") << QByteArray("2") << qint64(7200);
    QTest::newRow("hours and minutes") << QByteArray("1:30") << qint64(5400);
    QTest::newRow("long hours") << QByteArray("100:00:00") << qint64(360000);
    QTest::newRow("leading blanks") << QByteArray("  01: 02: 03") << qint64(3723);
    QTest::newRow("no length") << QByteArray("N/A, sta") << qint64(0);
    QTest::newRow("text after colon") << QByteArray("01:xx:05") << qint64(3605);
    QTest::newRow("huge fields stay finite")
        << QByteArray("99999999999999999999:0:0") << qint64((qint64(1) << 40) * 3600);
}

void DurationProbeTest::parsesClockText()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, seconds);
    QCOMPARE(ParseClockText(text), seconds);
}

void DurationProbeTest::takesDurationTextFromOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("text");

    QTest::newRow("ffmpeg") << QByteArray("Input #0, matroska,webm, from 'a.mkv':\n"
                                          "  Duration: 00:03:25.48, start: 0.000000, bitrate")
                            << "00:03:25";
    QTest::newRow("first of two") << QByteArray("Duration: 01:00:00.00\nDuration: 02:00:00.00")
                                  << "01:00:00";
    QTest::newRow("unknown length") << QByteArray("  Duration: N/A, start: 0.0") << "N/A, sta";
    QTest::newRow("cut short") << QByteArray("Duration: 00:0") << "00:0";
    QTest::newRow("none") << QByteArray("a.mkv: Invalid data found") << "";
    QTest::newRow("case matters") << QByteArray("duration: 00:00:05.00") << "";
}

void DurationProbeTest::takesDurationTextFromOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(QString, text);
    QCOMPARE(DurationTextFromProbeOutput(output), text);
}

void DurationProbeTest::probesARealFileThroughTheShippedTool()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("ffmpeg is not installed");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString media = folder.filePath("tone \u00e9t\u00e9 'x'.mka");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-loglevel", "error", "-nostdin", "-f", "lavfi", "-i",
                            "sine=frequency=440:duration=65", "-c:a", "pcm_s16le", media});
    QVERIFY(ffmpeg.waitForFinished(60000));
    QCOMPARE(ffmpeg.exitCode(), 0);

    // The player runs the copy in its data folder, made from the tool beside the program.
    const QString dataFolder = folder.filePath("Orvel BluRay Player") + '/';
    QVERIFY(QDir().mkpath(dataFolder));
    QVERIFY(QFile::exists(EngineLocator::ProbeToolSource()));
    QVERIFY(EngineLocator::PrepareProbeToolCopy(dataFolder));
    const QString tool = EngineLocator::ProbeToolCopy(dataFolder);
    QVERIFY(tool.endsWith("Orvel BluRay Player//tool.exe"));

    const ProbedDuration duration = ProbeDuration(tool, media);
    QCOMPARE(duration.text, QStringLiteral("00:01:05"));
    QCOMPARE(duration.seconds, qint64(65));
    QVERIFY(!duration.timedOut);
}

void DurationProbeTest::missingToolGivesNoDuration()
{
    const ProbedDuration duration = ProbeDuration("/nonexistent/tool.exe", "/v/a.mkv");
    QVERIFY(duration.text.isEmpty());
    QCOMPARE(duration.seconds, qint64(0));
    QVERIFY(!duration.timedOut);
}

void DurationProbeTest::hangingToolIsKilledWithinTheBound()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString pidFile = folder.filePath("pid");
    const QString tool = folder.filePath("tool.exe");
    {
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho $$ > \"" + QFile::encodeName(pidFile) +
                     "\"\necho 'Duration: 00:00:01.00' >&2\nexec sleep 120\n");
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }

    QElapsedTimer clock;
    clock.start();
    const ProbedDuration duration = ProbeDuration(tool, "/v/a.mkv"); // the default bound
    const qint64 elapsed = clock.elapsed();

    QVERIFY(duration.timedOut);
    QVERIFY(duration.text.isEmpty()); // what a killed tool said is not trusted
    QVERIFY2(elapsed < 15000, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed >= 9000, qPrintable(QString::number(elapsed)));

    QFile pid(pidFile);
    QVERIFY(pid.open(QIODevice::ReadOnly));
    const pid_t toolPid = pid.readAll().trimmed().toInt();
    QVERIFY(toolPid > 0);
    QVERIFY(kill(toolPid, 0) != 0 && errno == ESRCH);
}

QTEST_GUILESS_MAIN(DurationProbeTest)
#include "tst_player_duration_probe.moc"
