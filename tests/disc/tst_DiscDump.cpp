#include "BluRayFolderBuilder.h"
#include "DvdFolderBuilder.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <dirent.h>

namespace {

// The playlist folder's names in the order the file system lists them.
QStringList ListingOrder(const QString &disc)
{
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(disc + QStringLiteral("/BDMV/PLAYLIST")).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

// JSON text of a string holding no control characters other than a tab.
QByteArray Json(const QString &text)
{
    QByteArray out = text.toUtf8();
    out.replace("\\", "\\\\").replace("\"", "\\\"").replace("\t", "\\t");
    return '"' + out + '"';
}

} // namespace

// orvel-disc-dump's exact lines: the same scan as the window, printed for scripts.
class DiscDumpTest : public QObject
{
    Q_OBJECT

private slots:
    void printsOneLinePerFolder();
    void helpIsNotADisc();
};

void DiscDumpTest::printsOneLinePerFolder()
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dvdauthor")).isEmpty())
        QSKIP("ffmpeg and dvdauthor are needed");
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY2(!root.path().contains(QLatin1Char('"')) && !root.path().contains(QLatin1Char('\\')),
             qPrintable(root.path()));

    // A Blu-ray whose path and name need escaping; two pairs of titles where the engine
    // lists only the first of each pair, in whatever order the file system lists them.
    const QString blurayPath = root.filePath(QStringLiteral("Dïsc \"one\" \\ two\tthree"));
    BluRayFolderBuilder bluray;
    bluray.AddSyntheticClip("00001", 30, {"eng", "fra"}, {"eng"});
    bluray.AddSyntheticClip("00002", 10, {}, {});
    bluray.AddPlaylist(QStringLiteral("00001.mpls"), {"00001"}, {0, 10000});
    bluray.AddPlaylist(QStringLiteral("00002.mpls"), {"00002"});
    bluray.AddByteCopy(QStringLiteral("00003.mpls"), QStringLiteral("00001.mpls"));
    bluray.AddStructuralCopy(QStringLiteral("00004.mpls"), QStringLiteral("00002.mpls"));
    bluray.SetDiscName("Ünïçödé \"Disc\" \\ 1", "thumb.jpg");
    QString error;
    QVERIFY2(bluray.Build(blurayPath, &error), qPrintable(error));

    // A Blu-ray without metadata and without any usable playlist.
    const QString emptyPath = root.filePath(QStringLiteral("empty disc"));
    BluRayFolderBuilder empty;
    empty.AddRaw(QStringLiteral("00001.mpls"), "not a playlist");
    QVERIFY2(empty.Build(emptyPath, &error), qPrintable(error));

    const QString dvdPath = root.filePath(QStringLiteral("DVD ö"));
    DvdFolderBuilder dvd;
    dvd.seconds = 2;
    QVERIFY2(dvd.Build(dvdPath, &error), qPrintable(error));

    const QString lowerCasePath = root.filePath(QStringLiteral("lower"));
    QVERIFY(QDir().mkpath(lowerCasePath + QStringLiteral("/BDMV/stream")));
    const QString plainPath = root.filePath(QStringLiteral("plain"));
    QVERIFY(QDir().mkpath(plainPath + QStringLiteral("/music")));

    QProcess dump;
    dump.start(QStringLiteral(ORVEL_DISC_DUMP),
               {blurayPath, emptyPath, dvdPath, lowerCasePath, plainPath});
    QVERIFY(dump.waitForFinished(60000));
    QCOMPARE(dump.exitCode(), 0);
    QCOMPARE(dump.readAllStandardError(), QByteArray());
    const QList<QByteArray> lines = dump.readAllStandardOutput().split('\n');

