// Discs of our own in the window, on the real engine under X. An Ultra HD title (2160p HEVC
// Main 10, HDR10): the disc page says before it plays that the picture is HDR shown without
// tone mapping, and whether this computer may not keep up; Play Movie then plays it as well
// as the engine can. A title with a sound stream the engine has no decoder for: the audio
// menu says so on that stream once the engine has tried it.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "WindowFixture.h"
#include "disc/StreamMenuName.h"
#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "i18n/StreamLabel.h"
#include "player/PictureNotes.h"

#include <QApplication>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

class DiscFormatsWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void thePageWarnsThenItPlays();
    void theAudioMenuNamesAStreamTheEngineCannotSound();

private:
    QTemporaryDir dir;
    QString disc;
    QString soundDisc;
};

void DiscFormatsWindowTest::initTestCase()
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

    BluRayFolderBuilder sound;
    sound.streamCache = builder.streamCache;
    BluRayFolderBuilder::Clip &clip = sound.AddClip("00001", 6, {"eng", "fra"});
    clip.audioFormats = {{DiscAudioFormat::Coding::Ac3, 2},
                         {DiscAudioFormat::Coding::NoEngineDecoder, 2}};
    sound.AddPlaylist("00001.mpls", {"00001"}, {0});
    soundDisc = dir.filePath("Sound Disc");
    QVERIFY2(sound.Build(soundDisc, &error), qPrintable(error));
}

void DiscFormatsWindowTest::thePageWarnsThenItPlays()
{
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
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

void DiscFormatsWindowTest::theAudioMenuNamesAStreamTheEngineCannotSound()
{
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(soundDisc);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 10000);
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_COMPARE_WITH_TIMEOUT(ui.AudioTracks()->actions().size(), 3, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.Session().AudioHealth().Of(1), AudioPlayability::Verdict::Plays,
                              30000);

    // Named as the engine's streams are, in the interface language, from the playlist.
    const QString locale = CLanguageManager::Instance().Locale();
    const QString english =
        StreamLabel::Text(StreamLabel::Kind::Audio, 1, "eng", AudioCodecName(0x81), locale);
    const QString french =
        StreamLabel::Text(StreamLabel::Kind::Audio, 2, "fra", AudioCodecName(0x80), locale);
    QCOMPARE(ui.AudioTracks()->actions().at(1)->text(), english);
    // Not tried yet: named as any other stream.
    QCOMPARE(ui.AudioTracks()->actions().at(2)->text(), french);
    emit ui.AudioMenu()->triggered(ui.AudioTracks()->actions().at(2));
    const QString unplayable = GetText("MainWnd/AudioCannotPlay").arg(french);
    QTRY_COMPARE_WITH_TIMEOUT(ui.AudioTracks()->actions().at(2)->text(), unplayable, 30000);
    QCOMPARE(ui.AudioTracks()->actions().at(1)->text(), english);
    // The picture plays on while the stream is silent, and the first stream is there to go
    // back to.
    const qint64 clock = ui.ClockMs();
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= clock + 1000, 30000);
    emit ui.AudioMenu()->triggered(ui.AudioTracks()->actions().at(1));
    QTRY_VERIFY_WITH_TIMEOUT(ui.AudioTracks()->actions().at(1)->isChecked(), 10000);
    QCOMPARE(ui.AudioTracks()->actions().at(2)->text(), unplayable);
}

QTEST_MAIN(DiscFormatsWindowTest)
#include "tst_disc_formats_window.moc"
