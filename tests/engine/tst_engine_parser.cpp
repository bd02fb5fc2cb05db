#include "engine/EngineOutputParser.h"

#include <QSize>
#include <QTest>

using Kind = EngineEvent::Kind;
Q_DECLARE_METATYPE(EngineEvent::Kind)

namespace {

QList<Kind> KindsOf(const QList<EngineEvent> &events)
{
    QList<Kind> kinds;
    for (const EngineEvent &event : events)
        kinds << event.kind;
    return kinds;
}

// Output of a real engine run, with the lines that matter and some that do not.
const QByteArray Transcript =
    "MPlayer UNKNOWN-12 (C) 2000-2023 MPlayer Team\n"
    "\n"
    "Playing /media/My Films/t\xc3\xa9st.mkv.\n"
    "[lavf] stream 0: video (h264), -vid 0\n"
    "[lavf] stream 1: audio (aac), -aid 0\n"
    "[lavf] stream 2: audio (aac), -aid 1\n"
    "[lavf] stream 3: subtitle (srt), -sid 0\n"
    "VIDEO:  [H264]  320x240  0bpp  25.000 fps    0.0 kbps ( 0.0 kbyte/s)\n"
    "A:   0.3 V:   0.3 A-V:  0.000 ct:  0.000   8/  8 ??% ??% ??,?% 0 0 \r"
    "ANS_LENGTH=3.02\r\n"
    "ANS_TIME_POSITION=1.2\n"
    "*** screenshot '/home/u/.local/share/Orvel BluRay Player/0001.png' ***\n"
    "\n"
    "Exiting... (End of file)\n";

const QList<Kind> TranscriptKinds{Kind::Playing,        Kind::AudioStream,  Kind::AudioStream,
                                  Kind::SubtitleStream, Kind::VideoStarted, Kind::LengthAnswer,
                                  Kind::PositionAnswer, Kind::Screenshot,   Kind::EndOfFile};

} // namespace

class EngineParserTest : public QObject
{
    Q_OBJECT
private slots:
    void recognisesLineKinds_data();
    void recognisesLineKinds();
    void readsTheShownPictureSize_data();
    void readsTheShownPictureSize();
    void ignoresLinesOfNoInterest_data();
    void ignoresLinesOfNoInterest();
    void readsAnswerNumbers_data();
    void readsAnswerNumbers();
    void extractsScreenshotName_data();
    void extractsScreenshotName();
    void readsWhatStreamAndSubtitleLinesSay_data();
    void readsWhatStreamAndSubtitleLinesSay();
    void readsChapterStarts_data();
    void readsChapterStarts();
    void readsPropertyAnswers_data();
    void readsPropertyAnswers();
    void keepsPartialLastLineForNextRead();
    void sameEventsWhateverTheReadBoundaries();
    void finishParsesUnterminatedLine();
    void overlongLineDoesNotGrowWithoutBound();
};

void EngineParserTest::recognisesLineKinds_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Kind>("kind");

    QTest::newRow("position") << QByteArray("ANS_TIME_POSITION=12.3") << Kind::PositionAnswer;
    QTest::newRow("length") << QByteArray("ANS_LENGTH=5423.6") << Kind::LengthAnswer;
    QTest::newRow("percent") << QByteArray("ANS_PERCENT_POSITION=40") << Kind::PercentAnswer;
    QTest::newRow("playing") << QByteArray("Playing br://3.") << Kind::Playing;
    QTest::newRow("end of file") << QByteArray("Exiting... (End of file)") << Kind::EndOfFile;
    QTest::newRow("quit") << QByteArray("Exiting... (Quit)") << Kind::Quit;
    QTest::newRow("screenshot") << QByteArray("*** screenshot '/d/0001.png' ***")
                                << Kind::Screenshot;
    QTest::newRow("audio") << QByteArray("[lavf] stream 1: audio (ac3), -aid 0")
                           << Kind::AudioStream;
    QTest::newRow("subtitle") << QByteArray("[lavf] stream 3: subtitle (srt), -sid 0")
                              << Kind::SubtitleStream;
    QTest::newRow("video") << QByteArray("VIDEO:  [MPG2]  720x576") << Kind::VideoStarted;
    QTest::newRow("video output") << QByteArray("VO: [x11] 720x576 => 1024x576 Planar YV12  [zoom]")
                                  << Kind::VideoOutput;
    // A stream's language and title follow its number; what the title says does not count.
    QTest::newRow("audio titled with an exit")
        << QByteArray("[lavf] stream 1: audio (mp2), -aid 0, -alang fre, My (End of file) movie")
        << Kind::AudioStream;
    QTest::newRow("subtitle titled with a stream")
        << QByteArray("[lavf] stream 3: subtitle (srt), -sid 0, x, -aid 4, (Quit)")
        << Kind::SubtitleStream;
    // The first shape that matches decides.
    QTest::newRow("playing a file named like an exit")
        << QByteArray("Playing /v/Exiting... (End of file).") << Kind::Playing;
    QTest::newRow("answer before markers")
        << QByteArray("ANS_LENGTH=3 (End of file)") << Kind::LengthAnswer;
}

