// The media files the tests play, as ffprobe reads them back, and the cache that keeps them:
// a request asked for again is not made again, and a request that differs anywhere never
// gets a file made for another.
#include "MediaMaker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using Change = std::function<void(MediaMaker::FileRequest &)>;
Q_DECLARE_METATYPE(Change)

namespace {

// A second of a small picture with one of everything a request can carry.
MediaMaker::FileRequest SmallFilm()
{
    MediaMaker::FileRequest film;
    film.seconds = 1;
    film.width = 64;
    film.height = 48;
    film.framesPerSecond = 10;
    film.tones = {{440, "ger", "Stereo"}};
    film.subtitles = {{"1\n00:00:00,000 --> 00:00:01,000\nHallo\n", "fre", "Forced"}};
    film.chapters = {{0, 500, "Opening"}, {500, 1000, {}}};
    film.tags = {{"title", "A film"}};
    return film;
}

QJsonObject Probe(const QString &path)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_streams", "-show_chapters", "-show_format", "-of",
                            "json", path});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
}

} // namespace

class MediaMakerTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void madeFilesHoldWhatWasAsked();
    void aRequestDifferingAnywhereGetsAFileOfItsOwn_data();
    void aRequestDifferingAnywhereGetsAFileOfItsOwn();

private:
    QTemporaryDir cache;
};

void MediaMakerTest::initTestCase()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty() ||
        QStandardPaths::findExecutable("ffprobe").isEmpty())
        QFAIL("ffmpeg and ffprobe are needed (scripts/install-deps.sh installs them)");
    QVERIFY(cache.isValid());
}

void MediaMakerTest::madeFilesHoldWhatWasAsked()
{
    MediaMaker maker(cache.path());
    MediaMaker::FileRequest film = SmallFilm();
    film.tones << MediaMaker::FileRequest::Tone{660, "eng", {}};
    QString path;
    QString error;
    QVERIFY2(maker.MakeFile(film, path, &error), qPrintable(error));
    QVERIFY(path.endsWith(".mkv"));

    const QJsonObject probed = Probe(path);
    const QJsonArray streams = probed.value("streams").toArray();
    QStringList kinds, languages, titles;
    for (const QJsonValue &stream : streams) {
        kinds << stream["codec_type"].toString();
        languages << stream["tags"]["language"].toString();
        titles << stream["tags"]["title"].toString();
    }
    QCOMPARE(kinds, QStringList({"video", "audio", "audio", "subtitle"}));
    QCOMPARE(languages.mid(1), QStringList({"ger", "eng", "fre"}));
    QCOMPARE(titles.mid(1), QStringList({"Stereo", "", "Forced"}));
    QCOMPARE(streams[0]["width"].toInt(), 64);
    QCOMPARE(streams[0]["codec_name"].toString(), QStringLiteral("mpeg4"));
    QCOMPARE(streams[1]["codec_name"].toString(), QStringLiteral("mp2"));
    QCOMPARE(streams[3]["codec_name"].toString(), QStringLiteral("subrip"));
    const QJsonArray chapters = probed.value("chapters").toArray();
    QCOMPARE(chapters.size(), 2);
    QCOMPARE(chapters[0]["tags"]["title"].toString(), QStringLiteral("Opening"));
    QCOMPARE(chapters[1]["start_time"].toString().toDouble(), 0.5);
    QCOMPARE(probed["format"]["tags"]["title"].toString(), QStringLiteral("A film"));

    // Sound only, in the container the suffix names.
    MediaMaker::FileRequest tone;
    tone.suffix = "mka";
    tone.picture.clear();
    tone.seconds = 2;
    tone.tones = {{}};
    tone.audioCodec = "pcm_s16le";
    QVERIFY2(maker.MakeFile(tone, path, &error), qPrintable(error));
    const QJsonObject sound = Probe(path);
    QCOMPARE(sound["format"]["format_name"].toString(), QStringLiteral("matroska,webm"));
    QCOMPARE(sound["streams"].toArray().size(), 1);
    QCOMPARE(sound["streams"][0]["codec_name"].toString(), QStringLiteral("pcm_s16le"));
    QCOMPARE(qRound(sound["format"]["duration"].toString().toDouble()), 2);

    // A copy under a name of the test's own, beside which it may put what it likes.
    const QString named = cache.filePath("été 'x'.mkv");
    QVERIFY2(maker.MakeFileAs(film, named, &error), qPrintable(error));
    QCOMPARE(Probe(named)["streams"].toArray().size(), 4);
}

