#include "engine/EngineOutputParser.h"
#include "player/StreamCatalog.h"

#include <QTest>

namespace {

// What the engine printed (MPlayer 1.5, "-identify", the lavf demuxer) for films and a DVD
// made with ffmpeg and dvdauthor, trimmed of lines of no concern.
const QByteArray TaggedFilm = "Playing /tmp/vx/film.mkv.\n"
                              "ID_CHAPTER_0_START=0\n"
                              "ID_CHAPTER_0_NAME=Opening\n"
                              "ID_CHAPTER_1_START=2000\n"
                              "ID_CHAPTER_1_NAME=Middle part\n"
                              "ID_CHAPTER_2_START=4000\n"
                              "ID_CHAPTER_2_END=6000\n"
                              "[lavf] stream 0: video (h264), -vid 0\n"
                              "ID_AID_0_LANG=ger\n"
                              "[lavf] stream 1: audio (aac), -aid 0, -alang ger, Stereo\n"
                              "[lavf] stream 2: audio (aac), -aid 1, -alang eng\n"
                              "[lavf] stream 3: subtitle (srt), -sid 0, -slang fre, Forced\n"
                              "VIDEO:  [H264]  320x240  0bpp  25.000 fps    0.0 kbps\n"
                              "ID_FILE_SUB_FILENAME=/tmp/vx/film.srt\n"
                              "SUB: Added subtitle file (1): /tmp/vx/film.srt\n"
                              "SUB: Added subtitle file (2): /tmp/vx/other file \xc3\xa9's.srt\n";

const QByteArray Dvd = "Playing dvd://1.\n"
                       "audio stream: 0 format: ac3 (mono) language: de aid: 128.\n"
                       "audio stream: 1 format: ac3 (mono) language: en aid: 129.\n"
                       "number of audio channels on disk: 2.\n"
                       "subtitle ( sid ): 0 language: fr\n"
                       "number of subtitles on disk: 1\n"
                       "[lavf] stream 0: video (mpeg2video), -vid 0\n"
                       "[lavf] stream 1: audio (ac3), -aid 0\n"
                       "[lavf] stream 2: audio (ac3), -aid 1\n"
                       "[lavf] stream 3: subtitle (dvdsub), -sid 0\n"
                       "VIDEO:  [MPG2]  720x576  0bpp  25.000 fps    0.0 kbps ( 0.0 kbyte/s)\n";

StreamCatalog CatalogOf(const QByteArray &output)
{
    EngineOutputParser parser;
    StreamCatalog catalog;
    for (const EngineEvent &event : parser.Feed(output))
        catalog.Add(event);
    return catalog;
}

QStringList Described(const QList<StreamCatalog::Stream> &streams)
{
    QStringList texts;
    for (const StreamCatalog::Stream &stream : streams)
        texts << stream.language + '|' + stream.title;
    return texts;
}

} // namespace

class StreamCatalogTest : public QObject
{
    Q_OBJECT
private slots:
    void listsWhatTheEngineSays_data();
    void listsWhatTheEngineSays();
    void listsChaptersOfAFile();
    void startsAfreshWithEachRun();
};

void StreamCatalogTest::listsWhatTheEngineSays_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("audio");
    QTest::addColumn<QStringList>("subtitles");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("tagged film") << TaggedFilm << QStringList{"ger|Stereo", "eng|"}
                                 << QStringList{"fre|Forced"}
                                 << QStringList{"/tmp/vx/film.srt",
                                                QStringLiteral("/tmp/vx/other file \u00e9's.srt")};
    // The DVD's own lines name the languages the lavf lines leave out, by position.
    QTest::newRow("dvd") << Dvd << QStringList{"de|ac3 (mono)", "en|ac3 (mono)"}
                         << QStringList{"fr|"} << QStringList{};
    // An audio line after the subtitles is no stream of the file's; a file numbered out of
    // step would shift every later "sub_file" choice, so it is not listed.
    QTest::newRow("late audio, file out of step")
        << QByteArray("Playing x.\n"
                      "[lavf] stream 1: audio (aac), -aid 0, -alang jpn\n"
                      "[lavf] stream 2: subtitle (srt), -sid 0\n"
                      "[lavf] stream 3: audio (aac), -aid 1, -alang eng\n"
                      "SUB: Added subtitle file (2): /x/b.srt\n"
                      "SUB: Added subtitle file (1): /x/a.srt\n")
        << QStringList{"jpn|"} << QStringList{"|"} << QStringList{"/x/a.srt"};
}

void StreamCatalogTest::listsWhatTheEngineSays()
{
    QFETCH(QByteArray, output);
    QFETCH(QStringList, audio);
    QFETCH(QStringList, subtitles);
    QFETCH(QStringList, files);
    const StreamCatalog catalog = CatalogOf(output);
    QCOMPARE(Described(catalog.AudioStreams()), audio);
    QCOMPARE(Described(catalog.SubtitleStreams()), subtitles);
    QCOMPARE(catalog.SubtitleFiles(), files);
}

void StreamCatalogTest::listsChaptersOfAFile()
{
    const QList<StreamCatalog::Chapter> chapters = CatalogOf(TaggedFilm).Chapters();
    QCOMPARE(chapters.size(), 3);
    QCOMPARE(chapters[0].name, QStringLiteral("Opening"));
    QCOMPARE(chapters[1].number, 1);
    QCOMPARE(chapters[1].startSeconds, 2.0);
    QCOMPARE(chapters[1].name, QStringLiteral("Middle part"));
    QCOMPARE(chapters[2].startSeconds, 4.0);
    QVERIFY(chapters[2].name.isEmpty());

    // A name without a start, or a number beyond the bound, makes no chapter.
    const QList<StreamCatalog::Chapter> odd =
        CatalogOf("ID_CHAPTER_1_NAME=Lost\nID_CHAPTER_0_START=1500\n"
                  "ID_CHAPTER_5000_START=1\n")
            .Chapters();
    QCOMPARE(odd.size(), 1);
    QCOMPARE(odd[0].startSeconds, 1.5);
}

void StreamCatalogTest::startsAfreshWithEachRun()
{
    EngineOutputParser parser;
    StreamCatalog catalog;
    for (const EngineEvent &event : parser.Feed(TaggedFilm + Dvd))
        catalog.Add(event);
    QCOMPARE(Described(catalog.AudioStreams()), (QStringList{"de|ac3 (mono)", "en|ac3 (mono)"}));
    QVERIFY(catalog.SubtitleFiles().isEmpty());
    QVERIFY(catalog.Chapters().isEmpty());
}

QTEST_APPLESS_MAIN(StreamCatalogTest)
#include "tst_player_stream_catalog.moc"