void EngineParserTest::recognisesLineKinds()
{
    QFETCH(QByteArray, line);
    QFETCH(Kind, kind);
    const std::optional<EngineEvent> event = EngineOutputParser::ParseLine(line);
    QVERIFY(event.has_value());
    QCOMPARE(event->kind, kind);
    QCOMPARE(event->line, line);
}

// The picture's shape as shown comes from the video output line: a 16:9 DVD frame is 720x576.
void EngineParserTest::readsTheShownPictureSize_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QSize>("size");
    QTest::newRow("anamorphic") << QByteArray("VO: [x11] 720x576 => 1024x576 Planar YV12  [zoom]")
                                << QSize(1024, 576);
    QTest::newRow("square") << QByteArray("VO: [xv] 200x200 => 200x200 BGRA") << QSize(200, 200);
    QTest::newRow("zero") << QByteArray("VO: [xv] 200x200 => 0x200 BGRA") << QSize(0, 0);
    QTest::newRow("overflowing") << QByteArray("VO: [xv] 2x2 => 99999999999x2 BGRA") << QSize(0, 0);
}

void EngineParserTest::readsTheShownPictureSize()
{
    QFETCH(QByteArray, line);
    QFETCH(QSize, size);
    const std::optional<EngineEvent> event = EngineOutputParser::ParseLine(line);
    QVERIFY(event.has_value());
    QCOMPARE(event->kind, Kind::VideoOutput);
    QCOMPARE(QSize(event->displayWidth, event->displayHeight), size);
}

void EngineParserTest::ignoresLinesOfNoInterest_data()
{
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("banner") << QByteArray("MPlayer UNKNOWN-12 (C) 2000-2023 MPlayer Team");
    QTest::newRow("video stream is not audio") << QByteArray("[lavf] stream 0: video, -vid 0");
    // Answers must begin the line.
    QTest::newRow("indented answer") << QByteArray(" ANS_LENGTH=3.02");
    QTest::newRow("status then answer") << QByteArray("A: 1.0 ANS_TIME_POSITION=1.0");
    // The trailing blank belongs to the marker, and case matters.
    QTest::newRow("video without blank") << QByteArray("VIDEO:[H264]");
    // The marker searches stop at a zero byte.
    QTest::newRow("marker after zero byte") << QByteArray("abc\0VIDEO:  [H264]", 18);
    // Metadata the engine prints about the film: the markers must start the line, and the
    // exit and stream lines must be whole.
    QTest::newRow("title with quit") << QByteArray(" title: The (Quit) Song");
    QTest::newRow("title with end of file") << QByteArray(" title: My (End of file) movie");
    QTest::newRow("exit line with more") << QByteArray("Exiting... (Quit) Song");
    QTest::newRow("title line with subtitle marker") << QByteArray("b, -sid 3");
    QTest::newRow("title line with audio marker") << QByteArray("(Quit), -aid 1");
    QTest::newRow("stream without number") << QByteArray("[lavf] stream 1: audio (aac), -aid x");
    QTest::newRow("screenshot inside a line") << QByteArray(" COMMENT: y*** screenshot '/x' ***");
    QTest::newRow("screenshot without its end") << QByteArray("*** screenshot '/d/0003.png");
    QTest::newRow("playing inside a line") << QByteArray(" title: Playing x.");
    QTest::newRow("video inside a line") << QByteArray(" COMMENT: VIDEO:  [H264]");
    // The engine's neighbours of the lines it acts on.
    QTest::newRow("audio channel count") << QByteArray("number of audio channels on disk: 2.");
    QTest::newRow("identify stream language") << QByteArray("ID_AID_0_LANG=ger");
    QTest::newRow("chapter end") << QByteArray("ID_CHAPTER_0_END=2000");
    QTest::newRow("dvd audio inside a line")
        << QByteArray(" title: audio stream: 0 format: ac3 language: en aid: 128.");
    QTest::newRow("subtitle file without number")
        << QByteArray("SUB: Added subtitle file (): /x.srt");
    // A failed load is told on standard error; on standard output it is no event.
    QTest::newRow("subtitle failure") << QByteArray("Cannot load subtitles '/x.srt'.");
    QTest::newRow("chapter start not a number") << QByteArray("ID_CHAPTER_1_START=soon");
}

