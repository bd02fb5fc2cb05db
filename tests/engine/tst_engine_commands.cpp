#include "engine/EngineCommandLine.h"
#include "engine/SlaveCommand.h"

#include <QDir>
#include <QTest>

namespace {

const QStringList FixedOptions{"-demuxer",
                               "lavf",
                               "-ni",
                               "-slave",
                               "-quiet",
                               "-identify",
                               "-wid",
                               "81788929",
                               "-osdlevel",
                               "0",
                               "-subfont-osd-scale",
                               "3",
                               "-vo",
                               "xv,x11,",
                               "-zoom",
                               "-ao",
                               "pulse,alsa,oss,null",
                               "-lavdopts",
                               "threads=4",
                               "-vf",
                               "screenshot=./,yadif",
                               "-af",
                               "scaletempo,channels=6,volume=5.1:1",
                               "-channels",
                               "6"};

} // namespace

class EngineCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void formatsSlaveCommands_data();
    void formatsSlaveCommands();
    void quotesSubtitlePaths_data();
    void quotesSubtitlePaths();
    void buildsArgumentsPerSource_data();
    void buildsArgumentsPerSource();
    void headlessArgumentsDropTheWindow();
};

void EngineCommandsTest::formatsSlaveCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("quit") << SlaveCommand::Quit() << QByteArray("q\n");
    QTest::newRow("pause") << SlaveCommand::Pause() << QByteArray("pause\n");
    QTest::newRow("length") << SlaveCommand::GetTimeLength() << QByteArray("get_time_length\n");
    QTest::newRow("position") << SlaveCommand::GetTimePos() << QByteArray("get_time_pos\n");
    QTest::newRow("seek") << SlaveCommand::Seek(754) << QByteArray("seek 754 2\n");
    QTest::newRow("seek start") << SlaveCommand::Seek(0) << QByteArray("seek 0 2\n");
    QTest::newRow("volume") << SlaveCommand::Volume(35) << QByteArray("volume 35 2\n");
    QTest::newRow("volume keep pause")
        << SlaveCommand::VolumeKeepPause(100) << QByteArray("pausing_keep volume 100 100\n");
    QTest::newRow("screenshot") << SlaveCommand::Screenshot() << QByteArray("screenshot 0\n");
    QTest::newRow("audio") << SlaveCommand::SwitchAudio(1) << QByteArray("switch_audio 1\n");
    QTest::newRow("audio none keep pause")
        << SlaveCommand::SwitchAudioKeepPause(-2) << QByteArray("pausing_keep switch_audio -2\n");
    QTest::newRow("subtitle") << SlaveCommand::SubDemux(0) << QByteArray("sub_demux 0\n");
    QTest::newRow("subtitle off keep pause")
        << SlaveCommand::SubDemuxKeepPause(-1) << QByteArray("pausing_keep sub_demux -1\n");
    QTest::newRow("subtitle file")
        << SlaveCommand::SubFileKeepPause(1) << QByteArray("pausing_keep sub_file 1\n");
    QTest::newRow("ask subtitle file")
        << SlaveCommand::AskSubtitleFile() << QByteArray("pausing_keep get_property sub_file\n");
    QTest::newRow("subtitles off")
        << SlaveCommand::SubtitlesOffKeepPause() << QByteArray("pausing_keep sub_select -1\n");
    QTest::newRow("chapter") << SlaveCommand::SeekChapter(2) << QByteArray("seek_chapter 2 1\n");
    QTest::newRow("left") << SlaveCommand::Balance(-1) << QByteArray("pausing_keep balance -1 1\n");
    QTest::newRow("both") << SlaveCommand::Balance(0) << QByteArray("pausing_keep balance 0 1\n");
    QTest::newRow("right") << SlaveCommand::Balance(1) << QByteArray("pausing_keep balance 1 1\n");
    QTest::newRow("speed") << SlaveCommand::SpeedKeepPause(1.25)
                           << QByteArray("pausing_keep speed_set 1.250\n");
    QTest::newRow("audio delay") << SlaveCommand::AudioDelayKeepPause(-0.3)
                                 << QByteArray("pausing_keep set_property audio_delay -0.300\n");
    QTest::newRow("subtitle delay") << SlaveCommand::SubtitleDelayKeepPause(0.1)
                                    << QByteArray("pausing_keep set_property sub_delay 0.100\n");
    QTest::newRow("deinterlace on") << SlaveCommand::DeinterlaceKeepPause(true)
                                    << QByteArray("pausing_keep set_property deinterlace 1\n");
    QTest::newRow("deinterlace off") << SlaveCommand::DeinterlaceKeepPause(false)
                                     << QByteArray("pausing_keep set_property deinterlace 0\n");
    QTest::newRow("aspect") << SlaveCommand::AspectKeepPause(16.0 / 9.0)
                            << QByteArray("pausing_keep switch_ratio 1.7778\n");
    QTest::newRow("on-screen text")
        << SlaveCommand::OnScreenTextKeepPause(QStringLiteral("00:10:00 / 01:42:07"), 2000)
        << QByteArray("pausing_keep osd_show_text \"00:10:00 / 01:42:07\" 2000 0\n");
    // A file name can hold anything: it must neither end the quotes nor the command.
    QTest::newRow("on-screen text quoted")
        << SlaveCommand::OnScreenTextKeepPause(QStringLiteral("a \"b\" \\c\nq\r\u00e9"), 1000)
        << QByteArray("pausing_keep osd_show_text \"a \\\"b\\\" \\\\c q \xc3\xa9\" 1000 0\n");
    QTest::newRow("ask property") << SlaveCommand::AskProperty("speed")
                                  << QByteArray("pausing_keep get_property speed\n");
}

