#include "disc/EngineStreamOrder.h"
#include "disc/MplsReader.h"
#include "engine/EngineOutputParser.h"
#include "player/AudioPlayability.h"
#include "player/DefaultStreamChoice.h"
#include "player/PictureNotes.h"

#include "MplsWriter.h"

#include <QTest>

using Verdict = AudioPlayability::Verdict;

namespace {

// What the engine (MPlayer 1.5, "-demuxer lavf", "-channels 6") printed when it opened an
// audio stream of a Blu-ray title made by the disc builder, trimmed of lines of no concern.
const QByteArray SurroundAc3 =
    "Opening audio decoder: [ffmpeg] FFmpeg/libavcodec audio decoders\n"
    "AUDIO: 48000 Hz, 6 ch, floatle, 448.0 kbit/4.86% (ratio: 56000->1152000)\n"
    "Selected audio codec: [ffac3] afm: ffmpeg (FFmpeg AC-3)\n"
    "AO: [pcm] 48000Hz 6ch floatle (4 bytes per sample)\n"
    "Starting playback...\n";
// The AC-3 stream that ffmpeg's demuxer adds beside every TrueHD one: without an AC-3 core
// on the disc it is empty, only a pass-through decoder takes it, and the engine gives up.
const QByteArray EmptyTrueHdCore =
    "Opening audio decoder: [ffmpeg] FFmpeg/libavcodec audio decoders\n"
    "Unknown/missing audio format -> no sound\n"
    "ADecoder init failed :(\n"
    "Opening audio decoder: [hwac3] AC3/DTS pass-through S/PDIF\n"
    "ADecoder init failed :(\n"
    "Opening audio decoder: [spdif] libavformat/spdifenc audio pass-through decoder.\n"
    "AUDIO: 48000 Hz, 2 ch, ac3le, 768.0 kbit/50.00% (ratio: 96000->192000)\n"
    "Selected audio codec: [spdifac3] afm: spdif (libavformat/spdifenc AC-3 pass-through "
    "decoder)\n"
    "Error at audio filter chain pre-init!\n"
    "Exiting... (Fatal error)\n";
// A stream no decoder of the engine takes: the picture plays on in silence.
const QByteArray NoDecoder = "Cannot find codec for audio format 0x2000.\n"
                             "Audio: no sound\n"
                             "Starting playback...\n";
// The same stream chosen while the title plays: the engine says no more than this.
const QByteArray NoDecoderAfterSwitch =
    "Opening audio decoder: [ffmpeg] FFmpeg/libavcodec audio decoders\n"
    "ADecoder init failed :(\n"
    "ID_AUDIO_TRACK=1\n"
    "ANS_switch_audio=1\n";
const QByteArray StereoOnPulse = "Selected audio codec: [fftruehd] afm: ffmpeg (FFmpeg TrueHD)\n"
                                 "AO: [pulse] 48000Hz 2ch s16le (2 bytes per sample)\n";

void Feed(AudioPlayability &playability, const QByteArray &lines)
{
    EngineOutputParser parser;
    for (const EngineEvent &event : parser.Feed(lines))
        playability.Add(event);
}

// A playlist with one video stream as the writer describes it, read back as a scan does.
PictureNotes::TitlePicture ReadBack(quint8 codingType, quint8 formatRate, quint8 rangeColour)
{
    MplsWriter writer;
    MplsWriter::Item item;
    item.outTicks = 45000;
    MplsWriter::Stream video{codingType, QByteArray(), formatRate};
    video.hevcRangeColour = rangeColour;
    item.video = {video};
    item.audio = {MplsWriter::Audio(0x83, "eng")};
    writer.items = {item};
    MplsReader reader;
    QVector<MplsPlayItem> items;
    QVector<MplsStream> subtitles, audio;
    QVector<quint32> marks;
    if (reader.ReadPlaylistData(writer.ToBytes(), items, subtitles, audio, marks) != MplsReader::Ok)
        return {};
    return {reader.VideoCodingType(), reader.VideoFormat(), reader.VideoRangeColour()};
}

} // namespace

class StreamRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void defaultStreams_data();
    void defaultStreams();
    void audioVerdictFromWhatTheEngineSaid_data();
    void audioVerdictFromWhatTheEngineSaid();
    void verdictsBelongToTheStreamTheEngineOpened();
    void pictureNotes_data();
    void pictureNotes();
    void engineNumbersFollowThePids_data();
    void engineNumbersFollowThePids();
};