void EngineParserTest::ignoresLinesOfNoInterest()
{
    QFETCH(QByteArray, line);
    QVERIFY(!EngineOutputParser::ParseLine(line).has_value());
}

void EngineParserTest::readsAnswerNumbers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("wholeSeconds");

    QTest::newRow("dvd length") << QByteArray("ANS_LENGTH=5423.6") << 5423.6 << true
                                << qint64(5423);
    QTest::newRow("short length") << QByteArray("ANS_LENGTH=3.02") << 3.02 << true << qint64(3);
    QTest::newRow("position") << QByteArray("ANS_TIME_POSITION=12.3") << 12.3 << true << qint64(12);
    QTest::newRow("zero") << QByteArray("ANS_LENGTH=0.00") << 0.0 << true << qint64(0);
    QTest::newRow("trailing blanks") << QByteArray("ANS_LENGTH=7.5  ") << 7.5 << true << qint64(7);
    QTest::newRow("empty number") << QByteArray("ANS_LENGTH=") << 0.0 << false << qint64(0);
    QTest::newRow("no equals sign") << QByteArray("ANS_LENGTH") << 0.0 << false << qint64(0);
    QTest::newRow("text") << QByteArray("ANS_LENGTH=unknown") << 0.0 << false << qint64(0);
    QTest::newRow("number then text")
        << QByteArray("ANS_LENGTH=12abc") << 0.0 << false << qint64(0);
    QTest::newRow("negative") << QByteArray("ANS_LENGTH=-4.0") << 0.0 << false << qint64(0);
    QTest::newRow("not a number") << QByteArray("ANS_LENGTH=nan") << 0.0 << false << qint64(0);
    QTest::newRow("infinite") << QByteArray("ANS_TIME_POSITION=inf") << 0.0 << false << qint64(0);
    QTest::newRow("beyond any media")
        << QByteArray("ANS_LENGTH=1e300") << 0.0 << false << qint64(0);
}

void EngineParserTest::readsAnswerNumbers()
{
    QFETCH(QByteArray, line);
    QFETCH(double, value);
    QFETCH(bool, valid);
    QFETCH(qint64, wholeSeconds);
    const std::optional<EngineEvent> event = EngineOutputParser::ParseLine(line);
    QVERIFY(event.has_value());
    QCOMPARE(event->valueValid, valid);
    QCOMPARE(event->value, value);
    QCOMPARE(event->wholeSeconds, wholeSeconds);
}

void EngineParserTest::extractsScreenshotName_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name");

    QTest::newRow("engine line") << QByteArray(
                                        "*** screenshot '/d/Orvel BluRay Player/0001.png' ***")
                                 << QStringLiteral("/d/Orvel BluRay Player/0001.png");
    QTest::newRow("non-ASCII") << QByteArray("*** screenshot '/d/\xc3\xa9t\xc3\xa9/0002.png' ***")
                               << QStringLiteral("/d/\u00e9t\u00e9/0002.png");
    QTest::newRow("folder with an apostrophe")
        << QByteArray("*** screenshot '/d/O'Brien/0003.png' ***")
        << QStringLiteral("/d/O'Brien/0003.png");
    QTest::newRow("relative to the engine's folder")
        << QByteArray("*** screenshot './0004.png' ***") << QStringLiteral("./0004.png");
    QTest::newRow("empty name") << QByteArray("*** screenshot '' ***") << QString();
    QByteArray longName(600, 'a');
    QTest::newRow("cut to 511 bytes")
        << QByteArray("*** screenshot '" + longName + "' ***") << QString(511, QLatin1Char('a'));
}