void EngineCommandsTest::formatsSlaveCommands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, wire);
    QCOMPARE(command, wire);
}

void EngineCommandsTest::quotesSubtitlePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("wire"); // empty: no command can carry the path

    QTest::newRow("plain") << "/v/film.srt"
                           << QByteArray("pausing_keep sub_load \"/v/film.srt\"\n");
    QTest::newRow("spaces and apostrophe")
        << "/v/My Film's.srt" << QByteArray("pausing_keep sub_load \"/v/My Film's.srt\"\n");
    QTest::newRow("double quote and backslash")
        << "/v/q\"uo\\te.srt" << QByteArray("pausing_keep sub_load \"/v/q\\\"uo\\\\te.srt\"\n");
    QTest::newRow("non-ASCII as UTF-8")
        << QStringLiteral("/v/\u00e9t\u00e9 \u4e2d\u6587.srt")
        << QByteArray(
               "pausing_keep sub_load \"/v/\xc3\xa9t\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87.srt\"\n");
    QTest::newRow("relative") << "-subs/a.srt"
                              << QByteArray(
                                     "pausing_keep sub_load \"" +
                                     QDir::current().absoluteFilePath("-subs/a.srt").toUtf8() +
                                     "\"\n");
    QTest::newRow("line end") << "/v/a\nq\n.srt" << QByteArray();
    QTest::newRow("carriage return") << "/v/a\r.srt" << QByteArray();
    QTest::newRow("zero") << QString("/v/a") + QChar(0) + ".srt" << QByteArray();
    QTest::newRow("empty") << QString() << QByteArray();
}

void EngineCommandsTest::quotesSubtitlePaths()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, wire);
    const std::optional<QByteArray> command = SlaveCommand::SubLoad(path);
    QCOMPARE(command.value_or(QByteArray()), wire);
}

