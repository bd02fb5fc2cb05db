// The viewing controls' rules without a window or an engine: speed steps and bounds, delay
// steps, which sources play deinterlaced, the picture's shape, chapter rows, and playlist
// edits with the playing entry found again afterwards.
#include "player/PlaylistRules.h"
#include "player/ViewingRules.h"

#include <QTest>

#include <limits>

namespace {

PLAY_LIST_INFO Item(const QString &path)
{
    PLAY_LIST_INFO item;
    item.path = path;
    return item;
}

QVector<PLAY_LIST_INFO> Items(const QStringList &paths)
{
    QVector<PLAY_LIST_INFO> items;
    for (const QString &path : paths)
        items << Item(path);
    return items;
}

QStringList Paths(const QVector<PLAY_LIST_INFO> &items)
{
    QStringList paths;
    for (const PLAY_LIST_INFO &item : items)
        paths << item.path;
    return paths;
}

} // namespace

class ViewingRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void speedSteps_data();
    void speedSteps();
    void speedIsHeldToItsBounds_data();
    void speedIsHeldToItsBounds();
    void delaySteps_data();
    void delaySteps();
    void interlacedSources_data();
    void interlacedSources();
    void pictureShapes_data();
    void pictureShapes();
    void chapterRows_data();
    void chapterRows();
    void playlistEditsKeepThePlayingEntry_data();
    void playlistEditsKeepThePlayingEntry();
};

void ViewingRulesTest::speedSteps_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<int>("steps");
    QTest::addColumn<double>("to");

    QTest::newRow("up from normal") << 1.0 << 1 << 1.25;
    QTest::newRow("two up from normal") << 1.0 << 2 << 1.5;
    QTest::newRow("down from normal") << 1.0 << -1 << 0.75;
    QTest::newRow("down to the slowest") << 0.75 << -1 << 0.5;
    QTest::newRow("held at the slowest") << 0.5 << -1 << 0.5;
    QTest::newRow("held at the fastest") << 2.0 << 3 << 2.0;
    QTest::newRow("all the way up") << 0.5 << 5 << 2.0;
    QTest::newRow("between steps, up") << 1.1 << 1 << 1.25;
    QTest::newRow("between steps, down") << 1.1 << -1 << 1.0;
    QTest::newRow("the engine's six decimals") << 1.250001 << 1 << 1.5;
    QTest::newRow("no step") << 1.5 << 0 << 1.5;
    QTest::newRow("below the bounds steps from the slowest") << 0.1 << 1 << 0.75;
    QTest::newRow("not a number steps from normal")
        << std::numeric_limits<double>::quiet_NaN() << 1 << 1.25;
}

void ViewingRulesTest::speedSteps()
{
    QFETCH(double, from);
    QFETCH(int, steps);
    QFETCH(double, to);
    QCOMPARE(SteppedSpeed(from, steps), to);
}

void ViewingRulesTest::speedIsHeldToItsBounds_data()
{
    QTest::addColumn<double>("asked");
    QTest::addColumn<double>("played");

    QTest::newRow("normal") << 1.0 << 1.0;
    QTest::newRow("a speed between steps stays") << 1.1 << 1.1;
    QTest::newRow("too slow") << 0.25 << 0.5;
    QTest::newRow("zero") << 0.0 << 0.5;
    QTest::newRow("negative") << -1.0 << 0.5;
    QTest::newRow("too fast") << 4.0 << 2.0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 1.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 1.0;
}

void ViewingRulesTest::speedIsHeldToItsBounds()
{
    QFETCH(double, asked);
    QFETCH(double, played);
    QCOMPARE(BoundedSpeed(asked), played);
}

