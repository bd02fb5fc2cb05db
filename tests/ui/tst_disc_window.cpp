// Discs through the window as a user opens them, on the real engine under X: a Blu-ray
// folder built with copies and a loop among its titles, a DVD folder, and folders that are
// neither.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "DiscImageMaker.h"
#include "DvdFolderBuilder.h"
#include "PositionAnswers.h"
#include "TestMedia.h"
#include "WindowFixture.h"
#include "disc/BluRayScan.h"
#include "disc/StreamMenuName.h"
#include "engine/EngineProcess.h"
#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "platform/PathBytes.h"
#include "ui/CMessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QtTest>

class DiscWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void bluRayTitlesPlayWhatTheyName();
    void dvdFolderPlays();
    void movieOfTwoClipsPlaysThroughAndLeavesNoStart();
    void foldersThatAreNoDiscGetTheMessage_data();
    void foldersThatAreNoDiscGetTheMessage();
    void aBluRayWithNothingToPlayGetsTheMessage();
    void dvdImageOffersItsTitlesAndChapters();
    void discsWhoseNamesAreNotUtf8Play();

private:
    QTemporaryDir dir;
};

namespace {

QStringList Texts(const QMenu *menu, bool marks = true)
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        texts << action->text() + (marks && action->isChecked() ? "*" : "") +
                     (action->isEnabled() ? "" : " (off)");
    }
    return texts;
}

// Chooses a folder in the folder dialog the way a user does, once the dialog is up: types
// its path into the dialog's name field and accepts.
void ChooseFolderInDialog(const QString &folder)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, folder] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        poll->deleteLater();
        auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
        QVERIFY(name);
        name->setText(folder);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    poll->start(100);
}

// The whole seconds of the engine's own length answers while the session runs.
struct LengthWatch
{
    QList<qint64> answers;
    QMetaObject::Connection connection;
    void Watch(EngineProcess *engine)
    {
        QObject::disconnect(connection);
        answers.clear();
        connection = QObject::connect(engine, &EngineProcess::eventReceived,
                                      [this](const EngineEvent &event) {
                                          if (event.kind == EngineEvent::Kind::LengthAnswer) {
                                              answers << event.wholeSeconds;
                                          }
                                      });
    }
};

QString LaunchArguments(const DRUITestAccess &ui)
{
    return ui.Engine() ? ui.Engine()->Arguments().join(' ') : QString();
}

} // namespace

void DiscWindowTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("the engine draws into an X11 window: run under X (the test command starts Xvfb)");
    }
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + "/Player"));
}