void EngineParserTest::extractsScreenshotName()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    const std::optional<EngineEvent> event = EngineOutputParser::ParseLine(line);
    QVERIFY(event.has_value());
    QCOMPARE(event->kind, Kind::Screenshot);
    QCOMPARE(event->screenshotPath, name);
}

// Lines as the engine prints them for a tagged MKV, a DVD, and the subtitle files it loads,
// with the malformed and forged variants a film's metadata can produce.
void EngineParserTest::readsWhatStreamAndSubtitleLinesSay_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("path");

    QTest::newRow("audio with language and title")
        << QByteArray("[lavf] stream 1: audio (aac), -aid 0, -alang ger, Stereo")
        << Kind::AudioStream << 0 << "ger"
        << "Stereo" << QString();
    QTest::newRow("title with commas and an apostrophe")
        << QByteArray("[lavf] stream 2: audio (aac), -aid 1, -alang eng, Director's cut, 5.1")
        << Kind::AudioStream << 1 << "eng"
        << "Director's cut, 5.1" << QString();
    QTest::newRow("audio without tags")
        << QByteArray("[lavf] stream 1: audio (ac3), -aid 0") << Kind::AudioStream << 0 << ""
        << "" << QString();
    QTest::newRow("title without language")
        << QByteArray("[lavf] stream 1: audio (aac), -aid 3, Commentary") << Kind::AudioStream << 3
        << ""
        << "Commentary" << QString();
    QTest::newRow("subtitle with language and title")
        << QByteArray("[lavf] stream 3: subtitle (srt), -sid 0, -slang fre, Forced")
        << Kind::SubtitleStream << 0 << "fre"
        << "Forced" << QString();
    QTest::newRow("audio language marker is not a subtitle's")
        << QByteArray("[lavf] stream 3: subtitle (srt), -sid 0, -alang fre") << Kind::SubtitleStream
        << 0 << ""
        << "-alang fre" << QString();
    QTest::newRow("implausible language code")
        << QByteArray("[lavf] stream 1: audio (aac), -aid 0, -alang 12x, Stereo")
        << Kind::AudioStream << 0 << ""
        << "Stereo" << QString();
    QTest::newRow("control characters in the title")
        << QByteArray("[lavf] stream 1: audio (aac), -aid 0, -alang ger, St\x1b[2Jereo\t")
        << Kind::AudioStream << 0 << "ger"
        << "St[2Jereo" << QString();
    QTest::newRow("overlong title is cut")
        << QByteArray("[lavf] stream 1: audio (aac), -aid 0, " + QByteArray(5000, 'x'))
        << Kind::AudioStream << 0 << "" << QString(EngineEvent::TitleLimit, 'x') << QString();
    QTest::newRow("stream number beyond int")
        << QByteArray("[lavf] stream 1: audio (aac), -aid 99999999999, -alang ger")
        << Kind::AudioStream << -1 << "ger"
        << "" << QString();

    QTest::newRow("dvd audio") << QByteArray(
                                      "audio stream: 0 format: ac3 (5.1) language: en aid: 128.")
                               << Kind::DvdAudioStream << 0 << "en"
                               << "ac3 (5.1)" << QString();
    QTest::newRow("dvd audio untagged")
        << QByteArray("audio stream: 1 format: ac3 (mono) language: unknown aid: 129.")
        << Kind::DvdAudioStream << 1 << ""
        << "ac3 (mono)" << QString();
    QTest::newRow("dvd subtitle") << QByteArray("subtitle ( sid ): 0 language: fr")
                                  << Kind::DvdSubtitleStream << 0 << "fr"
                                  << "" << QString();

    QTest::newRow("subtitle file beside the film")
        << QByteArray("SUB: Added subtitle file (1): /tmp/vx/film.srt") << Kind::SubtitleFileAdded
        << 1 << ""
        << ""
        << "/tmp/vx/film.srt";
    QTest::newRow("loaded file with quotes and accents")
        << QByteArray("SUB: Added subtitle file (3): /v/other \xc3\xa9'\"s (1).srt")
        << Kind::SubtitleFileAdded << 3 << ""
        << "" << QStringLiteral("/v/other \u00e9'\"s (1).srt");
    QTest::newRow("file shown") << QByteArray("ANS_sub_file=1") << Kind::SubtitleFileAnswer << 1
                                << ""
                                << "" << QString();
    QTest::newRow("no file shown")
        << QByteArray("ANS_sub_file=-1") << Kind::SubtitleFileAnswer << -1 << ""
        << "" << QString();
    QTest::newRow("malformed file answer")
        << QByteArray("ANS_sub_file=-7x") << Kind::SubtitleFileAnswer << -1 << ""
        << "" << QString();
    QTest::newRow("no file loaded")
        << QByteArray("ANS_ERROR=PROPERTY_UNAVAILABLE") << Kind::ErrorAnswer << -1 << ""
        << "" << QString();
    QTest::newRow("chapter name") << QByteArray("ID_CHAPTER_1_NAME=Middle part")
                                  << Kind::ChapterName << 1 << ""
                                  << "Middle part" << QString();
    QTest::newRow("chapter without a name")
        << QByteArray("ID_CHAPTER_12_NAME=") << Kind::ChapterName << 12 << ""
        << "" << QString();
    // A crashing engine names the signal just before it exits.
    QTest::newRow("fatal signal") << QByteArray("ID_SIGNAL=11") << Kind::EngineSignal << 11 << ""
                                  << "" << QString();
}

