#include "MplsWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using Item = MplsWriter::Item;

namespace {

constexpr quint32 TicksPerMs = 45;
// "Ünïçödé" in UTF-8.
constexpr char NonAscii[] = "\xC3\x9C"
                            "n\xC3\xAF\xC3\xA7\xC3\xB6"
                            "d\xC3\xA9";

Item MakeItem(const QByteArray &clip, quint32 inMs, quint32 outMs)
{
    Item item;
    item.clip = clip;
    item.inTicks = inMs * TicksPerMs;
    item.outTicks = outMs * TicksPerMs;
    item.video = {MplsWriter::Video()};
    return item;
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunDump(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(ORVEL_MPLS_DUMP), arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class MplsDumpTest : public QObject
{
    Q_OBJECT

private slots:
    // Every kind of file in one run, as a disc folder is dumped: each line is compared as
    // text (key order, number form, escapes) and then read back as JSON.
    void oneLinePerFile()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString dir = folder.path();
        // The expected lines below put the folder into JSON text unescaped.
        QVERIFY2(!dir.contains(QLatin1Char('"')) && !dir.contains(QLatin1Char('\\')),
                 qPrintable(dir));

        MplsWriter film;
        film.items = {MakeItem("00001", 600000, 1800000), MakeItem("00002", 600000, 2400000)};
        film.items[1].audio = {MplsWriter::Audio(0x81, "eng"), MplsWriter::Audio(0x83, "jpn")};
        film.items[1].subtitles = {MplsWriter::GraphicsSubtitle("eng"),
                                   MplsWriter::TextSubtitle("fra")};
        film.marks = {
            {1, 0, 600000 * TicksPerMs}, {2, 0, 700000 * TicksPerMs}, {1, 1, 900000 * TicksPerMs}};
        const QString filmPath = dir + QStringLiteral("/film.mpls");
        QVERIFY(film.WriteTo(filmPath));

        // A clip name with a control character, a Latin-1 letter, a quote and a backslash,
        // in a file whose own name needs escaping and is not ASCII.
        MplsWriter odd;
        odd.items = {MakeItem("\x01\xE9\"\\x", 0, 1500)};
        odd.items[0].audio = {MplsWriter::Audio(0xA2, "fra")};
        odd.items[0].subtitles = {MplsWriter::TextSubtitle("por")};
        odd.marks = {{1, 0, 1200 * TicksPerMs}};
        const QString oddPath =
            dir + QString::fromUtf8(QByteArray("/a \"q\" b\\c ") + NonAscii + ".mpls");
        QVERIFY(odd.WriteTo(oddPath));

        MplsWriter looping;
        looping.items = {MakeItem("00009", 0, 30000), MakeItem("00009", 0, 30000),
                         MakeItem("00009", 0, 30000)};
        looping.items[2].audio = {MplsWriter::Audio(0x81, "eng")};
        looping.marks = {{1, 2, 10000 * TicksPerMs}};
        const QString loopingPath = dir + QStringLiteral("/looping.mpls");
        QVERIFY(looping.WriteTo(loopingPath));

        // Refused after a good file: nothing of the previous file may show through.
        QByteArray notPlaylist = film.ToBytes();
        notPlaylist.replace(0, 4, "HDMV");
        const QString refusedPath = dir + QStringLiteral("/refused.mpls");
        QFile refused(refusedPath);
        QVERIFY(refused.open(QIODevice::WriteOnly));
        QCOMPARE(refused.write(notPlaylist), notPlaylist.size());
        refused.close();

        const QString missingPath = dir + QStringLiteral("/missing.mpls");

        const Run run = RunDump({filmPath, oddPath, loopingPath, refusedPath, missingPath});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), run.err.constData());

        const QByteArray d = dir.toUtf8();
        const QList<QByteArray> expected{
            "{\"file\":\"" + d +
                "/film.mpls\",\"code\":0,\"items\":["
                "{\"clip\":\"00001.M2TS\",\"inMs\":600000,\"startMs\":0,\"durationMs\":1200000},"
                "{\"clip\":\"00002.M2TS\",\"inMs\":600000,\"startMs\":1200000,\"durationMs\":"
                "1800000}],"
                "\"marks\":[0,1500000],\"audio\":[\"English AC3\",\"Japanese TRUEHD\"],"
                "\"subtitles\":[\"English\"]}",
            "{\"file\":\"" + d + "/a \\\"q\\\" b\\\\c " + NonAscii +
                ".mpls\","
                "\"code\":0,\"items\":["
                "{\"clip\":\"\\u0001\xC3\xA9\\\"\\\\x.M2TS\",\"inMs\":0,\"startMs\":0,"
                "\"durationMs\":1500}],"
                "\"marks\":[1200],\"audio\":[\"French\"],\"subtitles\":[\"Portugal\"]}",
            "{\"file\":\"" + d +
                "/looping.mpls\",\"code\":0,\"items\":[],\"marks\":[70000],"
                "\"audio\":[],\"subtitles\":[]}",
            "{\"file\":\"" + d +
                "/refused.mpls\",\"code\":2,\"items\":[],\"marks\":[],"
                "\"audio\":[],\"subtitles\":[]}",
            "{\"file\":\"" + d + "/missing.mpls\",\"code\":" + QByteArray::number(ENOENT) +
                ",\"items\":[],\"marks\":[],\"audio\":[],\"subtitles\":[]}",
        };
        QVERIFY(run.out.endsWith('\n'));
        const QList<QByteArray> lines = run.out.chopped(1).split('\n');
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i], expected[i]);

        // The same lines read as JSON give back the path and the clip name unchanged.
        const QStringList paths{filmPath, oddPath, loopingPath, refusedPath, missingPath};
        const QList<int> codes{0, 0, 0, 2, ENOENT};
        for (int i = 0; i < lines.size(); ++i) {
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(lines[i], &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
            const QJsonObject object = document.object();
            QCOMPARE(object.value(QLatin1String("file")).toString(), paths[i]);
            QCOMPARE(object.value(QLatin1String("code")).toInt(-100), codes[i]);
        }
        const QJsonObject oddObject = QJsonDocument::fromJson(lines[1]).object();
        const QJsonObject oddItem =
            oddObject.value(QLatin1String("items")).toArray().at(0).toObject();
        QCOMPARE(oddItem.value(QLatin1String("clip")).toString(),
                 QString::fromUtf8("\x01\xC3\xA9\"\\x.M2TS"));
        QCOMPARE(oddItem.value(QLatin1String("durationMs")).toInt(), 1500);
    }

    void usageError()
    {
        const Run run = RunDump({});
        QVERIFY(run.exitCode > 0);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.contains("usage"));

        // --help is a request, not a file; after "--" a name that looks like an option is a
        // file; another option is refused.
        const Run help = RunDump({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("usage: orvel-mpls-dump"));
        QVERIFY(help.err.isEmpty());
        const Run named = RunDump({QStringLiteral("--"), QStringLiteral("--help")});
        QCOMPARE(named.exitCode, 0);
        QVERIFY2(named.out.startsWith("{\"file\":\"--help\",\"code\":2,"), named.out.constData());
        const Run unknown = RunDump({QStringLiteral("--version"), QStringLiteral("x.mpls")});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY(unknown.out.isEmpty());
        QVERIFY(unknown.err.contains("usage"));
    }
};

QTEST_GUILESS_MAIN(MplsDumpTest)
#include "tst_MplsDump.moc"