void ViewingRulesTest::delaySteps_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("by");
    QTest::addColumn<int>("to");

    QTest::newRow("later") << 0 << 100 << 100;
    QTest::newRow("earlier") << 0 << -100 << -100;
    QTest::newRow("back through zero") << 100 << -200 << -100;
    QTest::newRow("set, rounded up") << 0 << 250 << 300;
    QTest::newRow("set, rounded down") << 0 << 249 << 200;
    QTest::newRow("negative rounds the same way") << 0 << -250 << -300;
    QTest::newRow("an odd start comes back to the steps") << 33 << 100 << 100;
    QTest::newRow("held at the latest") << 10000 << 100 << 10000;
    QTest::newRow("held at the earliest") << -10000 << -100 << -10000;
    QTest::newRow("far beyond, no overflow")
        << std::numeric_limits<int>::max() << std::numeric_limits<int>::max() << 10000;
    QTest::newRow("far below, no overflow")
        << std::numeric_limits<int>::min() << std::numeric_limits<int>::min() << -10000;
}

void ViewingRulesTest::delaySteps()
{
    QFETCH(int, from);
    QFETCH(int, by);
    QFETCH(int, to);
    QCOMPARE(SteppedDelayMs(from, by), to);
}

void ViewingRulesTest::interlacedSources_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("blurayFormat");
    QTest::addColumn<QString>("fieldOrder");
    QTest::addColumn<bool>("interlaced");

    QTest::newRow("DVD") << int(SourceKind::Dvd) << 0 << QString() << true;
    QTest::newRow("Blu-ray 1080i") << int(SourceKind::BluRay) << 4 << QString() << true;
    QTest::newRow("Blu-ray 480i") << int(SourceKind::BluRay) << 1 << QString() << true;
    QTest::newRow("Blu-ray 576i") << int(SourceKind::BluRay) << 2 << QString() << true;
    QTest::newRow("Blu-ray 1080p") << int(SourceKind::BluRay) << 6 << QString() << false;
    QTest::newRow("Blu-ray 720p") << int(SourceKind::BluRay) << 5 << QString() << false;
    QTest::newRow("Blu-ray 576p") << int(SourceKind::BluRay) << 7 << QString() << false;
    QTest::newRow("Blu-ray format unknown") << int(SourceKind::BluRay) << 0 << QString() << false;
    QTest::newRow("file, top first") << int(SourceKind::MediaFile) << 0 << "top first" << true;
    QTest::newRow("file, bottom first")
        << int(SourceKind::MediaFile) << 0 << "bottom first" << true;
    QTest::newRow("file, swapped fields")
        << int(SourceKind::MediaFile) << 0 << "top coded first (swapped)" << true;
    QTest::newRow("file, progressive") << int(SourceKind::MediaFile) << 0 << "progressive" << false;
    QTest::newRow("file, not yet probed") << int(SourceKind::MediaFile) << 0 << QString() << false;
    // A Blu-ray's format says nothing about a file.
    QTest::newRow("file with a disc format")
        << int(SourceKind::MediaFile) << 4 << QString() << false;
}

void ViewingRulesTest::interlacedSources()
{
    QFETCH(int, kind);
    QFETCH(int, blurayFormat);
    QFETCH(QString, fieldOrder);
    QFETCH(bool, interlaced);
    InterlaceClues clues;
    clues.kind = SourceKind(kind);
    clues.blurayVideoFormat = blurayFormat;
    clues.fieldOrder = fieldOrder;
    QCOMPARE(IsInterlacedSource(clues), interlaced);
}

void ViewingRulesTest::pictureShapes_data()
{
    QTest::addColumn<QSize>("engine");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QSize>("shown");

    QTest::newRow("auto keeps the engine's")
        << QSize(720, 576) << int(AspectChoice::Auto) << QSize(720, 576);
    QTest::newRow("16:9 from a PAL frame")
        << QSize(720, 576) << int(AspectChoice::SixteenNine) << QSize(1024, 576);
    QTest::newRow("4:3 from a wide one")
        << QSize(1920, 1080) << int(AspectChoice::FourThree) << QSize(1440, 1080);
    QTest::newRow("2.35:1") << QSize(1920, 1080) << int(AspectChoice::Scope) << QSize(2538, 1080);
    QTest::newRow("4:3 stays 4:3")
        << QSize(320, 240) << int(AspectChoice::FourThree) << QSize(320, 240);
    QTest::newRow("no picture yet") << QSize() << int(AspectChoice::SixteenNine) << QSize();
    QTest::newRow("no height") << QSize(720, 0) << int(AspectChoice::SixteenNine) << QSize(720, 0);
}

