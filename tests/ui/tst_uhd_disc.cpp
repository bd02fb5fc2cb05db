// An Ultra HD title of our own (2160p HEVC Main 10, HDR10) in the window, on the real engine
// under X: the disc page says before it plays that the picture is HDR shown without tone
// mapping, and whether this computer may not keep up; Play Movie then plays it as well as
// the engine can.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "i18n/GetText.h"
#include "player/PictureNotes.h"

#include <QApplication>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

class UhdDiscTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void thePageWarnsThenItPlays();

private:
    QTemporaryDir dir;
    QString disc;
};

void UhdDiscTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("the engine draws into an X11 window: run under X (the test command starts Xvfb)");
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    BluRayFolderBuilder builder;
    builder.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    // Two seconds: 2160p HEVC takes about a minute a second to make on two busy cores.
    builder.AddClip("00001", 2, {"eng"}).uhdHevc = true;
    builder.AddPlaylist("00001.mpls", {"00001"}, {0});
    disc = dir.filePath("UHD Disc");
    QString error;
    QVERIFY2(builder.Build(disc, &error), qPrintable(error));
}

void UhdDiscTest::thePageWarnsThenItPlays()
{
    DRUI window;
    window.InitMainWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DRUITestAccess ui(window);
    window.OpenDiscFolder(disc);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 10000);

    QVERIFY(ui.DiscProtectionLine()->isVisible());
    const QStringList lines = ui.DiscProtectionLine()->text().split('\n');
    QVERIFY2(lines.contains(GetText("MainWnd/UhdHdr")), qPrintable(lines.join(" | ")));
    const bool fewCores = QThread::idealThreadCount() < PictureNotes::CoresFor2160p;
    QCOMPARE(lines.contains(GetText("MainWnd/UhdSoftware")), fewCores);
    QCOMPARE(lines.size(), fewCores ? 2 : 1);

    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 1000, 60000);
}

QTEST_MAIN(UhdDiscTest)
#include "tst_uhd_disc.moc"