void EngineParserTest::readsWhatStreamAndSubtitleLinesSay()
{
    QFETCH(QByteArray, line);
    QFETCH(Kind, kind);
    QFETCH(int, number);
    QFETCH(QString, language);
    QFETCH(QString, title);
    QFETCH(QString, path);
    const std::optional<EngineEvent> event = EngineOutputParser::ParseLine(line);
    QVERIFY(event.has_value());
    QCOMPARE(event->kind, kind);
    QCOMPARE(event->number, number);
    QCOMPARE(event->language, language);
    QCOMPARE(event->title, title);
    QCOMPARE(event->subtitlePath, path);
}

void EngineParserTest::readsChapterStarts_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("seconds");

    QTest::newRow("first") << QByteArray("ID_CHAPTER_0_START=0") << 0 << true << 0.0;
    QTest::newRow("milliseconds") << QByteArray("ID_CHAPTER_2_START=4000") << 2 << true << 4.0;
    QTest::newRow("fraction") << QByteArray("ID_CHAPTER_7_START=1234567") << 7 << true << 1234.567;
    QTest::newRow("overflowing") << QByteArray("ID_CHAPTER_1_START=99999999999999999999999") << 1
                                 << false << 0.0;
}

void EngineParserTest::readsChapterStarts()
{
    QFETCH(QByteArray, line);
    QFETCH(int, number);
    QFETCH(bool, valid);
    QFETCH(double, seconds);
    const std::optional<EngineEvent> event = EngineOutputParser::ParseLine(line);
    QVERIFY(event.has_value());
    QCOMPARE(event->kind, Kind::ChapterStart);
    QCOMPARE(event->number, number);
    QCOMPARE(event->valueValid, valid);
    QCOMPARE(event->value, seconds);
}

