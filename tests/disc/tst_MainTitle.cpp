// The movie of a Blu-ray: libbluray's main-title rules in a table, and decoy discs of our own
// (same length with fewer streams, repeated clips, lower resolution, an older codec, no
// chapters) where the scan's movie must be the title libbluray's bd_get_main_title names.
#include "BluRayFolderBuilder.h"
#include "disc/BluRayScan.h"
#include "disc/MainTitleRules.h"

#include <QTemporaryDir>
#include <QtTest>

#include <libbluray/bluray.h>

namespace {

constexpr quint32 Minute = 60 * 45000;

MainTitleFacts Facts(quint32 minutes, int chapters = 10, int score = 2, int format = 1,
                     int codec = 1)
{
    MainTitleFacts facts;
    facts.ticks = minutes * Minute;
    facts.chapters = chapters;
    facts.streamScore = score;
    facts.videoFormat = format;
    facts.videoCodec = codec;
    return facts;
}

// The playlist libbluray names as the main title, or "" when it names none.
QString LibblurayMainTitle(const QString &disc)
{
    QString name;
    if (BLURAY *bd = bd_open(QFile::encodeName(disc).constData(), nullptr)) {
        if (bd_get_titles(bd, TITLES_RELEVANT, 0) > 0) {
            const int main = bd_get_main_title(bd);
            if (BLURAY_TITLE_INFO *info =
                    main >= 0 ? bd_get_title_info(bd, uint32_t(main), 0) : nullptr) {
                name = QStringLiteral("%1.mpls").arg(info->playlist, 5, 10, QLatin1Char('0'));
                bd_free_title_info(info);
            }
        }
        bd_close(bd);
    }
    return name;
}

} // namespace

class MainTitleTest : public QObject
{
    Q_OBJECT
private slots:
    void compare_data();
    void compare();
    void ofEqualsTheLastListedWins();
    void decoyDiscs_data();
    void decoyDiscs();

private:
    QTemporaryDir dir;
};

void MainTitleTest::compare_data()
{
    QTest::addColumn<MainTitleFacts>("candidate");
    QTest::addColumn<MainTitleFacts>("held");
    QTest::addColumn<int>("sign"); // of Compare: > 0 the held one is better
    QTest::newRow("longer wins") << Facts(100) << Facts(90) << -1;
    QTest::newRow("shorter loses") << Facts(20) << Facts(21) << 1;
    QTest::newRow("equal length: more streams") << Facts(90, 10, 6) << Facts(90, 10, 4) << -1;
    QTest::newRow("equal in all") << Facts(90) << Facts(90) << 0;
    QTest::newRow("1080p beats a longer 720p") << Facts(95, 10, 2, 1) << Facts(120, 10, 2, 0) << -1;
    QTest::newRow("2160p beats 1080p") << Facts(95, 10, 2, 2) << Facts(120, 10, 2, 1) << -1;
    QTest::newRow("H.264 beats a longer MPEG-2")
        << Facts(95, 10, 2, 1, 1) << Facts(120, 10, 2, 1, 0) << -1;
    QTest::newRow("chapters beat length when one has none") << Facts(95, 20) << Facts(120, 0) << -1;
    QTest::newRow("a few chapters more do not count") << Facts(95, 6) << Facts(120, 1) << 1;
    QTest::newRow("both with chapters: length decides") << Facts(95, 20) << Facts(120, 2) << 1;
    QTest::newRow("picture does not count under 30 minutes")
        << Facts(25, 10, 2, 1) << Facts(29, 10, 2, 0) << 1;
    QTest::newRow("picture does not count when one is short")
        << Facts(100, 10, 2, 0) << Facts(29, 10, 2, 1) << -1;
    MainTitleFacts hd = Facts(90);
    hd.hdAudio = true;
    QTest::newRow("HD audio over 30 minutes") << hd << Facts(100) << -1;
}

void MainTitleTest::compare()
{
    QFETCH(MainTitleFacts, candidate);
    QFETCH(MainTitleFacts, held);
    QFETCH(int, sign);
    const int result = MainTitleRules::Compare(candidate, held);
    QCOMPARE((result > 0) - (result < 0), sign);
    const int reverse = MainTitleRules::Compare(held, candidate);
    QCOMPARE((reverse > 0) - (reverse < 0), -sign);
}