void EngineCommandsTest::buildsArgumentsPerSource_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("titleChosen");
    QTest::addColumn<int>("titleNumber"); // -1: no number known for the title
    QTest::addColumn<QStringList>("tail");

    QTest::newRow("media file") << int(EngineSource::MediaFile) << "/v/My Film 'x'.mkv" << false
                                << -1 << QStringList{"/v/My Film 'x'.mkv"};
    QTest::newRow("dvd") << int(EngineSource::DvdFolder) << "/media/DVD" << false << -1
                         << QStringList{"dvd://1", "-dvd-device", "/media/DVD"};
    QTest::newRow("dvd title 4 chosen") << int(EngineSource::DvdFolder) << "/d/x.iso" << true << 4
                                        << QStringList{"dvd://4", "-dvd-device", "/d/x.iso"};
    QTest::newRow("dvd title 4 not chosen")
        << int(EngineSource::DvdFolder) << "/d/x.iso" << false << 4
        << QStringList{"dvd://1", "-dvd-device", "/d/x.iso"};
    QTest::newRow("blu-ray title 3") << int(EngineSource::BluRayFolder) << "/bd/DISC" << true << 3
                                     << QStringList{"br://3", "-bluray-device", "/bd/DISC"};
    QTest::newRow("blu-ray not chosen") << int(EngineSource::BluRayFolder) << "/bd/DISC" << false
                                        << 3 << QStringList{"br://0", "-bluray-device", "/bd/DISC"};
    QTest::newRow("blu-ray chosen, number unknown")
        << int(EngineSource::BluRayFolder) << "/bd/DISC" << true << -1 << QStringList{"/bd/DISC"};
    // The engine runs in another folder and reads a leading "-" as an option, so relative
    // paths reach it made absolute against the player's folder.
    const QString here = QDir::currentPath() + '/';
    QTest::newRow("relative file named like an option")
        << int(EngineSource::MediaFile) << "-vo null.mkv" << false << -1
        << QStringList{here + "-vo null.mkv"};
    QTest::newRow("relative disc folder")
        << int(EngineSource::BluRayFolder) << "-BD/../x" << false << -1
        << QStringList{"br://0", "-bluray-device", here + "-BD/../x"};
    // A title number only matters for a disc.
    QTest::newRow("file ignores title")
        << int(EngineSource::MediaFile) << "/v/a.mkv" << true << 3 << QStringList{"/v/a.mkv"};
}

void EngineCommandsTest::buildsArgumentsPerSource()
{
    QFETCH(int, kind);
    QFETCH(QString, path);
    QFETCH(bool, titleChosen);
    QFETCH(int, titleNumber);
    QFETCH(QStringList, tail);

    const std::optional<int> number =
        titleNumber >= 0 ? std::optional<int>(titleNumber) : std::nullopt;
    const QStringList arguments =
        EngineArguments(EngineSource(kind), path, 81788929, titleChosen, number);
    QStringList expected = FixedOptions + tail;
    // A Blu-ray title's clips change time lines, which reordered time stamps get wrong.
    if (EngineSource(kind) == EngineSource::BluRayFolder) {
        expected.insert(expected.indexOf("threads=4") + 1, "-nocorrect-pts");
    }
    QCOMPARE(arguments, expected);
}

void EngineCommandsTest::headlessArgumentsDropTheWindow()
{
    const QStringList arguments =
        HeadlessEngineArguments(EngineArguments(EngineSource::DvdFolder, "/media/DVD", 42));
    QVERIFY(!arguments.contains("-wid"));
    QVERIFY(!arguments.contains("42"));
    QVERIFY(!arguments.contains("-zoom"));
    const qsizetype video = arguments.indexOf("-vo");
    QVERIFY(video >= 0);
    QCOMPARE(arguments.mid(video, 4), (QStringList{"-vo", "null", "-ao", "null"}));
    QCOMPARE(arguments.count("-ao"), 1);
    QCOMPARE(arguments.last(3), (QStringList{"dvd://1", "-dvd-device", "/media/DVD"}));
}

QTEST_APPLESS_MAIN(EngineCommandsTest)
#include "tst_engine_commands.moc"