void EngineParserTest::readsPropertyAnswers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");

    QTest::newRow("speed") << QByteArray("ANS_speed=1.500000") << int(Kind::PropertyAnswer)
                           << "speed"
                           << "1.500000";
    QTest::newRow("audio delay") << QByteArray("ANS_audio_delay=-0.200000")
                                 << int(Kind::PropertyAnswer) << "audio_delay"
                                 << "-0.200000";
    QTest::newRow("deinterlace") << QByteArray("ANS_deinterlace=yes") << int(Kind::PropertyAnswer)
                                 << "deinterlace"
                                 << "yes";
    QTest::newRow("empty value") << QByteArray("ANS_sub_delay=") << int(Kind::PropertyAnswer)
                                 << "sub_delay" << QString();
    // The answers the session acts on keep their own kinds.
    QTest::newRow("subtitle file keeps its kind")
        << QByteArray("ANS_sub_file=0") << int(Kind::SubtitleFileAnswer) << QString() << QString();
    QTest::newRow("error keeps its kind") << QByteArray("ANS_ERROR=PROPERTY_UNAVAILABLE")
                                          << int(Kind::ErrorAnswer) << QString() << QString();
    QTest::newRow("title position keeps its kind")
        << QByteArray("ANS_stream_time_pos=12.5") << int(Kind::TitlePositionAnswer) << QString()
        << QString();
}

void EngineParserTest::readsPropertyAnswers()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    const std::optional<EngineEvent> event = EngineOutputParser::ParseLine(line);
    QVERIFY(event.has_value());
    QCOMPARE(int(event->kind), kind);
    if (event->kind == Kind::PropertyAnswer) {
        QTEST(event->title, "name");
        QTEST(event->answerText, "value");
    }
}

void EngineParserTest::keepsPartialLastLineForNextRead()
{
    EngineOutputParser parser;
    QList<EngineEvent> events =
        parser.Feed("[lavf] stream 1: audio (aac), -aid 0\nVIDEO:  [H264]\nANS_LENG");
    QCOMPARE(KindsOf(events), (QList<Kind>{Kind::AudioStream, Kind::VideoStarted}));

    events = parser.Feed("TH=5423");
    QVERIFY(events.isEmpty());

    events = parser.Feed(".6\nExiting... (Quit)\n");
    QCOMPARE(KindsOf(events), (QList<Kind>{Kind::LengthAnswer, Kind::Quit}));
    QCOMPARE(events[0].wholeSeconds, qint64(5423));
}

void EngineParserTest::sameEventsWhateverTheReadBoundaries()
{
    // Every way of cutting the transcript into two reads, and byte-by-byte reads, must
    // give the events of one read: a lost or doubled line at a boundary shows up here.
    for (qsizetype cut = 0; cut <= Transcript.size(); ++cut) {
        EngineOutputParser parser;
        QList<EngineEvent> events = parser.Feed(QByteArrayView(Transcript).first(cut));
        events << parser.Feed(QByteArrayView(Transcript).sliced(cut));
        QVERIFY2(KindsOf(events) == TranscriptKinds, qPrintable(QString::number(cut)));
    }
    EngineOutputParser parser;
    QList<EngineEvent> events;
    for (char c : Transcript)
        events << parser.Feed(QByteArrayView(&c, 1));
    QCOMPARE(KindsOf(events), TranscriptKinds);
    QCOMPARE(events[5].wholeSeconds, qint64(3));
    QCOMPARE(events[7].screenshotPath,
             QStringLiteral("/home/u/.local/share/Orvel BluRay Player/0001.png"));
}

void EngineParserTest::finishParsesUnterminatedLine()
{
    EngineOutputParser parser;
    QVERIFY(parser.Feed("\nExiting... (End of file)").isEmpty());
    QCOMPARE(KindsOf(parser.Finish()), QList<Kind>{Kind::EndOfFile});
    QVERIFY(parser.Finish().isEmpty());
}

void EngineParserTest::overlongLineDoesNotGrowWithoutBound()
{
    LineSplitter splitter;
    const QByteArray noise(3 * LineSplitter::MaxLineLength + 10, 'x');
    const QList<QByteArray> lines = splitter.Feed(noise);
    QCOMPARE(lines.size(), 3);
    QVERIFY(splitter.PendingTail().size() <= LineSplitter::MaxLineLength);
    // The splitter still finds the next line end afterwards.
    const QList<QByteArray> after = splitter.Feed("\nVIDEO:  [H264]\n");
    QCOMPARE(after.size(), 2);
    QCOMPARE(after.last(), QByteArray("VIDEO:  [H264]"));
}

QTEST_APPLESS_MAIN(EngineParserTest)
#include "tst_engine_parser.moc"
