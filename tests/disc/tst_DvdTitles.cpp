#include "DiscImageMaker.h"
#include "DvdFolderBuilder.h"
#include "disc/DvdTitleReader.h"
#include "disc/DvdTitles.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

namespace {

// Titles in a short text form: "number:lengthMs:chapterCount:start,start;..." .
QString Show(const DvdTitles &read)
{
    QStringList titles;
    for (const DvdTitle &title : read.titles) {
        QStringList starts;
        for (const qint64 start : title.chapterStartsMs)
            starts << QString::number(start);
        titles << QStringLiteral("%1:%2:%3:%4")
                      .arg(title.number)
                      .arg(title.lengthMs)
                      .arg(title.chapterCount)
                      .arg(starts.join(QLatin1Char(',')));
    }
    return titles.join(QLatin1Char(';'));
}

} // namespace

// The DVD title reader: the engine's report turned into titles and chapters, and the real
// engine asked about a DVD of two titles, as a folder and as an image.
namespace {

// A child of `parent` that runs the engine with "-identify" and waits to open a pipe, or 0.
// Killed earlier, its parent would take it along: its next line would find no reader.
qint64 ChildListing(qint64 parent)
{
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &process : processes) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 2 || fields[1].toLongLong() != parent)
            continue;
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(process));
        QFile waiting(QStringLiteral("/proc/%1/wchan").arg(process));
        if (command.open(QIODevice::ReadOnly) && command.readAll().contains("-identify") &&
            waiting.open(QIODevice::ReadOnly) && waiting.readAll() == "wait_for_partner")
            return process.toLongLong();
    }
    return 0;
}

// Whether the process runs (a zombie waiting for its parent does not).
bool Alive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace

class DvdTitlesTest : public QObject
{
    Q_OBJECT

private slots:
    void parsesReports_data();
    void parsesReports();
    void readsTwoTitlesFromTheEngine();
    void aHangingListingEndsWithThePlayer_data();
    void aHangingListingEndsWithThePlayer();
};

void DvdTitlesTest::parsesReports_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("titles");

    const QByteArray header = "ID_DVD_TITLES=2\nID_DVD_TITLE_1_CHAPTERS=3\n"
                              "ID_DVD_TITLE_2_CHAPTERS=2\nID_DVD_TITLE_1_LENGTH=6.000\n"
                              "ID_DVD_TITLE_2_LENGTH=4.500\n";
    const QByteArray first = "Playing dvd://1.\n" + header +
                             "ID_DVD_CURRENT_TITLE=1\nCHAPTERS: 00:00:00.000,00:00:01.800,"
                             "00:00:04.200,\n";
    const QByteArray second = "Playing dvd://2.\n" + header +
                              "ID_DVD_CURRENT_TITLE=2\nCHAPTERS: 00:00:00.000,00:00:01.200,\n";
    QTest::newRow("two titles") << first + second
                                << QStringLiteral("1:6000:3:0,1800,4200;2:4500:2:0,1200");
    QTest::newRow("crlf line ends") << QByteArray(first + second).replace("\n", "\r\n")
                                    << QStringLiteral("1:6000:3:0,1800,4200;2:4500:2:0,1200");
    QTest::newRow("no title count")
        << QByteArray("ID_DVD_TITLE_1_LENGTH=6.000\n") << QStringLiteral("");
    QTest::newRow("nothing") << QByteArray() << QStringLiteral("");
    // Titles past the disc's end open nothing: their Playing line ends the last title.
    QTest::newRow("a failed title takes no chapters")
        << first + "Playing dvd://2.\n" + header +
               "Invalid DVD title number: 2\nCHAPTERS: 00:00:00.000,00:00:09.000,\n"
        << QStringLiteral("1:6000:3:0,1800,4200;2:4500:2:");
    QTest::newRow("chapters before any title")
        << QByteArray("CHAPTERS: 00:00:00.000,00:00:05.000,\n") + header
        << QStringLiteral("1:6000:3:;2:4500:2:");
    QTest::newRow("more starts than chapters")
        << QByteArray("ID_DVD_TITLES=1\nID_DVD_TITLE_1_CHAPTERS=2\nID_DVD_CURRENT_TITLE=1\n"
                      "CHAPTERS: 00:00:00.000,00:00:01.000,00:00:02.000,\n")
        << QStringLiteral("1:0:2:0,1000");
    QTest::newRow("starts going back")
        << QByteArray("ID_DVD_TITLES=1\nID_DVD_TITLE_1_CHAPTERS=2\nID_DVD_CURRENT_TITLE=1\n"
                      "CHAPTERS: 00:00:03.000,00:00:01.000,\n")
        << QStringLiteral("1:0:2:");
    QTest::newRow("unreadable start")
        << QByteArray("ID_DVD_TITLES=1\nID_DVD_TITLE_1_CHAPTERS=2\nID_DVD_CURRENT_TITLE=1\n"
                      "CHAPTERS: 00:00:00.000,00:61:00.000,\n")
        << QStringLiteral("1:0:2:");
    QTest::newRow("values out of range")
        << QByteArray(
               "ID_DVD_TITLES=1\nID_DVD_TITLE_1_LENGTH=-5\nID_DVD_TITLE_1_CHAPTERS=1000\n"
               "ID_DVD_TITLE_0_LENGTH=3\nID_DVD_TITLE_100_LENGTH=3\nID_DVD_TITLE_1_LENGTH=nan\n")
        << QStringLiteral("1:0:0:");
    QTest::newRow("too many titles") << QByteArray("ID_DVD_TITLES=100\n") << QStringLiteral("");
    QTest::newRow("last line without end")
        << QByteArray("ID_DVD_TITLES=1\nID_DVD_TITLE_1_LENGTH=2.5") << QStringLiteral("1:2500:0:");
    QTest::newRow("a later count replaces the first")
        << QByteArray("ID_DVD_TITLES=3\nID_DVD_TITLES=1\n") << QStringLiteral("1:0:0:");
}