// -2 in the expected columns: the disc's own choice (nullopt).
void StreamRulesTest::defaultStreams_data()
{
    QTest::addColumn<QStringList>("audio");
    QTest::addColumn<QStringList>("subtitles");
    QTest::addColumn<QString>("preferredAudio");
    QTest::addColumn<QString>("preferredSubtitle");
    QTest::addColumn<int>("audioChoice");
    QTest::addColumn<int>("subtitleChoice");

    const QStringList engFra{"eng", "fra"};
    QTest::newRow("nothing set: the disc decides") << engFra << QStringList{"eng"} << ""
                                                   << "" << -2 << -2;
    QTest::newRow("second stream in the language") << engFra << QStringList() << "fra"
                                                   << "" << 1 << -2;
    QTest::newRow("first of two in the language")
        << QStringList{"jpn", "deu", "deu"} << QStringList() << "deu"
        << "" << 1 << -2;
    QTest::newRow("none in the language: the disc's first") << engFra << QStringList() << "jpn"
                                                            << "" << 0 << -2;
    QTest::newRow("bibliographic, terminology and two-letter codes agree")
        << QStringList{"eng", "ger"} << QStringList() << "de"
        << "" << 1 << -2;
    QTest::newRow("case and region do not matter")
        << QStringList{"ENG", "por"} << QStringList() << "pt-BR"
        << "" << 1 << -2;
    QTest::newRow("no audio at all") << QStringList() << QStringList{"eng"} << "eng"
                                     << "eng" << -2 << 0;
    QTest::newRow("subtitles stay off when the audio is in their language")
        << engFra << QStringList{"fra", "eng"} << "eng"
        << "eng" << 0 << -1;
    QTest::newRow("subtitles come on under audio in another language")
        << engFra << QStringList{"fra", "eng"} << "fra"
        << "eng" << 1 << 1;
    QTest::newRow("no subtitle in the language: off")
        << engFra << QStringList{"fra", "deu"} << "fra"
        << "eng" << 1 << -1;
    QTest::newRow("the disc's own audio counts when only subtitles are set")
        << QStringList{"jpn", "eng"} << QStringList{"eng"} << ""
        << "eng" << -2 << 0;
    QTest::newRow("the disc's own audio in the subtitle language")
        << QStringList{"eng", "jpn"} << QStringList{"eng"} << ""
        << "eng" << -2 << -1;
    QTest::newRow("audio of unknown language is another language")
        << QStringList{"und"} << QStringList{"spa"} << ""
        << "spa" << -2 << 0;
    QTest::newRow("untagged subtitles match nothing") << engFra << QStringList{"", "und"} << "fra"
                                                      << "und" << 1 << -1;
}

void StreamRulesTest::defaultStreams()
{
    QFETCH(QStringList, audio);
    QFETCH(QStringList, subtitles);
    QFETCH(QString, preferredAudio);
    QFETCH(QString, preferredSubtitle);
    QFETCH(int, audioChoice);
    QFETCH(int, subtitleChoice);
    const DefaultStreamChoice choice =
        DefaultStreamChoice::Choose(audio, subtitles, preferredAudio, preferredSubtitle);
    QCOMPARE(choice.audio.value_or(-2), audioChoice);
    QCOMPARE(choice.subtitle.value_or(-2), subtitleChoice);
}

void StreamRulesTest::audioVerdictFromWhatTheEngineSaid_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<int>("channels");

    QTest::newRow("decoded in 5.1") << SurroundAc3 << Verdict::Plays << 6;
    QTest::newRow("decoded, stereo output") << StereoOnPulse << Verdict::Plays << 2;
    QTest::newRow("only pass-through takes it") << EmptyTrueHdCore << Verdict::CannotPlay << 0;
    QTest::newRow("no decoder") << NoDecoder << Verdict::CannotPlay << 0;
    QTest::newRow("no decoder, chosen while playing")
        << NoDecoderAfterSwitch << Verdict::CannotPlay << 0;
    QTest::newRow("refused by one decoder, taken by the next")
        << QByteArray("ADecoder init failed :(\n" + StereoOnPulse) << Verdict::Plays << 2;
    QTest::newRow("listed, not opened yet")
        << QByteArray("[lavf] stream 1: audio (ac3), -aid 0\n") << Verdict::Unknown << 0;
    QTest::newRow("a film's title that looks like a report")
        << QByteArray(" title: Audio: no sound\n") << Verdict::Unknown << 0;
}

void StreamRulesTest::audioVerdictFromWhatTheEngineSaid()
{
    QFETCH(QByteArray, lines);
    QFETCH(Verdict, verdict);
    QFETCH(int, channels);
    AudioPlayability playability;
    Feed(playability, "Playing br://1.\n" + lines);
    QCOMPARE(playability.Of(1), verdict);
    QCOMPARE(playability.OutputChannels(1), channels);
    QCOMPARE(playability.Of(2), Verdict::Unknown);
}

