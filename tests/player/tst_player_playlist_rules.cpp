#include "player/PlaylistRules.h"

#include <QTest>
#include <QVariant>

namespace {

PLAY_LIST_INFO Item(const QString &path, SourceKind kind = SourceKind::MediaFile)
{
    PLAY_LIST_INFO item;
    item.kind = kind;
    item.path = path;
    return item;
}

const QVector<PLAY_LIST_INFO> ThreeItems{Item("/v/a.mkv"), Item("/media/DVD", SourceKind::Dvd),
                                         Item("/v/c.mkv")};
const QVector<quint32> Chapters{0, 300000, 600000};

} // namespace

class PlaylistRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void recordTravelsInVariant();
    void rowTextShowsFileName_data();
    void rowTextShowsFileName();
    void batchSkipsListedAndRepeatedPaths();
    void stepsThroughTheList_data();
    void stepsThroughTheList();
    void stepsThroughChapters_data();
    void stepsThroughChapters();
};

void PlaylistRulesTest::recordTravelsInVariant()
{
    PLAY_LIST_INFO item = Item("/bd/PLAYLIST/00800.mpls", SourceKind::BluRay);
    item.durationText = QStringLiteral("01:42:07");
    const QVariant data = QVariant::fromValue(item);
    QVERIFY(data.canConvert<PLAY_LIST_INFO>());
    QCOMPARE(data.value<PLAY_LIST_INFO>(), item);
    QCOMPARE(QByteArray(data.metaType().name()), QByteArray("PLAY_LIST_INFO"));
}

void PlaylistRulesTest::rowTextShowsFileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");

    QTest::newRow("file") << "C:/Movies/film.avi"
                          << "    film.avi";
    QTest::newRow("linux file") << "/home/u/Filme/\u00e9t\u00e9 1.mkv"
                                << "    \u00e9t\u00e9 1.mkv";
    QTest::newRow("disc folder") << "/media/u/BD_DISC"
                                 << "    BD_DISC";
    QTest::newRow("drive root") << "D:\\"
                                << "    D:\\";
    QTest::newRow("root") << "/"
                          << "    /";
    QTest::newRow("four characters") << "/abc"
                                     << "    /abc";
    QTest::newRow("five characters") << "/a/bc"
                                     << "    bc";
}

void PlaylistRulesTest::rowTextShowsFileName()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QCOMPARE(PlaylistRowText(path), text);
}

void PlaylistRulesTest::batchSkipsListedAndRepeatedPaths()
{
    const QVector<PLAY_LIST_INFO> listed{Item("/v/a.mkv"), Item("/v/b.mkv")};
    const QVector<PLAY_LIST_INFO> batch{Item("/v/c.mkv"), Item("/v/a.mkv"), Item("/v/d.mkv"),
                                        Item("/v/c.mkv"), Item("/v/A.mkv")};
    const QVector<PLAY_LIST_INFO> appended = PlaylistItemsToAppend(listed, batch);
    QCOMPARE(appended,
             (QVector<PLAY_LIST_INFO>{Item("/v/c.mkv"), Item("/v/d.mkv"), Item("/v/A.mkv")}));
    QCOMPARE(PlaylistItemsToAppend(listed, {}), QVector<PLAY_LIST_INFO>{});
}

void PlaylistRulesTest::stepsThroughTheList_data()
{
    QTest::addColumn<QVector<PLAY_LIST_INFO>>("playlist");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");

    QTest::newRow("middle") << ThreeItems << "/media/DVD" << 2 << 0;
    QTest::newRow("first") << ThreeItems << "/v/a.mkv" << 1 << -1;
    QTest::newRow("last, no wrap") << ThreeItems << "/v/c.mkv" << -1 << 1;
    QTest::newRow("not listed") << ThreeItems << "/v/x.mkv" << -1 << -1;
    QTest::newRow("case differs") << ThreeItems << "/V/A.MKV" << -1 << -1;
    QTest::newRow("single entry") << QVector<PLAY_LIST_INFO>{Item("/v/a.mkv")} << "/v/a.mkv" << -1
                                  << -1;
    QTest::newRow("empty") << QVector<PLAY_LIST_INFO>{} << "" << -1 << -1;
}

void PlaylistRulesTest::stepsThroughTheList()
{
    QFETCH(QVector<PLAY_LIST_INFO>, playlist);
    QFETCH(QString, current);
    QFETCH(int, next);
    QFETCH(int, previous);
    QCOMPARE(NextPlaylistIndex(playlist, current), next);
    QCOMPARE(PreviousPlaylistIndex(playlist, current), previous);
    QCOMPARE(PlaylistRowsMatching(playlist, current).isEmpty(),
             PlaylistIndexOf(playlist, current) < 0);
}

void PlaylistRulesTest::stepsThroughChapters_data()
{
    QTest::addColumn<QVector<quint32>>("chapters");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("next"); // -1: nothing happens
    QTest::addColumn<qint64>("previous");

    QTest::newRow("third chapter") << Chapters << qint64(450) << qint64(600) << qint64(0);
    QTest::newRow("in the first chapter") << Chapters << qint64(200) << qint64(300) << qint64(-1);
    QTest::newRow("at a chapter start") << Chapters << qint64(300) << qint64(600) << qint64(-1);
    QTest::newRow("in the last chapter") << Chapters << qint64(700) << qint64(-1) << qint64(300);
    QTest::newRow("at the start") << Chapters << qint64(0) << qint64(300) << qint64(-1);
    // Starts count in whole seconds: 300999 ms starts at 300 s.
    QTest::newRow("milliseconds dropped")
        << QVector<quint32>{0, 300999, 600000} << qint64(300) << qint64(600) << qint64(-1);
    QTest::newRow("no chapters") << QVector<quint32>{} << qint64(10) << qint64(-1) << qint64(-1);
}

void PlaylistRulesTest::stepsThroughChapters()
{
    QFETCH(QVector<quint32>, chapters);
    QFETCH(qint64, position);
    QFETCH(qint64, next);
    QFETCH(qint64, previous);
    QCOMPARE(NextChapterSecond(chapters, position).value_or(-1), next);
    QCOMPARE(PreviousChapterSecond(chapters, position).value_or(-1), previous);
}

QTEST_APPLESS_MAIN(PlaylistRulesTest)
#include "tst_player_playlist_rules.moc"