void MainTitleTest::ofEqualsTheLastListedWins()
{
    QCOMPARE(MainTitleRules::Pick({}), -1);
    QCOMPARE(MainTitleRules::Pick({Facts(90)}), 0);
    QCOMPARE(MainTitleRules::Pick({Facts(90), Facts(90), Facts(80)}), 1);
    QCOMPARE(MainTitleRules::Pick({Facts(10), Facts(95), Facts(95, 10, 1), Facts(60)}), 1);
}

void MainTitleTest::decoyDiscs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("movie");
    QTest::newRow("same length, fewer streams") << "streams"
                                                << "00020.mpls";
    QTest::newRow("repeated clips") << "repeats"
                                    << "00002.mpls";
    QTest::newRow("lower resolution, longer") << "resolution"
                                              << "00007.mpls";
    QTest::newRow("older codec, longer") << "codec"
                                         << "00004.mpls";
    QTest::newRow("no chapters, longer") << "chapters"
                                         << "00009.mpls";
    // Of equals the last in the folder's own order, which the file system decides.
    QTest::newRow("short titles of equal length") << "short" << QString();
}

void MainTitleTest::decoyDiscs()
{
    QFETCH(QString, name);
    QFETCH(QString, movie);
    BluRayFolderBuilder disc;
    const QVector<QByteArray> many{"eng", "fra", "deu"};
    const QVector<qint64> chapters{0, 600000, 1200000, 1800000, 2400000};
    if (name == "streams") {
        disc.AddSyntheticClip("00001", 5400, many, {"eng", "fra"});
        disc.AddSyntheticClip("00002", 5400, {"eng"}, {});
        disc.AddPlaylist("00010.mpls", {"00002"}, chapters);
        disc.AddPlaylist("00020.mpls", {"00001"}, chapters);
        disc.AddPlaylist("00030.mpls", {"00002"}, {0, 600000, 1200000});
    } else if (name == "repeats") {
        // A decoy that loops one clip is longer, and is no title at all.
        disc.AddSyntheticClip("00001", 3000, many, {});
        disc.AddSyntheticClip("00003", 2000, many, {});
        disc.AddLoop("00001.mpls", "00003", 3);
        disc.AddPlaylist("00002.mpls", {"00001"}, chapters);
        disc.AddLoop("00005.mpls", "00003", 4);
    } else if (name == "resolution") {
        disc.AddSyntheticClip("00001", 6000, many, {}).videoFormatRate = 0x51;
        disc.AddSyntheticClip("00002", 5000, many, {});
        disc.AddPlaylist("00006.mpls", {"00001"}, chapters);
        disc.AddPlaylist("00007.mpls", {"00002"}, chapters);
    } else if (name == "codec") {
        disc.AddSyntheticClip("00001", 6000, many, {}).videoCodingType = 0x02;
        disc.AddSyntheticClip("00002", 5000, many, {});
        disc.AddPlaylist("00004.mpls", {"00002"}, chapters);
        disc.AddPlaylist("00005.mpls", {"00001"}, chapters);
    } else if (name == "chapters") {
        disc.AddSyntheticClip("00001", 6000, many, {});
        disc.AddSyntheticClip("00002", 5000, many, {});
        disc.AddPlaylist("00008.mpls", {"00001"});
        QVector<qint64> twenty;
        for (qint64 ms = 0; ms < 4000000; ms += 200000)
            twenty << ms;
        disc.AddPlaylist("00009.mpls", {"00002"}, twenty);
    } else if (name == "short") {
        disc.AddSyntheticClip("00001", 600, many, {});
        disc.AddSyntheticClip("00002", 600, many, {});
        disc.AddSyntheticClip("00003", 600, many, {});
        disc.AddPlaylist("00001.mpls", {"00001"});
        disc.AddPlaylist("00002.mpls", {"00002"});
        disc.AddPlaylist("00003.mpls", {"00003"});
    }
    const QString folder = dir.filePath(name);
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    const BluRayScan scan = ScanBluRayFolder(folder);
    if (movie.isEmpty()) {
        QCOMPARE(scan.engineTitles.size(), 3);
        movie = scan.engineTitles.last().playlistName;
    }
    QCOMPARE(LibblurayMainTitle(folder), movie);
    const BluRayTitle *picked = scan.Find(scan.currentTitleKey);
    QVERIFY(picked);
    QVERIFY(picked->HasEngineTitle());
    QCOMPARE(picked->playlistName, movie);
}

QTEST_GUILESS_MAIN(MainTitleTest)
#include "tst_MainTitle.moc"