void DiscWindowTest::bluRayTitlesPlayWhatTheyName()
{
    // Titles of different lengths, so the engine's length tells which one plays. Among them
    // a byte copy, a structural copy and a loop: the engine does not count those, so every
    // title after them would play the wrong playlist if we counted as the listing does.
    BluRayFolderBuilder disc;
    disc.AddClip("00001", 14, {"eng", "fra"}, {"eng"});
    disc.AddClip("00002", 4);
    disc.AddClip("00003", 7);
    disc.AddPlaylist("00004.mpls", {"00001"}, {0, 5000, 10000});
    disc.AddPlaylist("00005.mpls", {"00002"});
    disc.AddPlaylist("00006.mpls", {"00003"});
    disc.AddByteCopy("00001.mpls", "00004.mpls");
    disc.AddLoop("00002.mpls", "00002", 3);
    disc.AddStructuralCopy("00003.mpls", "00005.mpls");
    disc.SetDiscName(QByteArray("Disc \xc3\xa9t\xc3\xa9"));
    // Qt's folder dialog reads double quotes in a typed name as a list of names, so this
    // name sticks to other awkward characters.
    const QString folder = dir.filePath(QString::fromUtf8("My Disc, één"));
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    const BluRayScan scan = ScanBluRayFolder(folder);

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);

    // Open Folder on the start page.
    ChooseFolderInDialog(folder);
    QTest::mouseClick(window.findChild<QPushButton *>("openFolderButton"), Qt::LeftButton);
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);
    QTRY_VERIFY(ui.DiscPageMenu()->isVisible());
    QCOMPARE(ui.DiscName()->text(), QString::fromUtf8("Disc été"));
    QVERIFY(!ui.DiscArt()->pixmap().isNull());

    // The longest title fills the menus: its chapters, its streams with the first audio
    // stream and no subtitle chosen.
    const BluRayTitle &longest = scan.titles.first();
    QCOMPARE(ui.CurrentTitleKey(), longest.key);
    QCOMPARE(longest.lengthSeconds, 14);
    QCOMPARE(Texts(ui.ChapterSubmenu()),
             QStringList({"1. 00:00:00", "2. 00:00:05", "3. 00:00:10"}));
    QStringList audio{"Disable"}, subtitles{"Disable*"};
    for (const MplsStream &stream : longest.audioStreams) {
        audio << StreamMenuName(stream) + (audio.size() == 1 ? "*" : "");
    }
    for (const MplsStream &stream : longest.subtitles) {
        subtitles << StreamMenuName(stream);
    }
    QCOMPARE(audio.size(), 3);
    QCOMPARE(Texts(ui.AudioTracks()), audio);
    QCOMPARE(Texts(ui.SubtitleTracks()), subtitles);
    QCOMPARE(ui.AudioEntry()->menu()->activeAction()->text(),
             StreamMenuName(longest.audioStreams[0]));
    QCOMPARE(ui.SubtitleEntry()->menu()->activeAction()->text(), QStringLiteral("Disable"));

    // Every title is listed, longest first; those the engine cannot reach are disabled.
    QStringList expectedTitles;
    for (int i = 0; i < scan.titles.size(); ++i) {
        expectedTitles << QStringLiteral("%1. %2").arg(i + 1).arg(scan.titles[i].durationText) +
                              (scan.titles[i].HasEngineTitle() ? "" : " (off)");
    }
    QCOMPARE(Texts(ui.TitleSubmenu()), expectedTitles);
    // The byte copy and the loop are no titles of ours; the structural copy is, but the
    // engine does not count it (or its original, whichever it lists first).
    QCOMPARE(expectedTitles.size(), 4);
    QCOMPARE(expectedTitles.filter(" (off)").size(), 1);

    // Each title entry of Other Titles plays the playlist it names: the engine's own length
    // answer is that playlist's length.
    // Choosing a title refills the page for it, so its entries are looked up afresh.
    LengthWatch lengths;
    int played = 0;
    for (int i = 0; i < scan.titles.size(); ++i) {
        QTRY_COMPARE(ui.OtherTitlesEntry()->menu()->actions().size(), scan.titles.size());
        QAction *entry = ui.OtherTitlesEntry()->menu()->actions().at(i);
        if (!entry->isEnabled()) {
            continue;
        }
        emit ui.DiscPageMenu()->triggered(entry);
        QTRY_VERIFY(ui.Engine());
        QVERIFY2(LaunchArguments(ui).contains(
                     QStringLiteral("br://%1 -bluray-device").arg(scan.titles[i].engineTitle)),
                 qPrintable(LaunchArguments(ui)));
        lengths.Watch(ui.Engine());
        QTRY_VERIFY_WITH_TIMEOUT(!lengths.answers.isEmpty() && lengths.answers.last() > 0, 30000);
        QVERIFY2(qAbs(lengths.answers.last() - scan.titles[i].lengthSeconds) <= 1,
                 qPrintable(QStringLiteral("title %1 (%2) played %3 s")
                                .arg(i + 1)
                                .arg(scan.titles[i].playlistName)
                                .arg(lengths.answers.last())));
        ++played;
    }
    QCOMPARE(played, 3);
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QCOMPARE(ui.PlaylistSize(), 1); // the disc, once

    // Play Movie after another title plays the movie and the page names it again. Its
    // playlist says 1080p, so the surface has the picture's shape from the launch on, in a
    // page of another shape too: resized under the engine's first frame, that frame was lost.
    window.Navigation();
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);
    window.resize(window.width(), 1000);
    QTRY_COMPARE(window.height(), 1000);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    const QRect surfaceAtLaunch = ui.VideoSurface()->geometry();
    QVERIFY2(qAbs(surfaceAtLaunch.width() * 9 - surfaceAtLaunch.height() * 16) <= 16,
             qPrintable(QStringLiteral("%1x%2").arg(surfaceAtLaunch.width())
                            .arg(surfaceAtLaunch.height())));
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QCOMPARE(ui.VideoSurface()->geometry(), surfaceAtLaunch);
    QVERIFY(LaunchArguments(ui).contains(
        QStringLiteral("br://%1 -bluray-device").arg(scan.titles[0].engineTitle)));
    QTRY_COMPARE(ui.CurrentTitleKey(), longest.key);
    QTRY_COMPARE(Texts(ui.ChapterSubmenu()).size(), 3);

    // A chapter from the disc page starts the disc again at that chapter.
    window.Navigation();
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);
    emit ui.DiscPageMenu()->triggered(ui.ChapterEntry()->menu()->actions().at(2));
    QTRY_VERIFY(ui.Engine());
    // The title plays by the number the page names, from the chapter, on the title's time.
    QVERIFY(LaunchArguments(ui).contains(
        QStringLiteral("br://%1 -bluray-device").arg(scan.titles[0].engineTitle)));
    QCOMPARE(ui.Session().CurrentLaunch().startSec, 10);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 11000, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    window.StopBtn();
}

