#include "PlayerControllerTestAccess.h"
#include "TestMedia.h"
#include "engine/EngineCommandLine.h"
#include "engine/EngineProcess.h"
#include "engine/EngineScreenshot.h"
#include "engine/SlaveCommand.h"
#include "player/PlayerController.h"
#include "player/ResumeStore.h"
#include "player/SnapshotNaming.h"
#include "player/SnapshotWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    void reportsLanguagesSubtitleFilesAndChapters();
    void aResumedFilmNeverStartsAfterWhereItWasLeft();

private:
    // Makes the file at PATH; false (and says why) on error.
    bool MakeMedia(const MediaMaker::FileRequest &request, const QString &path);
    // Plays the file to its end, handling screenshots as the window does; returns the events.
    QList<EngineEvent> Play(const QString &media, bool takeScreenshot);

    std::unique_ptr<QTemporaryDir> root;
    MediaMaker maker{TestMediaCache()};
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

bool RealEngineTest::MakeMedia(const MediaMaker::FileRequest &request, const QString &path)
{
    QString error;
    if (!maker.MakeFileAs(request, path, &error)) {
        qWarning("%s", qPrintable(error));
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
    MediaMaker::FileRequest film;
    film.seconds = 3;
    film.videoCodec = "libx264";
    film.tones = {{440, {}, {}}, {660, {}, {}}};
    film.audioCodec = "aac";
    film.subtitles = {{"1\n00:00:00,500 --> 00:00:02,500\nHello\n", {}, {}}};
    const QString media = root->filePath("three seconds \u00e9t\u00e9.mkv");
    QVERIFY(MakeMedia(film, media));

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
    MediaMaker::FileRequest crafted;
    crafted.width = 160;
    crafted.height = 120;
    crafted.seconds = 1;
    crafted.videoCodec = "libx264";
    crafted.tags = {{"title", "x\n*** screenshot '" + victim + "' ***"}};
    QVERIFY(MakeMedia(crafted, media));

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
    // With "-identify" the engine prints the title twice, so the forged line comes twice.
    QVERIFY(!snapshots.isEmpty());
    QVERIFY(std::all_of(snapshots.begin(), snapshots.end(), [](SnapshotWriter::Result result) {
        return result == SnapshotWriter::Result::NotAccepted;
    }));
}

// A film tagged as viewers' films are: German and English audio, a French subtitle stream,
// chapters, and a subtitle file beside it that the engine loads by itself. A second file is
// loaded through the slave protocol under a name that needs quoting, a missing one fails.
void RealEngineTest::reportsLanguagesSubtitleFilesAndChapters()
{
    auto write = [&](const QString &name, const QByteArray &content) {
        QFile file(root->filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    };
    MediaMaker::FileRequest film;
    film.width = 160;
    film.height = 120;
    film.seconds = 6;
    film.videoCodec = "libx264";
    film.keyFrameInterval = 25;
    film.tones = {{440, "ger", "Stereo"}, {660, "eng", {}}};
    film.audioCodec = "aac";
    film.subtitles = {{"1\n00:00:00,500 --> 00:00:05,000\nBonjour\n", "fre", {}}};
    film.chapters = {{0, 2000, "Opening"}, {2000, 4000, "Middle, part"}, {4000, 6000, {}}};
    const QString media = root->filePath("film.mkv");
    QVERIFY(MakeMedia(film, media));
    QVERIFY(write("film.srt", "1\n00:00:00,500 --> 00:00:05,000\nGr\xfc\xdf Gott\n"));
    const QString added = root->filePath("it's \"quoted\" \u00e9t\u00e9.srt");
    QVERIFY(write(QFileInfo(added).fileName(), "1\n00:00:00,500 --> 00:00:05,000\nHi\n"));
    const QString missing = root->filePath("missing.srt");

    QList<EngineEvent> events;
    bool ended = false;
    EngineProcess engine;
    connect(&engine, &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        events << event;
        if (event.kind == Kind::VideoStarted) {
            engine.Send(*SlaveCommand::SubLoad(added));
            engine.Send(SlaveCommand::AskSubtitleFile());
            engine.Send(*SlaveCommand::SubLoad(missing));
            engine.Send(SlaveCommand::AskSubtitleFile());
            engine.Send(SlaveCommand::SeekChapter(2));
            // Asked once the seek has been done, it says where the chapter put the film.
            QTimer::singleShot(1000, &engine, [&] { engine.Send(SlaveCommand::GetTimePos()); });
        } else if (event.kind == Kind::PositionAnswer) {
            engine.Send(SlaveCommand::Quit());
        }
    });
    connect(&engine, &EngineProcess::finished, this, [&] { ended = true; });
    engine.SetWorkingFolder(dataFolder);
    engine.Start(HeadlessEngineArguments(EngineArguments(EngineSource::MediaFile, media, 0)));
    QVERIFY(QTest::qWaitFor([&] { return ended; }, 30000));

    auto all = [&](Kind kind) {
        QList<EngineEvent> found;
        for (const EngineEvent &event : events) {
            if (event.kind == kind)
                found << event;
        }
        return found;
    };
    const QList<EngineEvent> audio = all(Kind::AudioStream);
    QCOMPARE(audio.size(), 2);
    QCOMPARE(audio[0].language + '|' + audio[0].title, QStringLiteral("ger|Stereo"));
    QCOMPARE(audio[1].language, QStringLiteral("eng"));
    QCOMPARE(all(Kind::SubtitleStream).value(0).language, QStringLiteral("fre"));
    const QList<EngineEvent> files = all(Kind::SubtitleFileAdded);
    QCOMPARE(files.size(), 2);
    QCOMPARE(files[0].subtitlePath, root->filePath("film.srt"));
    QCOMPARE(files[1].subtitlePath, added);
    // The file beside the film comes after "VIDEO:" but before the engine reads commands;
    // then the added file and its answer, and an answer with no "Added" line before it for
    // the missing one. The engine shows the file beside the film (0) by itself.
    QList<Kind> afterVideo;
    QList<int> shown;
    bool video = false;
    for (const EngineEvent &event : events) {
        video = video || event.kind == Kind::VideoStarted;
        if (video && (event.kind == Kind::SubtitleFileAdded ||
                      event.kind == Kind::SubtitleFileAnswer || event.kind == Kind::ErrorAnswer))
            afterVideo << event.kind;
        if (event.kind == Kind::SubtitleFileAnswer)
            shown << event.number;
    }
    QCOMPARE(afterVideo, (QList<Kind>{Kind::SubtitleFileAdded, Kind::SubtitleFileAdded,
                                      Kind::SubtitleFileAnswer, Kind::SubtitleFileAnswer}));
    QCOMPARE(shown, (QList<int>{0, 0}));

    const QList<EngineEvent> starts = all(Kind::ChapterStart);
    QCOMPARE(starts.size(), 3);
    QCOMPARE(starts[2].number, 2);
    QCOMPARE(starts[2].value, 4.0);
    // A chapter without a title gets no name line.
    const QList<EngineEvent> names = all(Kind::ChapterName);
    QCOMPARE(names.size(), 2);
    QCOMPARE(QString::number(names[1].number) + names[1].title, QStringLiteral("1Middle, part"));
    // The engine's seek to a chapter lands at its start (at the key frame there).
    const QList<EngineEvent> position = all(Kind::PositionAnswer);
    QCOMPARE(position.size(), 1);
    QVERIFY2(position[0].value >= 4.0 && position[0].value < 6.0,
             qPrintable(QString::number(position[0].value)));
}

void RealEngineTest::aResumedFilmNeverStartsAfterWhereItWasLeft()
{
    // A key frame every 10 s: a seek to 122 s lands on the one at 130 s.
    MediaMaker::FileRequest keyframes;
    keyframes.width = 160;
    keyframes.height = 120;
    keyframes.seconds = 150;
    keyframes.videoCodec = "libx264";
    keyframes.keyFrameInterval = 250;
    keyframes.codingOptions = {"-preset", "ultrafast", "-keyint_min", "250", "-sc_threshold", "0"};
    QVERIFY(MakeMedia(keyframes, root->filePath("keyframes.mkv")));
    const QString film = root->filePath("keyframes.mkv");
    ResumePoint left;
    left.position = 127;
    left.volume = 40;
    left.savedAt = QDateTime::currentSecsSinceEpoch();
    QVERIFY(ResumeStore(ResumeStore::FilePathIn(dataFolder))
                .Remember(*ResumeKey::ForMediaFile(film), left));

    PlayerController controller(dataFolder);
    QVERIFY(controller.Handle(Ask::Open{{film}, Ask::From::OpenDialog}));
    QCOMPARE(SessionOf(controller).CurrentLaunch().startSec, 122);
    QVERIFY(SessionOf(controller).Engine());
    QList<double> answers;
    connect(SessionOf(controller).Engine(), &EngineProcess::eventReceived, this,
            [&answers](const EngineEvent &event) {
                if (event.kind == Kind::PositionAnswer && event.valueValid)
                    answers << event.value;
            });
    // The engine lands after the place, is sent back, and plays from a key frame before it.
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(answers.begin(), answers.end(),
                                         [](double at) { return at >= 110 && at <= 127; }),
                             30000);
    controller.Handle(Ask::Quit{});
}

QTEST_GUILESS_MAIN(RealEngineTest)
#include "tst_engine_real.moc"