    // The engine lists the first of each pair as the file system lists them, and numbers
    // what it lists in that order; equal lengths keep that order in the title menus.
    const QStringList order = ListingOrder(blurayPath);
    auto firstOf = [&order](const QString &a, const QString &b) {
        return order.indexOf(a) < order.indexOf(b) ? a : b;
    };
    const QString longTitle = firstOf(QStringLiteral("00001.mpls"), QStringLiteral("00003.mpls"));
    const QString shortNumbered =
        firstOf(QStringLiteral("00002.mpls"), QStringLiteral("00004.mpls"));
    const QString shortOther = shortNumbered == QLatin1String("00002.mpls")
                                   ? QStringLiteral("00004.mpls")
                                   : QStringLiteral("00002.mpls");
    const int longNumber = order.indexOf(longTitle) < order.indexOf(shortNumbered) ? 1 : 2;
    const bool numberedFirst = order.indexOf(shortNumbered) < order.indexOf(shortOther);
    auto shortTitle = [&](const QString &name) {
        const QByteArray number =
            name == shortNumbered ? QByteArray::number(3 - longNumber) : QByteArray("null");
        return "{\"playlist\":" + Json(name) + ",\"engineTitle\":" + number +
               ",\"durationText\":\"00:00:10\",\"chapters\":[],\"audio\":[],\"subtitles\":[]}";
    };
    const QByteArray blurayLine =
        "{\"folder\":" + Json(blurayPath) +
        ",\"kind\":\"bluray\",\"name\":\"Ünïçödé \\\"Disc\\\" \\\\ 1\",\"thumbnail\":\"thumb.jpg\","
        "\"pictureLoaded\":true,\"current\":" +
        Json(longTitle) + ",\"titles\":[{\"playlist\":" + Json(longTitle) +
        ",\"engineTitle\":" + QByteArray::number(longNumber) +
        ",\"durationText\":\"00:00:30\",\"chapters\":[0,10000],"
        "\"audio\":[\"English AC3\",\"French AC3\"],\"subtitles\":[\"English\"]}," +
        (numberedFirst ? shortTitle(shortNumbered) + ',' + shortTitle(shortOther)
                       : shortTitle(shortOther) + ',' + shortTitle(shortNumbered)) +
        "]}";

    QCOMPARE(lines.size(), 6); // five lines and the empty rest after the last line end
    QCOMPARE(lines[0], blurayLine);
    QCOMPARE(lines[1], "{\"folder\":" + Json(emptyPath) +
                           ",\"kind\":\"bluray\",\"name\":\"\",\"thumbnail\":\"\","
                           "\"pictureLoaded\":false,\"current\":\"\",\"titles\":[]}");
    QCOMPARE(lines[2], "{\"folder\":" + Json(dvdPath) +
                           ",\"kind\":\"dvd\",\"name\":\"\",\"thumbnail\":\"\","
                           "\"pictureLoaded\":false,\"current\":\"\",\"titles\":[]}");
    for (int i : {3, 4})
        QCOMPARE(lines[i], "{\"folder\":" + Json(i == 3 ? lowerCasePath : plainPath) +
                               ",\"kind\":\"none\",\"name\":\"\",\"thumbnail\":\"\","
                               "\"pictureLoaded\":false,\"current\":\"\",\"titles\":[]}");
    QCOMPARE(lines[5], QByteArray());
}

void DiscDumpTest::helpIsNotADisc()
{
    auto run = [](const QStringList &arguments, QByteArray &out, QByteArray &err) {
        QProcess dump;
        dump.start(QStringLiteral(ORVEL_DISC_DUMP), arguments);
        dump.waitForFinished(30000);
        out = dump.readAllStandardOutput();
        err = dump.readAllStandardError();
        return dump.exitCode();
    };
    QByteArray out, err;
    QCOMPARE(run({QStringLiteral("--help")}, out, err), 0);
    QVERIFY2(out.startsWith("usage: orvel-disc-dump"), out.constData());
    QVERIFY(err.isEmpty());
    QCOMPARE(run({QStringLiteral("--"), QStringLiteral("--help")}, out, err), 0);
    QVERIFY2(out.startsWith("{\"folder\":\"--help\",\"kind\":\"none\""), out.constData());
    QCOMPARE(run({QStringLiteral("--bogus")}, out, err), 2);
    QVERIFY(out.isEmpty());
    QVERIFY(err.contains("usage"));
}

QTEST_GUILESS_MAIN(DiscDumpTest)
#include "tst_DiscDump.moc"