void DiscWindowTest::dvdFolderPlays()
{
    DvdFolderBuilder dvd;
    dvd.seconds = 6;
    const QString folder = dir.filePath(QString::fromUtf8("dvd 'ü'"));
    QString error;
    QVERIFY2(dvd.Build(folder, &error), qPrintable(error));

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    // File ▸ Open Disc.
    ChooseFolderInDialog(folder);
    for (QAction *entry : ui.FileMenu()->actions()) {
        if (entry->data().toString() == "Open Disc") {
            emit ui.FileMenu()->triggered(entry);
        }
    }
    QTRY_VERIFY(ui.Engine());
    QCOMPARE(ui.CurrentPage(), Page::Video);
    QVERIFY2(LaunchArguments(ui).endsWith("dvd://1 -dvd-device " + folder),
             qPrintable(LaunchArguments(ui)));
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    // The engine tells the length, which the window takes for a DVD.
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), 6, 30000);
    // A second opening starts a new session but lists the folder once.
    window.OpenDiscFolder(folder);
    QTRY_VERIFY(ui.Engine());
    QCOMPARE(ui.PlaylistSize(), 1);
    window.StopBtn();
}

// Darkest grey level of the text in a menu entry, as the menu paints it.
static int DarkestIn(QMenu *menu, QAction *entry)
{
    const QImage image = menu->grab().toImage();
    const QRect area = menu->actionGeometry(entry).intersected(image.rect());
    int darkest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            darkest = qMin(darkest, qGray(image.pixel(x, y)));
        }
    }
    return darkest;
}

