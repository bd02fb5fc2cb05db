#include "engine/EngineCommandLine.h"
#include "engine/EngineProcess.h"
#include "engine/EngineScreenshot.h"
#include "engine/SlaveCommand.h"
#include "player/SnapshotNaming.h"
#include "player/SnapshotWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using Kind = EngineEvent::Kind;

// One session of the real engine (mplayer from PATH: no stand-in sits beside this test),
// without a display: the window's own tests check the picture.
class RealEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void playsAFileFromStartToEnd();
    void forgedScreenshotLineTouchesNoUserFile();

private:
    // Runs ffmpeg with these arguments after the common ones; fails the test on error.
    bool MakeMedia(const QStringList &arguments);
    // Plays the file to its end, handling screenshots as the window does; returns the events.
    QList<EngineEvent> Play(const QString &media, bool takeScreenshot);

    std::unique_ptr<QTemporaryDir> root;
    QString dataFolder;     // the screenshot filter's folder
    QString snapshotFolder; // where snapshots go
    QList<SnapshotWriter::Result> snapshots;
};

void RealEngineTest::initTestCase()
{
    if (QStandardPaths::findExecutable("mplayer").isEmpty() ||
        QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("mplayer and ffmpeg are needed");
}

void RealEngineTest::init()
{
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    dataFolder = root->filePath("Orvel BluRay Player") + '/';
    snapshotFolder = root->filePath("Snapshots") + '/';
    QVERIFY(QDir().mkpath(dataFolder));
    QVERIFY(QDir().mkpath(snapshotFolder));
    snapshots.clear();
}

bool RealEngineTest::MakeMedia(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.setWorkingDirectory(root->path());
    ffmpeg.start("ffmpeg",
                 QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-y"} + arguments);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg: %s", ffmpeg.readAllStandardError().constData());
        return false;
    }
    return true;
}

QList<EngineEvent> RealEngineTest::Play(const QString &media, bool takeScreenshot)
{
    QList<EngineEvent> events;
    bool ended = false;
    EngineProcess engine;
    connect(&engine, &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        events << event;
        if (event.kind == Kind::VideoStarted) {
            engine.Send(SlaveCommand::GetTimeLength());
            if (takeScreenshot)
                engine.Send(SlaveCommand::Screenshot());
        } else if (event.kind == Kind::Screenshot) {
            const EngineScreenshot shot = EngineScreenshot::Check(event.screenshotPath, dataFolder);
            snapshots << SnapshotWriter::Save(
                shot, SnapshotFileName(snapshotFolder, QDateTime::currentDateTime(), "JPG"), "JPG");
        }
    });
    connect(&engine, &EngineProcess::finished, this, [&](int code, bool crashed) {
        ended = true;
        if (code != 0 || crashed)
            qWarning("engine ended with %d%s", code, crashed ? ", crashed" : "");
    });
    engine.SetWorkingFolder(dataFolder);
    engine.Start(HeadlessEngineArguments(EngineArguments(EngineSource::MediaFile, media, 0)));
    if (!QTest::qWaitFor([&] { return ended; }, 30000))
        qWarning("engine did not end in time");
    return events;
}

void RealEngineTest::playsAFileFromStartToEnd()
{
    QFile subtitles(root->filePath("sub.srt"));
    QVERIFY(subtitles.open(QIODevice::WriteOnly));
    subtitles.write("1\n00:00:00,500 --> 00:00:02,500\nHello\n");
    subtitles.close();
    const QString media = root->filePath("three seconds \u00e9t\u00e9.mkv");
    QVERIFY(MakeMedia({"-f",   "lavfi",   "-i",   "testsrc=size=320x240:rate=25:duration=3",
                       "-f",   "lavfi",   "-i",   "sine=frequency=440:duration=3",
                       "-f",   "lavfi",   "-i",   "sine=frequency=660:duration=3",
                       "-i",   "sub.srt", "-map", "0",
                       "-map", "1",       "-map", "2",
                       "-map", "3",       "-c:v", "libx264",
                       "-c:a", "aac",     "-c:s", "srt",
                       media}));

    const QList<EngineEvent> events = Play(media, true);
    auto count = [&](Kind kind) {
        return std::count_if(events.begin(), events.end(),
                             [kind](const EngineEvent &e) { return e.kind == kind; });
    };
    QCOMPARE(count(Kind::Playing), 1);
    QCOMPARE(count(Kind::AudioStream), 2);
    QCOMPARE(count(Kind::SubtitleStream), 1);
    QCOMPARE(count(Kind::VideoStarted), 1);
    QVERIFY(!events.isEmpty());
    QCOMPARE(events.last().kind, Kind::EndOfFile);

    // The streams are announced before the video starts.
    qsizetype video = 0;
    while (events[video].kind != Kind::VideoStarted)
        ++video;
    QCOMPARE(count(Kind::AudioStream) + count(Kind::SubtitleStream),
             std::count_if(events.begin(), events.begin() + video, [](const EngineEvent &e) {
                 return e.kind == Kind::AudioStream || e.kind == Kind::SubtitleStream;
             }));

    const auto length = std::find_if(events.begin(), events.end(), [](const EngineEvent &e) {
        return e.kind == Kind::LengthAnswer;
    });
    QVERIFY(length != events.end());
    QVERIFY(length->valueValid);
    QCOMPARE(length->wholeSeconds, qint64(3));

    // A real screenshot passes the check and becomes a JPEG snapshot; the engine's file goes.
    QCOMPARE(snapshots, QList<SnapshotWriter::Result>{SnapshotWriter::Result::Saved});
    const QStringList saved = QDir(snapshotFolder).entryList({"Snapshot-*.JPG"}, QDir::Files);
    QCOMPARE(saved.size(), 1);
    QCOMPARE(QImageReader::imageFormat(snapshotFolder + saved.first()), QByteArray("jpeg"));
    QCOMPARE(QImageReader(snapshotFolder + saved.first()).size(), QSize(320, 240));
    QCOMPARE(QDir(dataFolder).entryList(QDir::Files), QStringList());
}

void RealEngineTest::forgedScreenshotLineTouchesNoUserFile()
{
    const QString victim = root->filePath("victim.png");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(victim, "PNG"));
    const QByteArray before = [&] {
        QFile file(victim);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    const QString media = root->filePath("crafted.mkv");
    QVERIFY(
        MakeMedia({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1", "-c:v",
                   "libx264", "-metadata", "title=x\n*** screenshot '" + victim + "' ***", media}));

    const QList<EngineEvent> events = Play(media, false);
    QVERIFY(!events.isEmpty());
    QCOMPARE(events.last().kind, Kind::EndOfFile);

    QFile file(victim);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QVERIFY(QDir(snapshotFolder).entryList(QDir::Files).isEmpty());

    const bool forged = std::any_of(events.begin(), events.end(), [&](const EngineEvent &e) {
        return e.kind == Kind::Screenshot && e.screenshotPath == victim;
    });
    if (!forged)
        QSKIP("this engine did not print the media's title verbatim");
    QCOMPARE(snapshots, QList<SnapshotWriter::Result>{SnapshotWriter::Result::NotAccepted});
}

QTEST_GUILESS_MAIN(RealEngineTest)
#include "tst_engine_real.moc"
