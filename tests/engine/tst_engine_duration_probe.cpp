#include "TestMedia.h"
#include "engine/DurationProbe.h"
#include "engine/DurationProbeQueue.h"
#include "platform/EngineLocator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

class DurationProbeTest : public QObject
{
    Q_OBJECT
private slots:
    void parsesClockText_data();
    void parsesClockText();
    void takesDurationTextFromOutput_data();
    void takesDurationTextFromOutput();
    void takesFieldOrderFromOutput_data();
    void takesFieldOrderFromOutput();
    void probesARealFileThroughTheShippedTool();
    void missingToolGivesNoDuration();
    void probesOnlyRegularFiles_data();
    void probesOnlyRegularFiles();
    void hangingToolIsKilledWithinTheBound();
    void probeEndsWithAKilledPlayer();
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
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    // Shaped as ffmpeg 5 prints "-hide_banner -i NAME" to standard error.
    const QByteArray tail = "  Stream #0:0: Video: mpeg4, yuv420p, 64x48, 10 fps\n"
                            "    Metadata:\n"
                            "      DURATION        : 00:00:05.000000000\n"
                            "At least one output file must be specified\n";
    QTest::newRow("plain") << "Input #0, matroska,webm, from 'a.mkv':\n"
                              "  Duration: 00:03:25.48, start: 0.000000, bitrate: 33 kb/s\n" +
                                  tail
                           << "a.mkv"
                           << "00:03:25";
    QTest::newRow("name that looks like a length")
        << "Input #0, matroska,webm, from 'clip Duration: 09:59:59.mkv':\n"
           "  Duration: 00:00:05.00, start: 0.000000, bitrate: 33 kb/s\n" +
               tail
        << "clip Duration: 09:59:59.mkv"
        << "00:00:05";
    QTest::newRow("name with a line break and a length")
        << "Input #0, matroska,webm, from 'a\n  Duration: 09:59:59.00, start: 0.0':\n"
           "  Duration: 00:00:05.00, start: 0.000000, bitrate: 33 kb/s\n" +
               tail
        << "a\n  Duration: 09:59:59.00, start: 0.0"
        << "00:00:05";
    QTest::newRow("title holding a length")
        << "Input #0, matroska,webm, from 'a.mkv':\n  Metadata:\n"
           "    title           : Duration: 09:59:59.00, start\n"
           "  Duration: 00:00:05.00, start: 0.000000, bitrate: 33 kb/s\n" +
               tail
        << "a.mkv"
        << "00:00:05";
    QTest::newRow("title whose second line holds a length")
        << "Input #0, matroska,webm, from 'a.mkv':\n  Metadata:\n"
           "    title           : x\n"
           "                    :   Duration: 09:59:59.00, start: 0.0\n"
           "  Duration: 00:00:05.00, start: 0.000000, bitrate: 33 kb/s\n" +
               tail
        << "a.mkv"
        << "00:00:05";
    QTest::newRow("unknown length") << QByteArray("Input #0, h264, from 'a.h264':\n"
                                                  "  Duration: N/A, bitrate: N/A\n") +
                                           tail
                                    << "a.h264"
                                    << "";
    QTest::newRow("more than 99 hours") << QByteArray("Input #0, mpegts, from 'a.ts':\n"
                                                      "  Duration: 123:04:05.67, start: 1.4\n")
                                        << "a.ts"
                                        << "123:04:05";
    QTest::newRow("no input block")
        << QByteArray("a.mkv: Invalid data found when processing input\n"
                      "  Duration: 09:59:59.00, start: 0.000000, bitrate: 33 kb/s\n")
        << "a.mkv"
        << "";
    QTest::newRow("length below the streams is a tag")
        << "Input #0, matroska,webm, from 'a.mkv':\n" + tail + "  Duration: 09:59:59.00, start: 0\n"
        << "a.mkv"
        << "";
}

void DurationProbeTest::takesDurationTextFromOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QCOMPARE(DurationTextFromProbeOutput(output, name), text);
}