// The usual main movie: one title of two clips, beside a longer title the engine cannot play
// by number. Play Movie plays the movie, whose time runs on over the clip change and which
// ends when the engine does; a chapter's start then stays with the launch that asked for it.
void DiscWindowTest::movieOfTwoClipsPlaysThroughAndLeavesNoStart()
{
    BluRayFolderBuilder disc;
    disc.AddClip("00001", 12);
    disc.AddClip("00002", 6);
    disc.AddClip("00005", 4);
    disc.AddPlaylist("00003.mpls", {"00001", "00002"}, {0, 6000});
    // A playlist name without five digits: listed, never played by number.
    disc.AddPlaylist("9.mpls", {"00001", "00002", "00005"});
    const QString folder = dir.filePath("two clips");
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    const BluRayScan scan = ScanBluRayFolder(folder);
    QCOMPARE(scan.titles.size(), 2);
    QCOMPARE(scan.titles[0].playlistName, QStringLiteral("9.mpls"));
    QVERIFY(!scan.titles[0].HasEngineTitle());
    const BluRayTitle movie = scan.titles[1];
    QCOMPARE(movie.lengthSeconds, 18);
    QVERIFY(movie.HasEngineTitle());
    const QString film = dir.filePath("after the chapter.mkv");
    MediaMaker::FileRequest bars;
    bars.seconds = 20;
    QVERIFY2(MakeTestMedia(bars, film, &error), qPrintable(error));

    // The engine by itself on the movie, for how long the title plays.
    QProcess bare;
    QElapsedTimer bareClock;
    bareClock.start();
    bare.start("mplayer",
               {"-slave", "-quiet", "-demuxer", "lavf", "-vo", "null", "-ao", "null",
                QStringLiteral("br://%1").arg(movie.engineTitle), "-bluray-device", folder});
    bare.closeWriteChannel();
    QVERIFY(bare.waitForFinished(90000));
    const qint64 bareMs = bareClock.elapsed();

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);
    QCOMPARE(ui.CurrentTitleKey(), movie.key);

    // Play Movie plays the longest title the engine can reach, by its number.
    QList<qint64> shown;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] {
        if (ui.Session().IsActive()) {
            shown << ui.ClockMs();
        }
    });
    QElapsedTimer sessionClock;
    sessionClock.start();
    sampler.start(500);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    PositionAnswers titleTime(ui.Engine());
    QVERIFY2(LaunchArguments(ui).contains(
                 QStringLiteral("br://%1 -bluray-device").arg(movie.engineTitle)),
             qPrintable(LaunchArguments(ui)));

    // On the video page the unreachable title stays disabled in Controls > Title, and looks it.
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QCOMPARE(
        Texts(ui.TitleSubmenu(), false),
        QStringList({"1. " + scan.titles[0].durationText + " (off)", "2. " + movie.durationText}));
    ui.TitleSubmenu()->popup(window.mapToGlobal(QPoint(50, 50)));
    QVERIFY(QTest::qWaitForWindowExposed(ui.TitleSubmenu()));
    const int offText = DarkestIn(ui.TitleSubmenu(), ui.TitleSubmenu()->actions().at(0));
    const int onText = DarkestIn(ui.TitleSubmenu(), ui.TitleSubmenu()->actions().at(1));
    ui.TitleSubmenu()->close();
    QVERIFY2(
        offText > onText + 60,
        qPrintable(QStringLiteral("disabled text %1, enabled text %2").arg(offText).arg(onText)));

    QTRY_VERIFY_WITH_TIMEOUT(!ui.Session().IsActive(), 90000);
    const qint64 sessionMs = sessionClock.elapsed();
    const qint64 endedAtMs = titleTime.NowMs();
    sampler.stop();
    QStringList seconds;
    for (qint64 ms : shown) {
        seconds << QString::number(ms / 1000.0, 'f', 1);
    }
    qInfo("the movie: engine alone %lld ms, in the window %lld ms; shown %s", bareMs, sessionMs,
          qPrintable(seconds.join(' ')));
    QCOMPARE(ui.Session().LastFailure(), PlaybackSession::Failure::None);
    QVERIFY(ui.CurrentPage() != Page::Video);
    QVERIFY(!shown.isEmpty());
    qint64 highest = 0;
    for (qint64 ms : shown) {
        QVERIFY2(ms >= highest - 1000,
                 qPrintable(QStringLiteral("%1 ms after %2 ms").arg(ms).arg(highest)));
        highest = qMax(highest, ms);
    }
    QVERIFY2(highest >= (movie.lengthSeconds - 2) * 1000, qPrintable(QString::number(highest)));
    // The window's session ends with the engine's title, not long after it: no later after
    // the engine's last answer than the title had left then, give or take how far apart the
    // engine's answers came in this run.
    QVERIFY(!titleTime.answers.isEmpty());
    const qint64 lateMs = titleTime.LateEndMs(movie.lengthSeconds, endedAtMs);
    QVERIFY2(lateMs <= titleTime.WidestGapMs() + 1000,
             qPrintable(QStringLiteral("ended %1 ms late; answers up to %2 ms apart")
                            .arg(lateMs)
                            .arg(titleTime.WidestGapMs())));

    // Chapter 2 from the disc page, Stop, then a file: the file plays from its start.
    window.Navigation();
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);
    emit ui.DiscPageMenu()->triggered(ui.ChapterEntry()->menu()->actions().at(1));
    QTRY_VERIFY(ui.Engine());
    QCOMPARE(ui.Session().CurrentLaunch().startSec, 6);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 7000, 30000);
    window.StopBtn();
    QElapsedTimer sinceOpened;
    sinceOpened.start();
    window.OpenMediaFiles({film});
    QTRY_VERIFY(ui.Engine());
    QList<double> answers;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid) {
            answers << event.value;
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(answers.size() >= 3, 30000);
    QVERIFY2(answers.first() < 2.5, qPrintable(QString::number(answers.first())));
    // From the start: no further on than the file can have played since it was opened.
    QVERIFY2(ui.ClockMs() < sinceOpened.elapsed() + 1000,
             qPrintable(
                 QStringLiteral("%1 ms after %2 ms").arg(ui.ClockMs()).arg(sinceOpened.elapsed())));
    window.StopBtn();
}