void MediaMakerTest::aRequestDifferingAnywhereGetsAFileOfItsOwn_data()
{
    using Request = MediaMaker::FileRequest;
    QTest::addColumn<Change>("change");
    QTest::newRow("length") << Change([](Request &r) { r.seconds = 2; });
    QTest::newRow("picture") << Change([](Request &r) { r.picture = "color=c=black"; });
    QTest::newRow("width") << Change([](Request &r) { r.width = 32; });
    QTest::newRow("height") << Change([](Request &r) { r.height = 32; });
    QTest::newRow("frame rate") << Change([](Request &r) { r.framesPerSecond = 5; });
    QTest::newRow("video codec") << Change([](Request &r) { r.videoCodec = "mpeg2video"; });
    QTest::newRow("key frames") << Change([](Request &r) { r.keyFrameInterval = 5; });
    QTest::newRow("interlaced") << Change([](Request &r) { r.interlaced = true; });
    QTest::newRow("filter") << Change([](Request &r) { r.pictureFilter = "hflip"; });
    QTest::newRow("coding options") << Change([](Request &r) {
        r.codingOptions = {"-qscale:v", "9"};
    });
    QTest::newRow("tone") << Change([](Request &r) { r.tones[0].frequency = 660; });
    QTest::newRow("tone language") << Change([](Request &r) { r.tones[0].language = "eng"; });
    QTest::newRow("tone title") << Change([](Request &r) { r.tones[0].title = "Mono"; });
    QTest::newRow("audio codec") << Change([](Request &r) { r.audioCodec = "ac3"; });
    QTest::newRow("subtitle text") << Change(
        [](Request &r) { r.subtitles[0].subRip = "1\n00:00:00,000 --> 00:00:01,000\nHello\n"; });
    QTest::newRow("subtitle language")
        << Change([](Request &r) { r.subtitles[0].language = "ita"; });
    QTest::newRow("subtitle title") << Change([](Request &r) { r.subtitles[0].title = {}; });
    QTest::newRow("chapter start") << Change([](Request &r) { r.chapters[1].startMs = 400; });
    QTest::newRow("chapter title") << Change([](Request &r) { r.chapters[1].title = "End"; });
    QTest::newRow("tag") << Change([](Request &r) { r.tags[0].second = "Another film"; });
    // Parts that hold line breaks must not run into each other.
    QTest::newRow("line breaks") << Change([](Request &r) {
        r.tones[0].language = "ger\nStereo";
        r.tones[0].title = "mix";
    });
}

void MediaMakerTest::aRequestDifferingAnywhereGetsAFileOfItsOwn()
{
    QFETCH(Change, change);
    MediaMaker maker(cache.path());
    MediaMaker::FileRequest base = SmallFilm();
    base.tones[0].title = "Stereo\nmix";
    QString basePath;
    QString error;
    QVERIFY2(maker.MakeFile(base, basePath, &error), qPrintable(error));
    MediaMaker::FileRequest changed = base;
    change(changed);
    QString changedPath;
    QVERIFY2(maker.MakeFile(changed, changedPath, &error), qPrintable(error));
    QVERIFY(changedPath != basePath);

    // Asked again, each is found in the cache: no ffmpeg runs, none could.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    QString again;
    const bool found = maker.MakeFile(changed, again, &error);
    qputenv("PATH", path);
    QVERIFY2(found, qPrintable(error));
    QCOMPARE(again, changedPath);
}

QTEST_GUILESS_MAIN(MediaMakerTest)
#include "tst_MediaMaker.moc"
