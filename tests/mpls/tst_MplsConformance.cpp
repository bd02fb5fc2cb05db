#include "MplsWriter.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Item = MplsWriter::Item;

namespace {

constexpr quint32 TicksPerSecond = 45000;

Item MakeItem(const QByteArray &clip, quint32 inTicks, quint32 outTicks)
{
    Item item;
    item.clip = clip;
    item.inTicks = inTicks;
    item.outTicks = outTicks;
    item.video = {MplsWriter::Video()};
    return item;
}

} // namespace

// libbluray reads the written playlists as an independent second reader: where the writer
// and the player's reader share a wrong idea of the layout, it does not.
class MplsConformanceTest : public QObject
{
    Q_OBJECT

private slots:
    void writtenPlaylistsAgreeWithLibbluray()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVector<MplsWriter> playlists;

        // Times that do not fall on whole milliseconds, so that every rounding rule shows.
        MplsWriter film;
        film.items = {MakeItem("00001", 27000044, 81000046), MakeItem("00002", 1001, 900089),
                      MakeItem("00003", 89, 45089)};
        film.items[2].audio = {MplsWriter::Audio(0x81, "eng"), MplsWriter::Audio(0x86, "jpn"),
                               MplsWriter::Audio(0xA2, "deu")};
        film.items[2].subtitles = {MplsWriter::GraphicsSubtitle("eng"),
                                   MplsWriter::TextSubtitle("fra")};
        film.marks = {{1, 0, 27000044}, {2, 0, 30000000}, {1, 1, 450089}, {1, 2, 44999}};
        playlists << film;

        // Angle blocks of each size, streams that change between items, text subtitles only.
        MplsWriter angles;
        for (const quint8 count : {quint8(0), quint8(1), quint8(2), quint8(4)}) {
            Item item = MakeItem(QByteArray::number(10 + count).rightJustified(5, '0'),
                                 90 * TicksPerSecond, 150 * TicksPerSecond + 7);
            item.multiAngle = true;
            item.angleCount = count;
            item.audio = {MplsWriter::Audio(0x80 + count, "spa")};
            angles.items << item;
        }
        angles.items.last().subtitles = {MplsWriter::TextSubtitle("kor"),
                                         MplsWriter::TextSubtitle("tha")};
        angles.marks = {{1, 3, 100 * TicksPerSecond}};
        playlists << angles;

        // Played as a loop: no items, chapters still.
        MplsWriter looping;
        looping.items = QVector<Item>(4, MakeItem("00009", 0, 30 * TicksPerSecond));
        looping.marks = {{1, 0, 0}, {1, 3, 15 * TicksPerSecond}};
        playlists << looping;

        for (int i = 0; i < playlists.size(); ++i) {
            const QString name = QStringLiteral("%1.mpls").arg(i, 5, 10, QLatin1Char('0'));
            QVERIFY(playlists[i].WriteTo(folder.filePath(name)));
        }

        QProcess process;
        process.start(QStringLiteral(ORVEL_MPLS_CONFORMANCE), {folder.path()});
        QVERIFY(process.waitForFinished(60000));
        const QByteArray out = process.readAllStandardOutput();
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                 out.constData());
        QVERIFY2(out.contains("files 3: 3 match, 0 differ, 0 skipped"), out.constData());
    }
};

QTEST_GUILESS_MAIN(MplsConformanceTest)
#include "tst_MplsConformance.moc"