void DiscWindowTest::foldersThatAreNoDiscGetTheMessage_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("plain folder") << QStringList{"Photos"};
    QTest::newRow("lower-case stream") << QStringList{"BDMV/stream", "BDMV/PLAYLIST"};
    QTest::newRow("marker is a file") << QStringList{"BDMV/PLAYLIST"};
}

void DiscWindowTest::foldersThatAreNoDiscGetTheMessage()
{
    QFETCH(QStringList, folders);
    QTemporaryDir root(dir.filePath("notadisc-XXXXXX"));
    for (const QString &folder : folders) {
        QVERIFY(QDir(root.path()).mkpath(folder));
    }
    QFile marker(root.filePath("BDMV/STREAM"));
    if (QDir(root.filePath("BDMV")).exists()) {
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
    }
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        shown = box->findChild<QLabel *>("messageLabel")->text();
        box->btnSlotOK();
    });
    window.OpenDiscFolder(root.path());
    QCOMPARE(shown, GetText("Messages/MSG0102"));
    QVERIFY(!shown.isEmpty());
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QCOMPARE(ui.PlaylistSize(), 0);
}

// A Blu-ray folder whose only playlist is no playlist and whose loop the engine cannot reach:
// nothing to play, and the window says so instead of showing an empty page.
void DiscWindowTest::aBluRayWithNothingToPlayGetsTheMessage()
{
    BluRayFolderBuilder disc;
    disc.AddSyntheticClip("00001", 8);
    disc.AddRaw("00001.mpls", "MPLS0200 but nothing else");
    disc.AddLoop("00002.mpls", "00001");
    const QString folder = dir.filePath("nothing-to-play");
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QString shown;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel *>("messageLabel")->text();
            box->btnSlotOK();
        }
    });
    poll.start(50);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE_WITH_TIMEOUT(shown, GetText("Messages/MSG0102"), 30000);
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QVERIFY(!ui.HasEngine());
}