void DurationProbeTest::takesFieldOrderFromOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("order");

    QTest::newRow("top first") << QByteArray("  Stream #0:0: Video: mpeg2video (Main), "
                                             "yuv420p(tv, top first), 720x576 [SAR 1:1 DAR 5:4]")
                               << "top first";
    QTest::newRow("bottom first, with colours")
        << QByteArray("  Stream #0:0[0x1011]: Video: h264 (High) (HDMV / 0x564D4448), "
                      "yuv420p(tv, bt709, bottom first), 1920x1080")
        << "bottom first";
    QTest::newRow("swapped") << QByteArray("  Stream #0:0: Video: mpeg2video, "
                                           "yuv420p(tv, top coded first (swapped)), 720x480")
                             << "top coded first (swapped)";
    QTest::newRow("progressive")
        << QByteArray("  Stream #0:0: Video: h264 (High), yuv420p(progressive), 1920x1080")
        << "progressive";
    QTest::newRow("none named") << QByteArray("  Stream #0:0: Video: mpeg4, yuv420p, 320x240")
                                << QString();
    // Only the video line counts: a title or an audio line saying the words does not.
    QTest::newRow("words in a title")
        << QByteArray("    title           : (top first)\n"
                      "  Stream #0:0: Video: mpeg4, yuv420p, 320x240\n")
        << QString();
    QTest::newRow("first video stream's")
        << QByteArray("  Stream #0:0: Video: mpeg2video, yuv420p(tv, top first), 720x576\n"
                      "  Stream #0:1: Video: mjpeg, yuvj420p(pc, progressive), 90x90\n")
        << "top first";
    QTest::newRow("no output") << QByteArray() << QString();
}

void DurationProbeTest::takesFieldOrderFromOutput()
{
    QFETCH(QByteArray, output);
    QTEST(FieldOrderFromProbeOutput(output), "order");
}

void DurationProbeTest::probesARealFileThroughTheShippedTool()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("ffmpeg is not installed");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // A name and a title that hold a longer length must not be read as the length.
    const QString media = folder.filePath("tone \u00e9t\u00e9 'x' Duration: 09:59:59.mka");
    MediaMaker::FileRequest tone;
    tone.suffix = "mka";
    tone.picture.clear();
    tone.seconds = 65;
    tone.tones = {{}};
    tone.audioCodec = "pcm_s16le";
    tone.tags = {{"title", "Duration: 09:59:59.00, start: 0.000000"}};
    QString error;
    QVERIFY2(MakeTestMedia(tone, media, &error), qPrintable(error));

    // The player runs the copy in its data folder, made from the tool beside the program.
    const QString dataFolder = folder.filePath("Orvel BluRay Player") + '/';
    QVERIFY(QDir().mkpath(dataFolder));
    QVERIFY(QFile::exists(EngineLocator::ProbeToolSource()));
    QVERIFY(EngineLocator::PrepareProbeToolCopy(dataFolder));
    const QString tool = EngineLocator::ProbeToolCopy(dataFolder);
    QVERIFY(tool.endsWith("Orvel BluRay Player//tool.exe"));

    QCOMPARE(EngineLocator::ProbeToolToRun(dataFolder), tool);
    const ProbedDuration duration = ProbeDuration(tool, media);
    QCOMPARE(duration.text, QStringLiteral("00:01:05"));
    QCOMPARE(duration.seconds, qint64(65));
    QVERIFY(!duration.timedOut);

    // A full data folder left an empty copy (or none): the shipped tool measures instead,
    // and the log says so.
    for (const bool empty : {true, false}) {
        QVERIFY(QFile::remove(tool));
        if (empty) {
            QFile stub(tool);
            QVERIFY(stub.open(QIODevice::WriteOnly));
            stub.setPermissions(stub.permissions() | QFileDevice::ExeOwner);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("probe tool copy .* is run instead"));
        const QString fallback = EngineLocator::ProbeToolToRun(dataFolder);
        QCOMPARE(fallback, EngineLocator::ProbeToolSource());
        QCOMPARE(ProbeDuration(fallback, media).seconds, qint64(65));
    }
}

void DurationProbeTest::missingToolGivesNoDuration()
{
    // Any regular file will do, so the missing tool is what ends the probe.
    const ProbedDuration duration =
        ProbeDuration("/nonexistent/tool.exe", QCoreApplication::applicationFilePath());
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
    const ProbedDuration duration =
        ProbeDuration(tool, QCoreApplication::applicationFilePath()); // the default bound
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

void DurationProbeTest::probesOnlyRegularFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("probed");
    QTest::newRow("regular file") << "file" << true;
    QTest::newRow("link to a regular file") << "link" << true;
    QTest::newRow("named pipe") << "fifo" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("device") << "device" << false;
    QTest::newRow("missing") << "missing" << false;
}