void DvdTitlesTest::parsesReports()
{
    QFETCH(QByteArray, output);
    QFETCH(QString, titles);
    QCOMPARE(Show(ParseDvdTitles(output)), titles);
}

void DvdTitlesTest::readsTwoTitlesFromTheEngine()
{
    for (const char *tool : {"mplayer", "ffmpeg", "dvdauthor", "genisoimage"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("mplayer, ffmpeg, dvdauthor and genisoimage are needed");
    }
    QTemporaryDir root;
    QVERIFY(root.isValid());
    DvdFolderBuilder builder;
    builder.titles = {{6, {2.0, 4.0}}, {4, {1.5}}};
    const QString folder = root.filePath(QStringLiteral("two titles"));
    QString error;
    QVERIFY2(builder.Build(folder, &error), qPrintable(error));
    const QString image = folder + QStringLiteral(".iso");
    QVERIFY2(MakeUdfImage(folder, image, &error), qPrintable(error));

    const DvdTitles fromFolder = ReadDvdTitles(QStringLiteral("mplayer"), folder);
    QCOMPARE(fromFolder.titles.size(), 2);
    const QVector<QVector<double>> wanted{{0, 2.0, 4.0}, {0, 1.5}};
    const double lengths[] = {6, 4};
    for (int i = 0; i < 2; ++i) {
        const DvdTitle &title = fromFolder.titles[i];
        QCOMPARE(title.number, i + 1);
        QVERIFY2(qAbs(title.lengthMs / 1000.0 - lengths[i]) < 0.5, qPrintable(Show(fromFolder)));
        QCOMPARE(title.chapterCount, wanted[i].size());
        QCOMPARE(title.chapterStartsMs.size(), wanted[i].size());
        // The engine puts a chapter on the picture group that holds its start.
        for (int c = 0; c < wanted[i].size(); ++c)
            QVERIFY2(qAbs(title.chapterStartsMs[c] / 1000.0 - wanted[i][c]) < 1.0,
                     qPrintable(Show(fromFolder)));
    }
    QCOMPARE(Show(ReadDvdTitles(QStringLiteral("mplayer"), image)), Show(fromFolder));

    // An engine that cannot be started, and a disc that is not there, list nothing.
    QCOMPARE(ReadDvdTitles(root.filePath(QStringLiteral("no-engine")), folder).titles.size(), 0);
    QCOMPARE(ReadDvdTitles(QStringLiteral("mplayer"), root.filePath(QStringLiteral("none")))
                 .titles.size(),
             0);
}

void DvdTitlesTest::aHangingListingEndsWithThePlayer_data()
{
    QTest::addColumn<bool>("killed"); // else it quits
    QTest::newRow("killed") << true;
    QTest::newRow("quits") << false;
}

// A disc whose title file is a pipe holds the listing engine for ever: it must still end
// with the player, whether the player is killed or quits while it waits.
void DvdTitlesTest::aHangingListingEndsWithThePlayer()
{
    QFETCH(bool, killed);
    for (const char *tool : {"mplayer", "ffmpeg", "dvdauthor"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("mplayer, ffmpeg and dvdauthor are needed");
    }
    QTemporaryDir root;
    QVERIFY(root.isValid());
    DvdFolderBuilder builder;
    builder.titles = {{3, {}}};
    const QString folder = root.filePath(QStringLiteral("hanging"));
    QString error;
    QVERIFY2(builder.Build(folder, &error), qPrintable(error));
    const QString titleFile = folder + QStringLiteral("/VIDEO_TS/VTS_01_0.IFO");
    QVERIFY(QFile::remove(titleFile));
    QCOMPARE(::mkfifo(QFile::encodeName(titleFile).constData(), 0600), 0);

    QProcess player;
    player.start(QCoreApplication::applicationDirPath() + QStringLiteral("/dvd_titles_child"),
                 {QStringLiteral("mplayer"), folder});
    QVERIFY(player.waitForReadyRead(10000));
    // The listing engine, once it hangs on the pipe.
    qint64 engine = 0;
    QTRY_VERIFY_WITH_TIMEOUT((engine = ChildListing(player.processId())) > 0, 30000);
    if (killed) {
        ::kill(pid_t(player.processId()), SIGKILL);
    } else {
        player.closeWriteChannel();
    }
    QVERIFY(player.waitForFinished(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!Alive(engine), 30000);
}

QTEST_GUILESS_MAIN(DvdTitlesTest)
#include "tst_DvdTitles.moc"