void StreamRulesTest::verdictsBelongToTheStreamTheEngineOpened()
{
    AudioPlayability playability;
    Feed(playability, "Playing br://1.\n" + SurroundAc3);
    playability.Open(3);
    QVERIFY(!playability.Add(*EngineOutputParser::ParseLine("Opening audio decoder: [ffmpeg] x")));
    QVERIFY(playability.Add(*EngineOutputParser::ParseLine("Audio: no sound")));
    QCOMPARE(playability.Of(1), Verdict::Plays);
    QCOMPARE(playability.Of(3), Verdict::CannotPlay);

    // Opened again, a stream is judged afresh; the others keep what was learned.
    playability.Open(3);
    QCOMPARE(playability.Of(3), Verdict::Unknown);
    Feed(playability, StereoOnPulse);
    QCOMPARE(playability.Of(3), Verdict::Plays);
    QCOMPARE(playability.OutputChannels(3), 2);
    QCOMPARE(playability.Of(1), Verdict::Plays);

    // A new run of the engine opens the chosen stream anew.
    Feed(playability, "Playing br://1.\n");
    QCOMPARE(playability.Of(3), Verdict::Unknown);
    QCOMPARE(playability.Of(1), Verdict::Plays);
}

void StreamRulesTest::pictureNotes_data()
{
    QTest::addColumn<int>("codingType");
    QTest::addColumn<int>("formatRate");
    QTest::addColumn<int>("rangeColour");
    QTest::addColumn<int>("cores");
    QTest::addColumn<int>("notes");

    using namespace PictureNotes;
    const int both = MayNotKeepUp | HdrWithoutToneMapping;
    QTest::newRow("1080p H.264") << 0x1B << 0x61 << 0 << 2 << int(None);
    QTest::newRow("2160p HEVC SDR, two cores") << 0x24 << 0x81 << 0x01 << 2 << int(MayNotKeepUp);
    QTest::newRow("2160p HEVC SDR, enough cores")
        << 0x24 << 0x81 << 0x01 << CoresFor2160p << int(None);
    QTest::newRow("2160p HEVC HDR10, two cores") << 0x24 << 0x83 << 0x12 << 2 << both;
    QTest::newRow("2160p HEVC HDR10, eight cores")
        << 0x24 << 0x83 << 0x12 << 8 << int(HdrWithoutToneMapping);
    QTest::newRow("Dolby Vision") << 0x24 << 0x81 << 0x22 << 8 << int(HdrWithoutToneMapping);
    QTest::newRow("BT.2020 colours in SDR")
        << 0x24 << 0x61 << 0x02 << 8 << int(HdrWithoutToneMapping);
    QTest::newRow("1080p HEVC SDR") << 0x24 << 0x61 << 0x01 << 1 << int(None);
}

// Through the playlist as the scan reads it, so that the bytes the notes rest on are the
// ones a disc holds.
void StreamRulesTest::pictureNotes()
{
    QFETCH(int, codingType);
    QFETCH(int, formatRate);
    QFETCH(int, rangeColour);
    QFETCH(int, cores);
    QFETCH(int, notes);
    const PictureNotes::TitlePicture picture =
        ReadBack(quint8(codingType), quint8(formatRate), quint8(rangeColour));
    QCOMPARE(picture.codingType, codingType);
    QCOMPARE(picture.format, formatRate >> 4);
    QCOMPARE(PictureNotes::Decide(picture, cores), notes);
}

// Each stream as "coding type:PID" in the playlist's order; the numbers the engine gives them.
void StreamRulesTest::engineNumbersFollowThePids_data()
{
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QVector<int>>("numbers");
    QTest::newRow("listed in PID order") << QStringList{"81:1100", "81:1101"} << QVector<int>{0, 1};
    QTest::newRow("French listed first") << QStringList{"81:1101", "81:1100"} << QVector<int>{1, 0};
    QTest::newRow("gaps in the PIDs")
        << QStringList{"81:1105", "81:1100", "81:1102"} << QVector<int>{2, 0, 1};
    // What the engine listed for such a disc: ac3, eac3, dca, truehd, ac3 (empty), pcm, dca.
    QTest::newRow("a TrueHD stream's companion takes the next number")
        << QStringList{"81:1100", "84:1101", "82:1102", "83:1103", "80:1104", "86:1105"}
        << QVector<int>{0, 1, 2, 3, 5, 6};
    QTest::newRow("TrueHD listed last, lowest PID")
        << QStringList{"81:1101", "83:1100"} << QVector<int>{2, 0};
    QTest::newRow("no PID: its place") << QStringList{"90:0", "90:0"} << QVector<int>{0, 1};
}

void StreamRulesTest::engineNumbersFollowThePids()
{
    QFETCH(QStringList, listed);
    QFETCH(QVector<int>, numbers);
    QVector<MplsStream> streams;
    for (const QString &entry : listed) {
        MplsStream stream;
        stream.codingType = quint8(entry.section(':', 0, 0).toUInt(nullptr, 16));
        stream.pid = quint16(entry.section(':', 1, 1).toUInt(nullptr, 16));
        streams << stream;
    }
    QCOMPARE(EngineStreamNumbers(streams), numbers);
}

QTEST_APPLESS_MAIN(StreamRulesTest)
#include "tst_player_stream_rules.moc"