void ViewingRulesTest::pictureShapes()
{
    QFETCH(QSize, engine);
    QFETCH(int, choice);
    QFETCH(QSize, shown);
    QCOMPARE(ShapedPictureSize(engine, AspectChoice(choice)), shown);
}

void ViewingRulesTest::chapterRows_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<QString>("row");

    QTest::newRow("named") << 3 << "The Chase" << qint64(760) << "3. The Chase \u2013 00:12:40";
    QTest::newRow("unnamed") << 1 << QString() << qint64(0) << "1. 00:00:00";
    QTest::newRow("blank name counts as none") << 2 << "   " << qint64(5) << "2. 00:00:05";
    QTest::newRow("line ends in a name")
        << 4 << "Part\nTwo\t" << qint64(3600) << "4. Part Two \u2013 01:00:00";
    QTest::newRow("negative start shows zero")
        << 1 << "Intro" << qint64(-3) << "1. Intro \u2013 00:00:00";
}

void ViewingRulesTest::chapterRows()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(qint64, start);
    QFETCH(QString, row);
    QCOMPARE(ChapterRowText(number, name, start), row);
}

void ViewingRulesTest::playlistEditsKeepThePlayingEntry_data()
{
    QTest::addColumn<QString>("edit"); // "remove ROWS" or "move ROW BY"
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("playingRow"); // where b.mkv (the one that plays) is marked after

    const QStringList all{"a.mkv", "b.mkv", "c.mkv", "d.mkv"};
    QTest::newRow("remove one before it")
        << "remove 0" << QStringList{"b.mkv", "c.mkv", "d.mkv"} << 0;
    QTest::newRow("remove several after it") << "remove 2,3" << QStringList{"a.mkv", "b.mkv"} << 1;
    QTest::newRow("remove the playing one")
        << "remove 1" << QStringList{"a.mkv", "c.mkv", "d.mkv"} << -1;
    QTest::newRow("remove out of range and repeats")
        << "remove 9,-1,0,0" << QStringList{"b.mkv", "c.mkv", "d.mkv"} << 0;
    QTest::newRow("remove all") << "remove 0,1,2,3" << QStringList{} << -1;
    QTest::newRow("move it up") << "move 1 -1" << QStringList{"b.mkv", "a.mkv", "c.mkv", "d.mkv"}
                                << 0;
    QTest::newRow("move it down") << "move 1 1" << QStringList{"a.mkv", "c.mkv", "b.mkv", "d.mkv"}
                                  << 2;
    QTest::newRow("move another over it")
        << "move 3 -3" << QStringList{"d.mkv", "a.mkv", "b.mkv", "c.mkv"} << 2;
    QTest::newRow("move past the end is held")
        << "move 2 5" << QStringList{"a.mkv", "b.mkv", "d.mkv", "c.mkv"} << 1;
    QTest::newRow("move the first up does nothing") << "move 0 -1" << all << 1;
    QTest::newRow("move a row that is not there") << "move 7 -1" << all << 1;
}

void ViewingRulesTest::playlistEditsKeepThePlayingEntry()
{
    QFETCH(QString, edit);
    QFETCH(QStringList, after);
    QFETCH(int, playingRow);
    QVector<PLAY_LIST_INFO> playlist = Items({"a.mkv", "b.mkv", "c.mkv", "d.mkv"});
    const QStringList words = edit.split(' ');
    if (words[0] == "remove") {
        QList<int> rows;
        for (const QString &row : words[1].split(','))
            rows << row.toInt();
        playlist = PlaylistWithoutRows(playlist, rows);
    } else {
        const int row = words[1].toInt();
        const int target = PlaylistMoveTarget(playlist, row, words[2].toInt());
        if (target >= 0)
            playlist.move(row, target);
    }
    QCOMPARE(Paths(playlist), after);
    QCOMPARE(PlaylistIndexOf(playlist, "b.mkv"), playingRow);
    QCOMPARE(PlaylistRowsMatching(playlist, "b.mkv"),
             playingRow < 0 ? QList<int>{} : QList<int>{playingRow});
}

QTEST_APPLESS_MAIN(ViewingRulesTest)
#include "tst_player_viewing_rules.moc"
