// What a viewer reaches for, driven through the window's keys and menus on the real engine
// under X: the engine is asked afterwards what it does (its speed, delays and deinterlacer),
// and window grabs show the text over the picture and the picture's shape.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "DvdFolderBuilder.h"
#include "TestMedia.h"
#include "WindowFixture.h"
#include "engine/EngineProcess.h"
#include "i18n/GetText.h"
#include "platform/AppFolders.h"

#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

namespace {

// Pixels of the grab in the top third of the surface that are near white: the engine's
// text over a blue picture.
int WhitePixelsAtTheTop(QWidget *surface)
{
    const QImage image = surface->screen()
                             ->grabWindow(surface->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    int white = 0;
    for (int y = 0; y < image.height() / 3; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel(image.pixel(x, y));
            white += pixel.red() > 200 && pixel.green() > 200 && pixel.blue() > 200;
        }
    }
    return white;
}

// Whether the grab shows the blue picture right to the surface's left and right edges: the
// engine draws the shape the window gave the surface, with no bars of its own.
bool PictureFillsTheSurface(QWidget *surface)
{
    const QImage image = surface->screen()->grabWindow(surface->winId()).toImage();
    if (image.width() < 20)
        return false;
    const int y = image.height() / 2;
    for (int x : {3, image.width() - 4}) {
        const QColor pixel(image.pixel(x, y));
        if (pixel.blue() < 150 || pixel.red() > 80)
            return false;
    }
    return true;
}

QAction *EntryNamed(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class ViewingRealEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void keysAndMenusReachTheEngine();
    void pictureTakesTheChosenShape();
    void delaysComeBackWithThePlace();
    void chaptersHaveNamesAndThePlaylistIsEdited();
    void dvdPlaysDeinterlaced();
    void blurayTitlesFollowTheirFormat();

private:
    // The engine's answer for a property, as it printed it; empty when none came.
    QString Ask(DRUITestAccess &ui, const QByteArray &property);
    QString MakeFilm(const QString &name);
    QTemporaryDir dir;
    QTemporaryDir home;
    QString film;
};

void ViewingRealEngineTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("the engine draws into an X11 window: run under X (the test command starts Xvfb)");
    if (QStandardPaths::findExecutable("mplayer").isEmpty() ||
        QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QFAIL("mplayer and ffmpeg are needed (scripts/install-deps.sh installs them)");
    QStandardPaths::setTestModeEnabled(true);
    QDir(AppFolders::AppDataFolder()).removeRecursively();
    // The engine has a sound delay only while it plays sound; a test machine has no sound
    // card, so its own settings send the sound nowhere, as a machine with one would play it.
    QVERIFY(home.isValid());
    QVERIFY(QDir(home.path()).mkpath(".mplayer"));
    QFile config(home.filePath(".mplayer/config"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("ao=null\n");
    config.close();
    qputenv("HOME", home.path().toLocal8Bit());
    film = MakeFilm("film.mkv");
    QVERIFY(!film.isEmpty());
}

// Two and a half minutes of a blue picture coded as interlaced fields (top first), with
// sound and three named chapters.
QString ViewingRealEngineTest::MakeFilm(const QString &name)
{
    MediaMaker::FileRequest film;
    film.picture = "color=c=blue";
    film.width = 352;
    film.height = 288;
    film.seconds = 150;
    film.videoCodec = "mpeg2video";
    film.interlaced = true;
    film.keyFrameInterval = 25;
    film.tones = {{}};
    film.chapters = {
        {0, 50000, "Opening"}, {50000, 100000, "The Chase"}, {100000, 150000, "Finale"}};
    const QString path = dir.filePath(name);
    QString error;
    if (!MakeTestMedia(film, path, &error)) {
        qWarning() << error;
        return {};
    }
    return path;
}

QString ViewingRealEngineTest::Ask(DRUITestAccess &ui, const QByteArray &property)
{
    QString answer;
    bool answered = false;
    const QMetaObject::Connection taken = connect(&ui.Session(), &PlaybackSession::propertyAnswered,
                                                  [&](const QString &name, const QString &value) {
                                                      if (name == QLatin1String(property)) {
                                                          answer = value;
                                                          answered = true;
                                                      }
                                                  });
    ui.Session().AskEngine(property);
    if (!QTest::qWaitFor([&answered] { return answered; }, 30000))
        qWarning("the engine gave no answer for %s", property.constData());
    disconnect(taken);
    return answer;
}

void ViewingRealEngineTest::keysAndMenusReachTheEngine()
{
    WindowFixture fixture(WindowFixture::Shown::Active);
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({film});
    QTRY_VERIFY_WITH_TIMEOUT(
        ColoursOnScreen(ui.VideoSurface()) >= 1 && ui.IsPlaying() && ui.ClockMs() > 500, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), qint64(150), 30000);

    // A short step forward says where it went over the picture, and the text goes again.
    QCOMPARE(WhitePixelsAtTheTop(ui.VideoSurface()), 0);
    const qint64 before = ui.ClockMs();
    QElapsedTimer sinceStep;
    sinceStep.start();
    QTest::keyClick(&window, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY2(ui.ClockMs() >= before + 9000 && ui.ClockMs() < before + 12000 + sinceStep.elapsed(),
             qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(ui.ClockMs())));
    QTRY_VERIFY_WITH_TIMEOUT(WhitePixelsAtTheTop(ui.VideoSurface()) > 50, 30000);
    const QString shot = QDir::temp().filePath("orvel-osd-seek.png");
    ui.VideoSurface()->screen()->grabWindow(ui.VideoSurface()->winId()).save(shot);
    qInfo("the text over the picture after a short step: %s", qPrintable(shot));
    QTRY_COMPARE_WITH_TIMEOUT(WhitePixelsAtTheTop(ui.VideoSurface()), 0, 30000);
    const qint64 ahead = ui.ClockMs();
    QTest::keyClick(&window, Qt::Key_Left, Qt::ShiftModifier);
    QVERIFY2(ui.ClockMs() <= ahead - 8000,
             qPrintable(QStringLiteral("%1 -> %2").arg(ahead).arg(ui.ClockMs())));

    // Speed: two steps up, one down, and back to normal; the menu marks what plays.
    QTest::keyClick(&window, Qt::Key_BracketRight);
    QTest::keyClick(&window, Qt::Key_BracketRight);
    QCOMPARE(Ask(ui, "speed"), QStringLiteral("1.500000"));
    QAction *oneAndAHalf = EntryNamed(ui.SpeedMenu(), "1.5x");
    QVERIFY(oneAndAHalf && oneAndAHalf->isChecked());
    QTest::keyClick(&window, Qt::Key_BracketLeft);
    QCOMPARE(Ask(ui, "speed"), QStringLiteral("1.250000"));
    QTest::keyClick(&window, Qt::Key_Backspace);
    QCOMPARE(Ask(ui, "speed"), QStringLiteral("1.000000"));
    EntryNamed(ui.SpeedMenu(), "0.5x")->trigger();
    QCOMPARE(Ask(ui, "speed"), QStringLiteral("0.500000"));
    QVERIFY(!oneAndAHalf->isChecked());
    // The tempo filter is in the chain beside the others, so the pitch holds.
    const QStringList arguments = ui.Engine()->Arguments();
    QVERIFY2(arguments.contains("scaletempo,channels=6,volume=5.1:1"),
             qPrintable(arguments.join(' ')));

    // Delays: three steps later and one earlier for the sound, two earlier for subtitles.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&window, Qt::Key_Plus);
    QTest::keyClick(&window, Qt::Key_Minus);
    QCOMPARE(Ask(ui, "audio_delay"), QStringLiteral("0.200000"));
    QTest::keyClick(&window, Qt::Key_Z);
    QTest::keyClick(&window, Qt::Key_Z);
    QCOMPARE(Ask(ui, "sub_delay"), QStringLiteral("-0.200000"));
    QTest::keyClick(&window, Qt::Key_X);
    QCOMPARE(Ask(ui, "sub_delay"), QStringLiteral("-0.100000"));
    QAction *audioDelay = nullptr;
    for (QAction *action : ui.AudioMenu()->actions()) {
        if (action->data().toString() == "AudioDelay")
            audioDelay = action;
    }
    QVERIFY(audioDelay && audioDelay->menu());
    audioDelay->menu()->actions().last()->trigger(); // Reset
    QCOMPARE(Ask(ui, "audio_delay"), QStringLiteral("0.000000"));

    // The film's fields are interlaced: the probe says so and the deinterlacer goes on by
    // itself; D turns it off and on again.
    QTRY_VERIFY_WITH_TIMEOUT(ui.Session().Deinterlaced(), 30000);
    QCOMPARE(Ask(ui, "deinterlace"), QStringLiteral("yes"));
    QVERIFY(ui.DeinterlaceEntry()->isChecked());
    QTest::keyClick(&window, Qt::Key_D);
    QCOMPARE(Ask(ui, "deinterlace"), QStringLiteral("no"));
    QVERIFY(!ui.DeinterlaceEntry()->isChecked());
    QTest::keyClick(&window, Qt::Key_D);
    QCOMPARE(Ask(ui, "deinterlace"), QStringLiteral("yes"));

    // A chapter chosen in its menu and a saved snapshot are said over the picture too.
    QLabel *surface = ui.VideoSurface();
    QTRY_COMPARE_WITH_TIMEOUT(WhitePixelsAtTheTop(surface), 0, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.ChapterSubmenu()->actions().size(), 3, 30000);
    QElapsedTimer sinceChosen;
    sinceChosen.start();
    emit ui.ControlsMenu()->triggered(ui.ChapterSubmenu()->actions().at(1));
    QVERIFY2(ui.ClockMs() >= 50000 && ui.ClockMs() < 52000 + sinceChosen.elapsed(),
             qPrintable(QString::number(ui.ClockMs())));
    QTRY_VERIFY_WITH_TIMEOUT(WhitePixelsAtTheTop(surface) > 50, 30000);
    surface->screen()
        ->grabWindow(surface->winId())
        .save(QDir::temp().filePath("orvel-osd-chapter.png"));
    QTRY_COMPARE_WITH_TIMEOUT(WhitePixelsAtTheTop(surface), 0, 30000);
    QTest::keyClick(&window, Qt::Key_S);
    QTRY_VERIFY_WITH_TIMEOUT(WhitePixelsAtTheTop(surface) > 50, 30000);
    surface->screen()
        ->grabWindow(surface->winId())
        .save(QDir::temp().filePath("orvel-osd-snapshot.png"));
    window.StopBtn();
}

void ViewingRealEngineTest::pictureTakesTheChosenShape()
{
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({film});
    QTRY_VERIFY_WITH_TIMEOUT(PictureFillsTheSurface(ui.VideoSurface()), 30000);
    QLabel *surface = ui.VideoSurface();
    const auto ratio = [surface] { return double(surface->width()) / surface->height(); };
    // The film's own shape first: 352 by 288 square pixels.
    QTRY_VERIFY2_WITH_TIMEOUT(qAbs(ratio() - 352.0 / 288) < 0.02,
                              qPrintable(QString::number(ratio())), 30000);

    struct Shape
    {
        const char *entry;
        double ratio;
    };
    for (const Shape &shape :
         {Shape{"16:9", 16.0 / 9}, Shape{"2.35:1", 2.35}, Shape{"4:3", 4.0 / 3}}) {
        EntryNamed(ui.AspectMenu(), shape.entry)->trigger();
        QVERIFY(EntryNamed(ui.AspectMenu(), shape.entry)->isChecked());
        for (const QSize size : {QSize(1000, 680), QSize(700, 600)}) {
            window.resize(size);
            QTRY_VERIFY2_WITH_TIMEOUT(qAbs(ratio() - shape.ratio) < 0.02,
                                      qPrintable(QStringLiteral("%1 at %2x%3: %4")
                                                     .arg(shape.entry)
                                                     .arg(size.width())
                                                     .arg(size.height())
                                                     .arg(ratio())),
                                      30000);
            // The engine stretches the picture to the same shape: no bars of its own.
            QTRY_VERIFY2_WITH_TIMEOUT(PictureFillsTheSurface(surface), qPrintable(shape.entry),
                                      30000);
        }
    }
    EntryNamed(ui.AspectMenu(), GetText("MainWnd/AspectAuto"))->trigger();
    QTRY_VERIFY2_WITH_TIMEOUT(qAbs(ratio() - 352.0 / 288) < 0.02,
                              qPrintable(QString::number(ratio())), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(PictureFillsTheSurface(surface), 30000);
    window.StopBtn();
}

void ViewingRealEngineTest::delaysComeBackWithThePlace()
{
    {
        WindowFixture fixture(WindowFixture::Shown::Active);
        QVERIFY(fixture.Ready());
        DRUI &window = fixture.window;
        DRUITestAccess ui(window);
        window.OpenMediaFiles({film});
        QTRY_VERIFY_WITH_TIMEOUT(ui.IsPlaying() && ui.ClockMs() > 500, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), qint64(150), 30000);
        // More than a minute in, so the place is kept.
        QTest::keyClick(&window, Qt::Key_Right);
        QTest::keyClick(&window, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&window, Qt::Key_Plus);
        QTest::keyClick(&window, Qt::Key_Plus);
        QTest::keyClick(&window, Qt::Key_Z);
        QCOMPARE(Ask(ui, "audio_delay"), QStringLiteral("0.200000"));
        window.StopBtn();
    }
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({film});
    QTRY_VERIFY_WITH_TIMEOUT(ui.IsPlaying() && ui.ClockMs() > 60000, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(Ask(ui, "audio_delay"), QStringLiteral("0.200000"), 30000);
    QCOMPARE(Ask(ui, "sub_delay"), QStringLiteral("-0.100000"));
    window.StopBtn();
}

void ViewingRealEngineTest::chaptersHaveNamesAndThePlaylistIsEdited()
{
    const QString second = dir.filePath("second.mkv");
    const QString third = dir.filePath("third.mkv");
    QVERIFY(QFile::copy(film, second) && QFile::copy(film, third));
    WindowFixture fixture(WindowFixture::Shown::Active);
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({film, second, third});
    QTRY_VERIFY_WITH_TIMEOUT(ui.IsPlaying() && ui.ChapterSubmenu()->actions().size() == 3, 30000);
    QStringList rows;
    for (const QAction *action : ui.ChapterSubmenu()->actions())
        rows << action->text();
    QCOMPARE(rows, (QStringList{"1. Opening \u2013 00:00:00", "2. The Chase \u2013 00:00:50",
                                "3. Finale \u2013 00:01:40"}));

    QTableWidget *table = ui.Playlist();
    const auto names = [table] {
        QStringList shown;
        for (int row = 0; row < table->rowCount(); ++row)
            shown << table->item(row, 0)->text().trimmed();
        return shown;
    };
    const auto markedRows = [table] {
        QList<int> marked;
        for (int row = 0; row < table->rowCount(); ++row) {
            if (!table->item(row, 0)->icon().isNull())
                marked << row;
        }
        return marked;
    };
    QCOMPARE(names(), (QStringList{"film.mkv", "second.mkv", "third.mkv"}));
    QCOMPARE(markedRows(), QList<int>{0});

    // The Delete key removes the selected rows; what plays keeps its mark.
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().first()); // the playlist shows
    QTRY_VERIFY(table->isVisible());
    table->setFocus();
    table->clearSelection();
    table->selectRow(1);
    QTest::keyClick(table, Qt::Key_Delete);
    QCOMPARE(names(), (QStringList{"film.mkv", "third.mkv"}));
    QCOMPARE(markedRows(), QList<int>{0});

    // The context menu moves the playing row down, as a person picks it there.
    const auto pick = [](int entry) {
        QTimer::singleShot(0, [entry] {
            QTRY_VERIFY(QApplication::activePopupWidget());
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            menu->setActiveAction(menu->actions().at(entry));
            QTest::keyClick(menu, Qt::Key_Return);
        });
    };
    table->setCurrentCell(0, 0);
    pick(2); // Move Down
    emit table->customContextMenuRequested(table->visualItemRect(table->item(0, 0)).center());
    QCOMPARE(names(), (QStringList{"third.mkv", "film.mkv"}));
    QCOMPARE(markedRows(), QList<int>{1});
    QVERIFY(ui.IsPlaying());

    pick(4); // Clear Playlist, after the separator
    emit table->customContextMenuRequested(table->visualItemRect(table->item(0, 0)).center());
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(ui.PlaylistSize(), 0);
    QVERIFY(ui.IsPlaying());
    window.StopBtn();
}

// A DVD's picture is stored as fields: it plays deinterlaced from its first frame, and the
// menu entry says so and turns it off.
void ViewingRealEngineTest::dvdPlaysDeinterlaced()
{
    DvdFolderBuilder dvd;
    dvd.seconds = 20;
    const QString folder = dir.filePath("dvd");
    QString error;
    QVERIFY2(dvd.Build(folder, &error), qPrintable(error));
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_VERIFY_WITH_TIMEOUT(ui.IsPlaying() && ui.ClockMs() > 500, 30000);
    QVERIFY(ui.Session().Deinterlaced());
    QVERIFY(ui.DeinterlaceEntry()->isChecked());
    QCOMPARE(Ask(ui, "deinterlace"), QStringLiteral("yes"));
    ui.DeinterlaceEntry()->trigger();
    QCOMPARE(Ask(ui, "deinterlace"), QStringLiteral("no"));
    QVERIFY(!ui.DeinterlaceEntry()->isChecked());
    window.StopBtn();
}

// A Blu-ray title the playlist calls 1080i plays deinterlaced; one it calls 1080p does not.
void ViewingRealEngineTest::blurayTitlesFollowTheirFormat()
{
    BluRayFolderBuilder disc;
    disc.AddClip("00001", 9);
    disc.AddClip("00002", 5);
    disc.AddPlaylist("00001.mpls", {"00001"}).videoFormat = 4;
    disc.AddPlaylist("00002.mpls", {"00002"}).videoFormat = 6;
    const QString folder = dir.filePath("bluray");
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 30000);
    const QVector<BluRayTitle> titles = window.Controller().State().disc.titles;
    QCOMPARE(titles.size(), 2);
    for (const BluRayTitle &title : titles) {
        const bool interlaced = title.playlistName == "00001.mpls";
        QCOMPARE(title.videoFormat, interlaced ? 4 : 6);
        QVERIFY(window.Request(Ask::Title{title.key}));
        QTRY_VERIFY_WITH_TIMEOUT(ui.IsPlaying() && ui.ClockMs() > 300 &&
                                     ui.Session().CurrentLaunch().titleKey == title.key,
                                 30000);
        QCOMPARE(ui.Session().Deinterlaced(), interlaced);
        QCOMPARE(ui.DeinterlaceEntry()->isChecked(), interlaced);
        QCOMPARE(Ask(ui, "deinterlace"), interlaced ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    window.StopBtn();
}

QTEST_MAIN(ViewingRealEngineTest)
#include "tst_viewing_real_engine.moc"
