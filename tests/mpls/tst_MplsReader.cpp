#include "MplsWriter.h"
#include "disc/MplsReader.h"
#include "disc/StreamMenuName.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using Item = MplsWriter::Item;
using Mark = MplsWriter::Mark;

namespace {

constexpr quint32 TicksPerSecond = 45000;

// What one read handed back. Outputs start as markers, so a test can tell an output
// that was left alone from one that was replaced.
struct Outcome
{
    int code = -100;
    QVector<MplsPlayItem> items{MplsPlayItem{1, 2, 3, QStringLiteral("marker")}};
    // A stream no playlist holds, named "MARKER" by the menus.
    QVector<MplsStream> subtitles{MplsStream{0xEE, "marker"}};
    QVector<MplsStream> audio{MplsStream{0xEE, "marker"}};
    QVector<quint32> marks{12345};

    bool Untouched() const
    {
        const Outcome fresh;
        return items == fresh.items && subtitles == fresh.subtitles && audio == fresh.audio &&
               marks == fresh.marks;
    }
};

QStringList Descriptions(const QVector<MplsStream> &streams)
{
    QStringList texts;
    for (const MplsStream &stream : streams)
        texts << StreamMenuName(stream);
    return texts;
}

Item MakeItem(const QByteArray &clip, quint32 inSeconds, quint32 outSeconds)
{
    Item item;
    item.clip = clip;
    item.inTicks = inSeconds * TicksPerSecond;
    item.outTicks = outSeconds * TicksPerSecond;
    item.video = {MplsWriter::Video()};
    return item;
}

// A playlist like a real film's: two clips, streams, chapters and a link point.
MplsWriter FilmPlaylist()
{
    MplsWriter writer;
    writer.items = {MakeItem("00001", 600, 1800), MakeItem("00002", 600, 2400)};
    writer.items[1].audio = {MplsWriter::Audio(0x81, "eng"), MplsWriter::Audio(0x83, "jpn")};
    writer.items[1].subtitles = {MplsWriter::GraphicsSubtitle("eng")};
    writer.marks = {
        {1, 0, 600 * TicksPerSecond}, {2, 0, 700 * TicksPerSecond}, {1, 1, 900 * TicksPerSecond}};
    return writer;
}

void PutWord16(QByteArray &bytes, int offset, quint16 value)
{
    bytes[offset] = char(value >> 8);
    bytes[offset + 1] = char(value & 0xFF);
}

void PutWord32(QByteArray &bytes, int offset, quint32 value)
{
    PutWord16(bytes, offset, quint16(value >> 16));
    PutWord16(bytes, offset + 2, quint16(value & 0xFFFF));
}

// Where the first item's stream table starts in a writer's file.
constexpr int FirstStreamTable = MplsWriter::PlayListOffset + 10 + MplsWriter::ItemHeadSize;

} // namespace

class MplsReaderTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;
    MplsReader reader;
    int fileNumber = 0;

    // Every read goes through a real file, as a disc scan does.
    Outcome Read(const QByteArray &bytes)
    {
        const QString path =
            folder.filePath(QStringLiteral("%1.mpls").arg(++fileNumber, 5, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        file.close();
        Outcome outcome;
        outcome.code = reader.ReadPlaylist(path, outcome.items, outcome.subtitles, outcome.audio,
                                           outcome.marks);
        return outcome;
    }
    Outcome Read(const MplsWriter &writer) { return Read(writer.ToBytes()); }

private slots:
    void initTestCase() { QVERIFY(folder.isValid()); }

    void itemTimes_data()
    {
        QTest::addColumn<quint32>("inTicks");
        QTest::addColumn<quint32>("outTicks");
        QTest::addColumn<qint32>("inTimeMs");
        QTest::addColumn<qint32>("durationMs");
        QTest::newRow("whole seconds")
            << 600u * TicksPerSecond << 1800u * TicksPerSecond << 600000 << 1200000;
        // 44 ticks are 0 ms and 46 ticks 1 ms: each time is cut on its own.
        QTest::newRow("cut before subtracting") << 44u << 46u << 0 << 1;
        QTest::newRow("largest tick count") << 0u << 0xFFFFFFFFu << 0 << 95443717;
        QTest::newRow("out before in") << 4500u << 0u << 100 << -100;
    }
    void itemTimes()
    {
        QFETCH(quint32, inTicks);
        QFETCH(quint32, outTicks);
        MplsWriter writer;
        writer.items = {MakeItem("00007", 0, 0)};
        writer.items[0].inTicks = inTicks;
        writer.items[0].outTicks = outTicks;
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(outcome.items.size(), 1);
        QTEST(outcome.items[0].inTimeMs, "inTimeMs");
        QTEST(outcome.items[0].durationMs, "durationMs");
        QCOMPARE(outcome.items[0].startMs, 0);
        QCOMPARE(outcome.items[0].clipName, QStringLiteral("00007.M2TS"));
    }

    // The last item's first video stream says whether the title is interlaced; audio and
    // subtitles around it do not move it, and a title without video has none.
    void videoFormatOfTheLastItem_data()
    {
        QTest::addColumn<QVector<quint8>>("firstItem");  // formats of its video streams
        QTest::addColumn<QVector<quint8>>("secondItem"); // empty: a title of one item
        QTest::addColumn<int>("format");
        QTest::newRow("1080i") << QVector<quint8>{4} << QVector<quint8>{} << 4;
        QTest::newRow("1080p") << QVector<quint8>{6} << QVector<quint8>{} << 6;
        QTest::newRow("576i") << QVector<quint8>{2} << QVector<quint8>{} << 2;
        QTest::newRow("the first of two streams")
            << QVector<quint8>{4, 6} << QVector<quint8>{} << 4;
        QTest::newRow("the last item's") << QVector<quint8>{6} << QVector<quint8>{4} << 4;
        QTest::newRow("no video") << QVector<quint8>{} << QVector<quint8>{} << 0;
        QTest::newRow("no video in the last item") << QVector<quint8>{4} << QVector<quint8>{0} << 0;
    }
    void videoFormatOfTheLastItem()
    {
        QFETCH(QVector<quint8>, firstItem);
        QFETCH(QVector<quint8>, secondItem);
        MplsWriter writer;
        const auto item = [](const QByteArray &clip, const QVector<quint8> &formats) {
            MplsWriter::Item made = MakeItem(clip, 0, 60);
            made.video.clear();
            for (quint8 format : formats) {
                if (format != 0)
                    made.video << MplsWriter::Video(0x1B, format);
            }
            made.audio = {MplsWriter::Audio(0x81, "eng")};
            made.subtitles = {MplsWriter::GraphicsSubtitle("eng")};
            return made;
        };
        writer.items = {item("00001", firstItem)};
        if (!secondItem.isEmpty())
            writer.items << item("00002", secondItem);
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(outcome.audio.size(), 1);
        QTEST(reader.VideoFormat(), "format");
    }

    void itemsFollowOneAnother()
    {
        MplsWriter writer;
        writer.items = {MakeItem("00003", 10, 70), MakeItem("00001", 5, 35),
                        MakeItem("00002", 0, 100)};
        writer.items[2].codec = "FMTS";
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        const QVector<MplsPlayItem> expected{{10000, 0, 60000, QStringLiteral("00003.M2TS")},
                                             {5000, 60000, 30000, QStringLiteral("00001.M2TS")},
                                             {0, 90000, 100000, QStringLiteral("00002.FMTS")}};
        QCOMPARE(outcome.items, expected);
    }

    void streamDescriptions_data()
    {
        QTest::addColumn<int>("codingType");
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QStringList>("audio");
        QTest::addColumn<QStringList>("subtitles");
        const QStringList none;
        QTest::newRow("LPCM") << 0x80 << QByteArray("eng") << QStringList{"English LPCM"} << none;
        QTest::newRow("AC3") << 0x81 << QByteArray("jpn") << QStringList{"Japanese AC3"} << none;
        QTest::newRow("DTS") << 0x82 << QByteArray("fra") << QStringList{"French DTS"} << none;
        QTest::newRow("TrueHD") << 0x83 << QByteArray("zho") << QStringList{"Chinese TRUEHD"}
                                << none;
        QTest::newRow("EAC3") << 0x84 << QByteArray("spa") << QStringList{"Spanish EAC3"} << none;
        QTest::newRow("DTS HD") << 0x85 << QByteArray("kor") << QStringList{"Korean DTS HD"}
                                << none;
        QTest::newRow("DTS HD XLL")
            << 0x86 << QByteArray("hin") << QStringList{"Hindi DTS HD XLL"} << none;
        QTest::newRow("secondary EAC3")
            << 0xA1 << QByteArray("tha") << QStringList{"Thai EAC3"} << none;
        QTest::newRow("secondary DTS HD")
            << 0xA2 << QByteArray("msa") << QStringList{"Malay"} << none;
        QTest::newRow("Portuguese")
            << 0x81 << QByteArray("por") << QStringList{"Portugal AC3"} << none;
        QTest::newRow("unknown language")
            << 0x81 << QByteArray("deu") << QStringList{"DEU AC3"} << none;
        QTest::newRow("mixed-case code")
            << 0x81 << QByteArray("Eng") << QStringList{"ENG AC3"} << none;
        QTest::newRow("short code") << 0x81 << QByteArray("en") << QStringList{"EN AC3"} << none;
        QTest::newRow("graphics") << 0x90 << QByteArray("eng") << none << QStringList{"English"};
        QTest::newRow("interactive") << 0x91 << QByteArray("kor") << none << QStringList{"Korean"};
        QTest::newRow("text") << 0x92 << QByteArray("fra") << none << QStringList{"French"};
        QTest::newRow("HEVC video") << 0x24 << QByteArray() << none << none;
        QTest::newRow("unknown coding") << 0x20 << QByteArray("eng") << none << none;
    }
    void streamDescriptions()
    {
        QFETCH(int, codingType);
        QFETCH(QByteArray, language);
        // The coding type alone decides what a stream is, whichever group lists it.
        MplsWriter writer;
        writer.items = {MakeItem("00001", 0, 10)};
        writer.items[0].audio = {{quint8(codingType), language}};
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QTEST(Descriptions(outcome.audio), "audio");
        QTEST(Descriptions(outcome.subtitles), "subtitles");
    }

    void streamsComeFromTheLastItem()
    {
        MplsWriter writer;
        writer.items = {MakeItem("00001", 0, 10), MakeItem("00002", 0, 10)};
        writer.items[0].audio = {MplsWriter::Audio(0x81, "eng")};
        writer.items[0].subtitles = {MplsWriter::GraphicsSubtitle("eng")};
        writer.items[1].audio = {MplsWriter::Audio(0x80, "jpn"), MplsWriter::Audio(0x81, "eng")};
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(Descriptions(outcome.audio), (QStringList{"Japanese LPCM", "English AC3"}));
        QCOMPARE(outcome.subtitles.size(), 0);
    }

    void graphicsSubtitlesWinOverText_data()
    {
        QTest::addColumn<QByteArrayList>("graphics");
        QTest::addColumn<QByteArrayList>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("both") << QByteArrayList{"eng", "jpn"} << QByteArrayList{"fra"}
                              << QStringList{"English", "Japanese"};
        QTest::newRow("text only")
            << QByteArrayList{} << QByteArrayList{"fra", "spa"} << QStringList{"French", "Spanish"};
        QTest::newRow("none") << QByteArrayList{} << QByteArrayList{} << QStringList{};
    }
    void graphicsSubtitlesWinOverText()
    {
        QFETCH(QByteArrayList, graphics);
        QFETCH(QByteArrayList, text);
        MplsWriter writer;
        writer.items = {MakeItem("00001", 0, 10)};
        // Text first in the file, so that the order of the file cannot decide.
        for (const QByteArray &language : text)
            writer.items[0].subtitles << MplsWriter::TextSubtitle(language);
        for (const QByteArray &language : graphics)
            writer.items[0].subtitles << MplsWriter::GraphicsSubtitle(language);
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QTEST(Descriptions(outcome.subtitles), "expected");
    }

    void loopingPlaylists_data()
    {
        QTest::addColumn<QByteArrayList>("clips");
        QTest::addColumn<bool>("handedOut");
        QTest::newRow("second and third alike")
            << QByteArrayList{"00001", "00002", "00002"} << false;
        QTest::newRow("many repeats")
            << QByteArrayList{"00009", "00009", "00009", "00009"} << false;
        QTest::newRow("two items alike") << QByteArrayList{"00002", "00002"} << true;
        QTest::newRow("first and second alike")
            << QByteArrayList{"00002", "00002", "00003"} << true;
        QTest::newRow("first and third alike") << QByteArrayList{"00002", "00003", "00002"} << true;
    }
    void loopingPlaylists()
    {
        QFETCH(QByteArrayList, clips);
        QFETCH(bool, handedOut);
        MplsWriter writer;
        for (const QByteArray &clip : clips)
            writer.items << MakeItem(clip, 0, 30);
        writer.items.last().audio = {MplsWriter::Audio(0x81, "eng")};
        writer.marks = {{1, 0, 0}};
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        // The chapters are handed out either way; the items and streams only for a title.
        QCOMPARE(outcome.marks, QVector<quint32>{0});
        QCOMPARE(outcome.items.size(), handedOut ? clips.size() : 1);
        QCOMPARE(Descriptions(outcome.audio),
                 handedOut ? QStringList{"English AC3"} : QStringList{"MARKER"});
        QCOMPARE(outcome.items[0].clipName == QLatin1String("marker"), !handedOut);
    }

    void chapters_data()
    {
        QTest::addColumn<QVector<Mark>>("marks");
        QTest::addColumn<QVector<quint32>>("expected");
        // Items: 600-1800 s on clip 1, then 600-2400 s on clip 2, which starts at 1200 s.
        QTest::newRow("start of the first item")
            << QVector<Mark>{{1, 0, 600 * TicksPerSecond}} << QVector<quint32>{0};
        QTest::newRow("inside the second item")
            << QVector<Mark>{{1, 1, 900 * TicksPerSecond + 45 * 250}}
            << QVector<quint32>{1200000 + 300250};
        QTest::newRow("link points are no chapters")
            << QVector<Mark>{{2, 0, 700 * TicksPerSecond}, {1, 1, 600 * TicksPerSecond}}
            << QVector<quint32>{1200000};
        QTest::newRow("missing item")
            << QVector<Mark>{{1, 2, 0}, {1, 0, 660 * TicksPerSecond}} << QVector<quint32>{60000};
        QTest::newRow("file order kept")
            << QVector<Mark>{{1, 1, 600 * TicksPerSecond}, {1, 0, 600 * TicksPerSecond}}
            << QVector<quint32>{1200000, 0};
    }
    void chapters()
    {
        QFETCH(QVector<Mark>, marks);
        MplsWriter writer = FilmPlaylist();
        writer.marks = marks;
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QTEST(outcome.marks, "expected");
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        const QByteArray film = FilmPlaylist().ToBytes();
        const int markOffset = FilmPlaylist().MarkOffset();
        QTest::newRow("empty") << QByteArray() << int(MplsReader::TooShort);
        QTest::newRow("19 bytes") << film.left(19) << int(MplsReader::TooShort);
        QTest::newRow("header only") << film.left(20) << int(MplsReader::Malformed);
        QByteArray other = film;
        other.replace(0, 4, "HDMV");
        QTest::newRow("clip information") << other << int(MplsReader::NotPlaylist);
        other = film;
        other.replace(0, 4, "mpls");
        QTest::newRow("lower-case type") << other << int(MplsReader::NotPlaylist);
        other = film;
        PutWord32(other, 8, quint32(film.size()));
        QTest::newRow("play list past the end") << other << int(MplsReader::Malformed);
        other = film;
        PutWord32(other, 12, 0xFFFFFFF0u);
        QTest::newRow("marks past the end") << other << int(MplsReader::Malformed);
        other = film;
        PutWord16(other, markOffset + 4, 2000);
        QTest::newRow("more marks than bytes") << other << int(MplsReader::Malformed);
        other = film;
        PutWord16(other, MplsWriter::PlayListOffset + 6, 100);
        QTest::newRow("more items than bytes") << other << int(MplsReader::Malformed);
        other = film;
        // The first item's length sends the second item to before the file's start.
        PutWord16(other, MplsWriter::PlayListOffset + 10, quint16(-200));
        QTest::newRow("item length backwards") << other << int(MplsReader::Malformed);
        other = film;
        other[FirstStreamTable + 16] = char(0xFF);
        QTest::newRow("stream entry too long") << other << int(MplsReader::Malformed);

        // The last entry's final attribute byte lies past the end its item declares.
        MplsWriter overlong = FilmPlaylist();
        overlong.items[1].lengthAdjust = -1;
        QTest::newRow("streams past the item's end")
            << overlong.ToBytes() << int(MplsReader::Malformed);

        MplsWriter video = FilmPlaylist();
        video.items[1].video = QVector<MplsWriter::Stream>(4, MplsWriter::Video());
        QTest::newRow("four video streams in the last item")
            << video.ToBytes() << int(MplsReader::TooManyVideoStreams);
    }
    void refusedFiles()
    {
        QFETCH(QByteArray, bytes);
        const Outcome outcome = Read(bytes);
        QTEST(outcome.code, "code");
        QVERIFY(outcome.Untouched());
    }

    void videoStreamsCheckedOnTheLastItemOnly()
    {
        MplsWriter writer = FilmPlaylist();
        writer.items[0].video = QVector<MplsWriter::Stream>(4, MplsWriter::Video());
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(outcome.items.size(), 2);
        QCOMPARE(Descriptions(outcome.audio), (QStringList{"English AC3", "Japanese TRUEHD"}));
    }

    void everyTruncationIsRefused()
    {
        const QByteArray film = FilmPlaylist().ToBytes();
        QCOMPARE(Read(film).code, int(MplsReader::Ok));
        // Only the last mark's entry PID and duration are never read.
        for (int size = 0; size < film.size() - 6; ++size) {
            const Outcome outcome = Read(film.left(size));
            QVERIFY2(outcome.code == MplsReader::TooShort || outcome.code == MplsReader::Malformed,
                     qPrintable(QStringLiteral("%1 bytes gave %2").arg(size).arg(outcome.code)));
            QVERIFY(outcome.Untouched());
        }
    }

    void zeroPaddingAfterTheLastSection()
    {
        const Outcome outcome = Read(FilmPlaylist().ToBytes() + QByteArray(2048, '\0'));
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(outcome.items.size(), 2);
        QCOMPARE(outcome.marks, (QVector<quint32>{0, 1500000}));
    }

    void multiAngleItems_data()
    {
        QTest::addColumn<int>("angles");
        QTest::newRow("no angles listed") << 0;
        QTest::newRow("one angle") << 1;
        QTest::newRow("two angles") << 2;
        QTest::newRow("nine angles") << 9;
    }
    void multiAngleItems()
    {
        QFETCH(int, angles);
        MplsWriter writer = FilmPlaylist();
        writer.items[1].multiAngle = true;
        writer.items[1].angleCount = quint8(angles);
        const Outcome outcome = Read(writer);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(outcome.items.size(), 2);
        QCOMPARE(Descriptions(outcome.audio), (QStringList{"English AC3", "Japanese TRUEHD"}));
        QCOMPARE(Descriptions(outcome.subtitles), QStringList{"English"});
        QCOMPARE(outcome.marks.size(), 2);
    }

    void countsAreSigned()
    {
        QByteArray bytes = FilmPlaylist().ToBytes();
        PutWord16(bytes, MplsWriter::PlayListOffset + 6, 0x8000);
        Outcome outcome = Read(bytes);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(outcome.items.size(), 0);
        // No items leave every mark without an item to stand on.
        QCOMPARE(outcome.marks.size(), 0);

        MplsWriter writer;
        writer.items = {MakeItem("00001", 0, 10)};
        writer.items[0].audio = {MplsWriter::Audio(0x81, "eng")};
        bytes = writer.ToBytes();
        bytes[FirstStreamTable + 5] = char(0x80);
        outcome = Read(bytes);
        QCOMPARE(outcome.code, int(MplsReader::Ok));
        QCOMPARE(outcome.items.size(), 1);
        QCOMPARE(outcome.audio.size(), 0);
    }

    void reusedBufferHoldsNoStaleBytes()
    {
        // The buffer is never cleared between files, so a short file sits on top of the
        // longer one before it; only the bytes of the short file may be parsed.
        const QByteArray film = FilmPlaylist().ToBytes();
        QCOMPARE(Read(film).code, int(MplsReader::Ok));
        const Outcome outcome = Read(film.left(film.size() - 20));
        QCOMPARE(outcome.code, int(MplsReader::Malformed));
        QVERIFY(outcome.Untouched());
    }

    void longFilesAreCut_data()
    {
        QTest::addColumn<qint64>("markSectionEnd");
        QTest::addColumn<int>("code");
        QTest::newRow("marks end with the buffer") << MplsReader::BufferSize << int(MplsReader::Ok);
        // The last 6 bytes of a mark are never read, so its time stamp has to cross.
        QTest::newRow("last time stamp crosses the cut")
            << MplsReader::BufferSize + 7 << int(MplsReader::Malformed);
    }
    void longFilesAreCut()
    {
        QFETCH(qint64, markSectionEnd);
        const MplsWriter writer = FilmPlaylist();
        QByteArray bytes = writer.ToBytes();
        const QByteArray marks = bytes.mid(writer.MarkOffset());
        bytes.truncate(writer.MarkOffset());
        const qint64 markOffset = markSectionEnd - marks.size();
        PutWord32(bytes, 12, quint32(markOffset));
        bytes.append(QByteArray(markOffset - bytes.size(), '\0'));
        bytes.append(marks);
        bytes.append(QByteArray(100, '\0'));
        QTEST(Read(bytes).code, "code");
    }

    void missingFile()
    {
        Outcome outcome;
        outcome.code =
            reader.ReadPlaylist(folder.filePath(QStringLiteral("absent.mpls")), outcome.items,
                                outcome.subtitles, outcome.audio, outcome.marks);
        QCOMPARE(outcome.code, ENOENT);
        QVERIFY(outcome.Untouched());
    }
};

QTEST_APPLESS_MAIN(MplsReaderTest)
#include "tst_MplsReader.moc"