void DurationProbeTest::probesOnlyRegularFiles()
{
    QFETCH(QString, kind);
    QFETCH(bool, probed);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // A tool that notes each run and reports a length for anything.
    const QString runs = folder.filePath("runs");
    const QString tool = folder.filePath("tool.exe");
    {
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho run >> \"" + QFile::encodeName(runs) +
                     "\"\nprintf \"Input #0, avi, from '%s':\\n  Duration: 00:00:09.00, "
                     "start: 0\\n\" \"$2\" >&2\n");
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    QString media = folder.filePath("media");
    if (kind == "file" || kind == "link") {
        QFile file(media);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == "link") {
            QVERIFY(QFile::link(media, folder.filePath("link")));
            media = folder.filePath("link");
        }
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(media).constData(), 0600), 0);
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(media));
    } else if (kind == "device") {
        media = QStringLiteral("/dev/zero");
    }

    QVERIFY(IsProbeableFile(media) == probed);
    QElapsedTimer clock;
    clock.start();
    const ProbedDuration duration = ProbeDuration(tool, media);
    QCOMPARE(QFile::exists(runs), probed);
    QCOMPARE(duration.seconds, probed ? qint64(9) : qint64(0));
    QVERIFY(!duration.timedOut);
    if (!probed)
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));

    // The window's queue follows the same rule and still reports every file.
    QFile::remove(runs);
    DurationProbeQueue queue;
    QSignalSpy reports(&queue, &DurationProbeQueue::probed);
    queue.Enqueue(tool, {media});
    QVERIFY(reports.wait(5000));
    QCOMPARE(reports.first().at(0).toString(), media);
    QCOMPARE(reports.first().at(1).value<ProbedDuration>().seconds, probed ? qint64(9) : qint64(0));
    QCOMPARE(QFile::exists(runs), probed);
}

namespace {

// The children of parent whose command name is name, from /proc.
QList<pid_t> ChildrenNamed(pid_t parent, const QByteArray &name)
{
    QList<pid_t> children;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        if (!isPid)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ...": the command name may hold blanks and parentheses.
        const QByteArray text = stat.readAll();
        const qsizetype open = text.indexOf('('), close = text.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (text.mid(open + 1, close - open - 1) == name && fields.value(1).toInt() == parent)
            children << pid;
    }
    return children;
}

// Gone, or a zombie waiting for whoever adopted it: either way no longer running.
bool HasEnded(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace

void DurationProbeTest::probeEndsWithAKilledPlayer()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("ffmpeg is not installed");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // A regular file that makes ffmpeg open a named pipe nobody writes: it blocks there and
    // takes no notice of SIGTERM.
    QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath("pipe")).constData(), 0600), 0);
    const QString media = folder.filePath("list.ffconcat");
    {
        QFile list(media);
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("ffconcat version 1.0\nfile pipe\n");
    }

    // A stand-in player that runs the shipped wrapper through the window's probe queue.
    QProcess player;
    player.start(ORVEL_PROBE_CHILD, {EngineLocator::ProbeToolSource(), media});
    QVERIFY(player.waitForStarted(5000));
    const pid_t playerPid = pid_t(player.processId());
    QList<pid_t> probes;
    // The wrapper execs ffmpeg, so ffmpeg itself is the player's child.
    QTRY_VERIFY_WITH_TIMEOUT(!(probes = ChildrenNamed(playerPid, "ffmpeg")).isEmpty(), 30000);
    // A fixed wait, as nothing may happen in it: the probe stays blocked on the pipe.
    QTest::qWait(300);
    QVERIFY(!HasEnded(probes.first()));

    QCOMPARE(::kill(playerPid, SIGKILL), 0);
    QVERIFY(player.waitForFinished(5000));
    const bool ended = QTest::qWaitFor([&] { return HasEnded(probes.first()); }, 30000);
    if (!ended)
        ::kill(probes.first(), SIGKILL); // leave nothing behind, then report
    QVERIFY2(ended, "the probe outlived the player");
}

QTEST_GUILESS_MAIN(DurationProbeTest)
#include "tst_engine_duration_probe.moc"