// A DVD of two titles, kept as an image and given on the command line's road: it plays at
// once, Controls > Title lists both titles, choosing one plays it by its number, and its
// chapters are places in it.
void DiscWindowTest::dvdImageOffersItsTitlesAndChapters()
{
    DvdFolderBuilder dvd;
    dvd.titles = {{6, {2.0, 4.0}}, {5, {2.5}}};
    const QString folder = dir.filePath("episodes");
    const QString image = dir.filePath(QString::fromUtf8("épisodes disc.iso"));
    QString error;
    QVERIFY2(dvd.Build(folder, &error), qPrintable(error));
    QVERIFY2(MakeUdfImage(folder, image, &error), qPrintable(error));

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenPaths({image});
    QTRY_VERIFY(ui.Engine());
    QVERIFY2(LaunchArguments(ui).endsWith("dvd://1 -dvd-device " + image),
             qPrintable(LaunchArguments(ui)));
    QTRY_COMPARE_WITH_TIMEOUT(Texts(ui.TitleSubmenu()),
                              QStringList({"1. 00:00:06*", "2. 00:00:05"}), 30000);
    // The chapters start where the disc's cells do, near the asked-for seconds.
    QCOMPARE(ui.ChapterSubmenu()->actions().size(), 3);
    QCOMPARE(Texts(ui.ChapterSubmenu()).first(), QStringLiteral("1. 00:00:00"));
    QCOMPARE(ui.RecentEntries().value(0), image);

    emit ui.ControlsMenu()->triggered(ui.TitleSubmenu()->actions().at(1));
    QTRY_VERIFY(LaunchArguments(ui).endsWith("dvd://2 -dvd-device " + image));
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), 5, 30000);
    QTRY_COMPARE(ui.ChapterSubmenu()->actions().size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);

    // The second chapter: the engine goes there, and the clock with it.
    QList<double> positions;
    connect(ui.Engine(), &EngineProcess::eventReceived, this, [&](const EngineEvent &event) {
        if (event.kind == EngineEvent::Kind::PositionAnswer && event.valueValid) {
            positions << event.value;
        }
    });
    emit ui.ControlsMenu()->triggered(ui.ChapterSubmenu()->actions().at(1));
    QVERIFY(ui.ClockMs() >= 1000);
    QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 2 && positions.last() >= 1.0, 30000);
    window.StopBtn();
}

// A Blu-ray folder and a DVD image whose names hold a Latin-1 letter, as discs copied from
// older systems are named: each plays with picture, and the engine is handed the name's own
// bytes.
void DiscWindowTest::discsWhoseNamesAreNotUtf8Play()
{
    BluRayFolderBuilder bluray;
    bluray.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    bluray.AddClip("00001", 8);
    bluray.AddPlaylist("00001.mpls", {"00001"}, {0, 4000});
    DvdFolderBuilder dvd;
    dvd.seconds = 6;
    QString error;
    QVERIFY2(bluray.Build(dir.filePath("latin bd"), &error), qPrintable(error));
    QVERIFY2(dvd.Build(dir.filePath("latin dvd"), &error), qPrintable(error));
    QVERIFY2(MakeUdfImage(dir.filePath("latin dvd"), dir.filePath("latin dvd.iso"), &error),
             qPrintable(error));
    const QByteArray base = QFile::encodeName(dir.path()) + "/Caf\xe9";
    QCOMPARE(::rename(QFile::encodeName(dir.filePath("latin bd")).constData(),
                      (base + " BD").constData()),
             0);
    QCOMPARE(::rename(QFile::encodeName(dir.filePath("latin dvd.iso")).constData(),
                      (base + " DVD.iso").constData()),
             0);
    // Qt could not remove these names with the temporary folder.
    const auto cleanUp = qScopeGuard([&] {
        QProcess::execute("/bin/sh", {"-c", "rm -rf \"$0\"/Caf?\\ *", dir.path()});
    });

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    const auto engineGotTheName = [&](const QByteArray &name) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(ui.Engine()->ProcessId()));
        return commandLine.open(QIODevice::ReadOnly) &&
               commandLine.readAll().split('\0').contains(name);
    };

    window.OpenDiscFolder(PathBytes::FromBytes(base + " BD"));
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 30000);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QVERIFY(engineGotTheName(base + " BD"));
    window.StopBtn();
    QTRY_VERIFY(ui.IsStopped());

    window.OpenPaths({PathBytes::FromBytes(base + " DVD.iso")});
    QTRY_VERIFY(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QVERIFY(engineGotTheName(base + " DVD.iso"));
    window.StopBtn();
}

QTEST_MAIN(DiscWindowTest)
#include "tst_disc_window.moc"
