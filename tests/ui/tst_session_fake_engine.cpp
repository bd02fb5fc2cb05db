// The playback session driven through the window against the scripted stand-in engine,
// which logs every argument and command and prints what each test scripts.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "FakeEngine.h"
#include "WindowFixture.h"
#include "engine/EngineProcess.h"
#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "i18n/StreamLabel.h"
#include "platform/AppFolders.h"
#include "player/ResumeStore.h"
#include "ui/CMessageBox.h"
#include "ui/CProcessUI.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>

class SessionFakeEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void openingAFileStartsTheEngineOnIt();
    void openDialogGoesAfterTheEngineStarts();
    void streamLinesFillTheTrackMenus();
    void endOfFileReturnsToTheStartPage();
    void engineEndingsKeepOrForgetThePlace_data();
    void engineEndingsKeepOrForgetThePlace();
    void elevenSourcesKeepTenRecentFiles();
    void nextAndPreviousWalkThePlaylist();
    void droppedFileWithOddNamePlays();
    void snapshotLandsInTheSnapshotFolder();
    void keysActWhateverHasTheFocus_data();
    void keysActWhateverHasTheFocus();
    void pausedSessionStaysPausedThroughMuteAndTrackSwitch();
    void spaceAfterStopPlaysAgain();
    void preferencesChooseTheSnapshotFolderAndFormat();
    void discPageChoicesReachTheEngine();
    void discPageShowsItsOwnMovieLength();

private:
    FakeEngine fake;
};

void SessionFakeEngineTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(FakeEngine::IsBesideTheTest());
}

void SessionFakeEngineTest::init()
{
    fake.Begin();
    QFile::remove(AppFolders::AppDataFolder() + "RecentConfig.txt");
    QFile::remove(AppFolders::AppDataFolder() + "OutputPath.txt");
}

void SessionFakeEngineTest::openingAFileStartsTheEngineOnIt()
{
    const QString file = fake.MakeFile(QString::fromUtf8("my \"clip\" 'één'.mkv"));
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({file});

    QTRY_VERIFY(!fake.Commands().isEmpty());
    const QString argv = fake.Log().first();
    QVERIFY2(argv.startsWith("argv "), qPrintable(argv));
    const QJsonArray arguments = QJsonDocument::fromJson(argv.mid(5).toUtf8()).array();
    QCOMPARE(arguments.last().toString(), file);
    QVERIFY(arguments.contains("-slave"));
    QVERIFY(arguments.contains("-wid"));
    QCOMPARE(fake.Commands().first(), QStringLiteral("volume 50 2"));
    QCOMPARE(ui.CurrentPage(), Page::Video);
    QVERIFY(ui.Seek()->isEnabled());
    QCOMPARE(ui.PlayPause()->data().toString(), QStringLiteral("Pause"));
    QCOMPARE(ui.Playlist()->rowCount(), 1);
    QCOMPARE(ui.Playlist()->item(0, 0)->text(),
             QStringLiteral("    ") + QFileInfo(file).fileName());
    QVERIFY(!ui.Playlist()->item(0, 0)->icon().isNull());
    QCOMPARE(ui.RecentEntries(), QStringList{file});
    QVERIFY(ui.TimerActive());
}

void SessionFakeEngineTest::openDialogGoesAfterTheEngineStarts()
{
    const QString file = fake.MakeFile("chosen.mkv");
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    bool tornDown = false;
    qint64 engineAtTeardown = -1;
    // Chooses the file the way a user does once the dialog is up, and notes whether the
    // engine runs by the time the dialog is destroyed.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        poll.stop();
        connect(dialog, &QObject::destroyed, this, [&] {
            tornDown = true;
            engineAtTeardown = ui.Engine() ? ui.Engine()->ProcessId() : 0;
        });
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(file);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    poll.start(50);
    window.btnOpenFile();
    QTRY_VERIFY(tornDown);
    QVERIFY(engineAtTeardown > 0);
    QTRY_VERIFY(!fake.LastLaunch().isEmpty());
    const QJsonArray arguments = QJsonDocument::fromJson(fake.LastLaunch().mid(5).toUtf8()).array();
    QCOMPARE(arguments.last().toString(), file);
}

void SessionFakeEngineTest::streamLinesFillTheTrackMenus()
{
    fake.UseScript("print Playing x.\n"
                   "print [lavf] stream 1: audio (ac3), -aid 0, -alang eng\n"
                   "print [lavf] stream 2: audio (ac3), -aid 1, -alang ger\n"
                   "print [lavf] stream 3: subtitle (srt), -sid 0, -slang eng\n"
                   "print [lavf] stream 4: audio (aac), -aid 2\n"
                   "print VIDEO:  [H264]  320x240  24bpp  25.000 fps\n");
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({fake.MakeFile("streams.mkv")});
    QTRY_COMPARE(ui.AudioTracks()->actions().size(), 3);
    QStringList audio;
    for (QAction *entry : ui.AudioTracks()->actions()) {
        audio << entry->text() + (entry->isChecked() ? "*" : "");
    }
    QCOMPARE(audio, QStringList({"Disable", "Audio 1: English*", "Audio 2: German"}));
    QStringList subtitles;
    for (QAction *entry : ui.SubtitleTracks()->actions()) {
        subtitles << entry->text() + (entry->isChecked() ? "*" : "");
    }
    QCOMPARE(subtitles, QStringList({"Disable*", "Subtitle 1: English"}));
    QTRY_VERIFY(fake.Commands().contains("pausing_keep switch_audio 0"));
}

void SessionFakeEngineTest::endOfFileReturnsToTheStartPage()
{
    fake.UseScript("print Playing x.\nprint VIDEO:  [H264]\n"
                   "print VO: [xv] 320x240 => 320x240 Planar YV12\nwait-for volume 50 2\n"
                   "print Exiting... (End of file)\n");
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({fake.MakeFile("end.mkv")});
    QTRY_COMPARE(ui.CurrentPage(), Page::Start);
    QVERIFY(!ui.IsPlaying());
    QVERIFY(ui.IsStopped());
    QVERIFY(!ui.Seek()->isEnabled());
    QCOMPARE(ui.Seek()->value(), 0);
    QCOMPARE(ui.Elapsed()->text(), QStringLiteral("00:00:00 "));
    QVERIFY(ui.LoadedPath().isEmpty());
    QVERIFY(!ui.TimerActive());
}

void SessionFakeEngineTest::engineEndingsKeepOrForgetThePlace_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("kept");
    QTest::newRow("end of file") << "print Exiting... (End of file)\n" << QString() << false;
    QTest::newRow("crash") << "signal-crash\n"
                           << "Messages/MSG0110" << true;
    QTest::newRow("error exit") << "exit 1\n"
                                << "Messages/MSG0110" << true;
    QTest::newRow("hang") << "hang\n"
                          << "Messages/MSG0111" << true;
}

void SessionFakeEngineTest::engineEndingsKeepOrForgetThePlace()
{
    QFETCH(QString, ending);
    QFETCH(QString, message);
    QFETCH(bool, kept);
    // Two minutes into a ten-minute film, then the ending.
    fake.UseScript("length 600\nprint Playing x.\nprint VIDEO:  [H264]\n"
                   "print VO: [xv] 320x240 => 320x240 Planar YV12\nwait-for seek 120 2\n"
                   "position-runs 120\nsleep 1\n" +
                   ending);
    const QString store = AppFolders::AppDataFolder() + "Resume.json";
    QFile::remove(store);
    const QString film =
        fake.MakeFile(QStringLiteral("ending %1.mkv").arg(QTest::currentDataTag()));
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    ui.Session().SetDeadlines(1500, 5000);
    QString shown;
    QTimer boxes;
    connect(&boxes, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel *>("messageLabel")->text();
            box->btnSlotOK();
        }
    });
    boxes.start(50);
    window.OpenMediaFiles({film});
    QTRY_VERIFY(ui.IsPlaying() && ui.Session().CurrentState() == PlaybackSession::State::Playing);
    ui.Session().SeekTo(120);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Start, 30000);
    if (!message.isEmpty())
        QTRY_COMPARE(shown, GetText(qPrintable(message)).arg(QFileInfo(film).fileName()));
    QCOMPARE(shown.isEmpty(), message.isEmpty());

    ResumeStore resume(store);
    resume.Load();
    const std::optional<ResumePoint> point = resume.Find(*ResumeKey::ForMediaFile(film));
    QCOMPARE(point.has_value(), kept);
    if (point)
        QVERIFY2(point->position >= 120 && point->position < 130,
                 qPrintable(QString::number(point->position)));
}

void SessionFakeEngineTest::elevenSourcesKeepTenRecentFiles()
{
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QStringList opened;
    for (int i = 1; i <= 11; ++i) {
        opened.prepend(fake.MakeFile(QStringLiteral("source %1.mkv").arg(i)));
        window.OpenMediaFiles({opened.first()});
    }
    QCOMPARE(ui.RecentEntries(), opened.mid(0, 10));
    QFile stored(AppFolders::AppDataFolder() + "RecentConfig.txt");
    QVERIFY(stored.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLocal8Bit(stored.readAll()).split('\n', Qt::SkipEmptyParts),
             opened.mid(0, 10));
    // Reopening a listed source keeps the order; the menu lists the ten and the clearing entry.
    window.OpenMediaFiles({opened.at(5)});
    QCOMPARE(ui.RecentEntries(), opened.mid(0, 10));
    QCOMPARE(ui.RecentMenu()->actions().size(), 11);
    QCOMPARE(ui.Playlist()->rowCount(), 11);
}

void SessionFakeEngineTest::nextAndPreviousWalkThePlaylist()
{
    const QString a = fake.MakeFile("a.mkv");
    const QString b = fake.MakeFile("b.mkv");
    const QString c = fake.MakeFile("c.mkv");
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({a, b, c});
    QCOMPARE(ui.Playlist()->rowCount(), 3);
    QTRY_VERIFY(fake.LastLaunch().contains("a.mkv"));
    window.PlayNext();
    QTRY_VERIFY(fake.LastLaunch().contains("b.mkv"));
    window.PlayNext();
    QTRY_VERIFY(fake.LastLaunch().contains("c.mkv"));
    window.PlayNext();
    // A fixed wait, as nothing may happen in it: after the last item Next starts nothing.
    QTest::qWait(200);
    QCOMPARE(fake.Log().filter("argv ").size(), 3);
    window.PlayPre();
    QTRY_VERIFY(fake.LastLaunch().contains("b.mkv"));
    QVERIFY(ui.Playlist()->item(1, 0)->isSelected());
}

void SessionFakeEngineTest::droppedFileWithOddNamePlays()
{
    const QString file = fake.MakeFile(QString::fromUtf8("Film d'été #1 (2024).mkv"));
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(fake.MakeFile("ignored.mkv"))});
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    DRUITestAccess(window).Drop(&drop);
    QTRY_VERIFY(!fake.Log().isEmpty());
    const QJsonArray arguments =
        QJsonDocument::fromJson(fake.Log().first().mid(5).toUtf8()).array();
    QCOMPARE(arguments.last().toString(), file);
    DRUITestAccess ui(window);
    QCOMPARE(ui.Playlist()->rowCount(), 1);
}

void SessionFakeEngineTest::snapshotLandsInTheSnapshotFolder()
{
    QDir(AppFolders::DocumentsFolder()).removeRecursively();
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({fake.MakeFile("shot.mkv")});
    QTRY_VERIFY(!fake.Commands().isEmpty());
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().last());
    QTRY_COMPARE(fake.Commands().filter("screenshot 0").size(), 1);
    QTRY_COMPARE(QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).size(), 1);
    const QString name = QDir(AppFolders::DocumentsFolder()).entryList(QDir::Files).first();
    QVERIFY2(QRegularExpression("^Snapshot-\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.JPG$")
                 .match(name)
                 .hasMatch(),
             qPrintable(name));
    QCOMPARE(QImageReader(AppFolders::DocumentsFolder() + name).format(), QByteArray("jpeg"));
    // The engine's own file is gone.
    QCOMPARE(QDir(AppFolders::AppDataFolder())
                 .entryList({"[0-9][0-9][0-9][0-9].png"}, QDir::Files)
                 .size(),
             0);
}

// Keys typed into whatever widget has the focus, as a user does: the window's shortcuts must
// win over the widget's own use of the key.
void SessionFakeEngineTest::keysActWhateverHasTheFocus_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("playlist") << "playlist";
    QTest::newRow("seek slider") << "seek";
    QTest::newRow("volume slider") << "volume";
    QTest::newRow("play button") << "play";
}

void SessionFakeEngineTest::keysActWhateverHasTheFocus()
{
    QFETCH(QString, focus);
    WindowFixture fixture(WindowFixture::Shown::Active);
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    // A file the probe cannot measure: the length stays unknown.
    window.OpenMediaFiles({fake.MakeFile("keys.mkv")});
    QTRY_VERIFY(!fake.Commands().isEmpty());
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().first()); // show the playlist
    QWidget *target = focus == "playlist" ? static_cast<QWidget *>(ui.Playlist())
                      : focus == "seek"   ? static_cast<QWidget *>(ui.Seek())
                      : focus == "volume" ? static_cast<QWidget *>(ui.Volume())
                                          : static_cast<QWidget *>(ui.PlayButton());
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTRY_VERIFY(fake.Commands().contains("pausing_keep volume 55 100"));
    QCOMPARE(ui.Volume()->value(), 55);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTRY_VERIFY(fake.Commands().contains("pausing_keep volume 50 100"));
    // With no known length Right steps 60 s on from the clock instead of seeking to 0.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTRY_VERIFY(!fake.Commands().filter(QRegularExpression("^seek ")).isEmpty());
    QCOMPARE(fake.Commands().filter(QRegularExpression("^seek ")).last(),
             QStringLiteral("seek 60 2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QTRY_COMPARE(fake.Commands().filter(QRegularExpression("^seek ")).size(), 2);
    QCOMPARE(fake.Commands().filter(QRegularExpression("^seek ")).last(),
             QStringLiteral("seek 0 2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_VERIFY(fake.Commands().contains("pause"));
    QVERIFY(!ui.IsPlaying());
    // A snapshot of the paused picture keeps the pause.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S);
    QTRY_VERIFY(fake.Commands().contains("pausing_keep_force screenshot 0"));
}

void SessionFakeEngineTest::pausedSessionStaysPausedThroughMuteAndTrackSwitch()
{
    fake.UseScript("print Playing x.\n"
                   "print [lavf] stream 1: audio (ac3), -aid 0, -alang eng\n"
                   "print [lavf] stream 2: audio (ac3), -aid 1, -alang ger\n"
                   "print VIDEO:  [H264]  320x240  24bpp  25.000 fps\n");
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({fake.MakeFile("paused.mkv")});
    QTRY_COMPARE(ui.AudioTracks()->actions().size(), 3);
    window.PauseSession();
    QTRY_VERIFY(fake.Commands().contains("pause"));
    const int before = int(fake.Commands().size());
    QPushButton *mute = ui.VolumeButton();
    QTest::mouseClick(mute, Qt::LeftButton);
    QTest::mouseClick(mute, Qt::LeftButton);
    emit ui.AudioMenu()->triggered(ui.AudioTracks()->actions().at(2));
    QTRY_VERIFY(fake.Commands().size() >= before + 6);
    // Every command keeps the engine paused, the level is said over the picture each time,
    // and the track switch brings the level back.
    QStringList sent = fake.Commands().mid(before, 6);
    const QStringList said = sent.filter(QRegularExpression("^pausing_keep osd_show_text "));
    QCOMPARE(said, QStringList({"pausing_keep osd_show_text \"Volume: 0%\" 2000 0",
                                "pausing_keep osd_show_text \"Volume: 50%\" 2000 0"}));
    sent.removeIf([](const QString &command) { return command.contains("osd_show_text"); });
    QCOMPARE(sent, QStringList({"pausing_keep volume 0 100", "pausing_keep volume 50 100",
                                "pausing_keep switch_audio 1", "pausing_keep volume 50 100"}));
    QVERIFY(!ui.IsPlaying());
}

void SessionFakeEngineTest::spaceAfterStopPlaysAgain()
{
    WindowFixture fixture(WindowFixture::Shown::Active);
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({fake.MakeFile("again.mkv")});
    QTRY_COMPARE(fake.Log().filter("argv ").size(), 1);
    QTest::mouseClick(ui.StopButton(), Qt::LeftButton);
    QTRY_COMPARE(ui.CurrentPage(), Page::Start);
    QCOMPARE(ui.PlayPause()->data().toString(), QStringLiteral("Play"));
    QTest::keyClick(&window, Qt::Key_Space);
    QTRY_COMPARE(fake.Log().filter("argv ").size(), 2);
    QCOMPARE(ui.CurrentPage(), Page::Video);
    QVERIFY(ui.IsPlaying());
    QVERIFY(!fake.Commands().contains("pause"));
}

void SessionFakeEngineTest::preferencesChooseTheSnapshotFolderAndFormat()
{
    const QString chosen = fake.FilePath(QString::fromUtf8("shots, \"mine\" é"));
    QVERIFY(QDir().mkpath(chosen));
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    // The languages are kept in the user's settings, which the other window tests share: the
    // disc's own choice comes back however this test ends.
    const auto restoreLanguages =
        qScopeGuard([&window] { window.Controller().Handle(Ask::PreferredLanguages{}); });
    QString shownFolder;
    QString shownAudioLanguage;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<CProcessUI *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        shownFolder = dialog->findChild<QLineEdit *>("folderEdit")->text();
        dialog->SetChosenFolder(chosen);
        dialog->formatCombo->setCurrentIndex(1);
        // French audio, found by the name the user reads.
        auto *audio = dialog->findChild<QComboBox *>("audioLanguageCombo");
        shownAudioLanguage = audio->currentText();
        audio->setCurrentIndex(audio->findText(
            StreamLabel::LanguageName("fr", CLanguageManager::Instance().Locale())));
        QTest::mouseClick(dialog->findChild<QPushButton *>("okButton"), Qt::LeftButton);
    });
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().at(1));
    QCOMPARE(shownFolder, AppFolders::DocumentsFolder());
    QCOMPARE(shownAudioLanguage, GetText("MainWnd/DiscOwnChoice"));
    QCOMPARE(ui.SnapshotFormat(), QStringLiteral("PNG"));
    const PlayerPreferences preferences = window.Controller().State().preferences;
    QCOMPARE(StreamLabel::LanguageOf(preferences.AudioLanguage()), QLocale::French);
    QCOMPARE(preferences.SubtitleLanguage(), QString());
    QFile stored(AppFolders::AppDataFolder() + "OutputPath.txt");
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(stored.readAll()), chosen + "/");

    window.OpenMediaFiles({fake.MakeFile("shots.mkv")});
    QTRY_VERIFY(!fake.Commands().isEmpty());
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().last());
    emit ui.ToolsMenu()->triggered(ui.ToolsMenu()->actions().last());
    QTRY_COMPARE(QDir(chosen).entryList(QDir::Files).size(), 2);
    const QStringList names = QDir(chosen).entryList(QDir::Files);
    for (const QString &name : names) {
        QVERIFY2(name.endsWith(".PNG"), qPrintable(name));
        QCOMPARE(QImageReader(chosen + "/" + name).format(), QByteArray("png"));
    }
    // Taken within one second, the second keeps the first and gets a suffix.
    if (names[0].left(29) == names[1].left(29)) {
        QVERIFY2(names.filter(" (2).PNG").size() == 1, qPrintable(names.join(", ")));
    }
}

// The disc page's choices as the engine receives them: a chapter relaunches the disc and
// seeks right after the volume; an audio stream chosen on the page is the one that plays,
// even when the engine's own stream list makes the window rebuild its menu.
void SessionFakeEngineTest::discPageChoicesReachTheEngine()
{
    BluRayFolderBuilder disc;
    disc.AddSyntheticClip("00001", 20, {"eng", "fra", "ger"});
    disc.AddPlaylist("00001.mpls", {"00001"}, {0, 7500, 15000});
    const QString folder = fake.FilePath("disc");
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    // Two audio streams announced against the playlist's three: the menu is rebuilt.
    fake.UseScript("print Playing br://0.\n"
                   "print [lavf] stream 0: audio (ac3), -aid 0\n"
                   "print [lavf] stream 1: audio (ac3), -aid 1\n"
                   "print VIDEO:  [H264]  256x144  24bpp  25.000 fps\n");

    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);

    // "Play Movie" after choosing the second audio stream on the page.
    QMenu *audio = ui.AudioEntry()->menu();
    emit ui.DiscPageMenu()->triggered(audio->actions().at(2));
    QCOMPARE(audio->activeAction(), audio->actions().at(2));
    QVERIFY(fake.Commands().isEmpty()); // nothing plays until the title is launched
    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(fake.Commands().contains("pausing_keep switch_audio 1"));
    QTRY_VERIFY(fake.Commands().size() >= 3);
    const QStringList afterVideo =
        fake.Commands().mid(fake.Commands().indexOf("pausing_keep switch_audio 1"));
    QCOMPARE(afterVideo.mid(0, 2),
             QStringList({"pausing_keep switch_audio 1", "pausing_keep volume 50 100"}));
    QVERIFY(!fake.Commands().contains("pausing_keep switch_audio 0"));
    // Play Movie plays the title the page names, by its number.
    QVERIFY(fake.LastLaunch().contains("\"br://1\", \"-bluray-device\""));
    QVERIFY(ui.AudioTracks()->actions().at(2)->isChecked());
    // The page marks the choice it will play.
    QVERIFY(audio->actions().at(2)->isChecked());
    QVERIFY(!audio->actions().at(1)->isChecked());

    // The third chapter from the disc page: a new launch that seeks at once.
    window.Navigation();
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);
    const int launches = int(fake.Log().filter("argv ").size());
    // The clock as the launch starts: the fake's answers (it never seeks) pull it back later.
    qint64 shownAtStart = -1;
    connect(&ui.Session(), &PlaybackSession::stateChanged, this, [&](PlaybackSession::State state) {
        if (state == PlaybackSession::State::Starting && shownAtStart < 0)
            shownAtStart = ui.ClockMs();
    });
    emit ui.DiscPageMenu()->triggered(ui.ChapterEntry()->menu()->actions().at(2));
    QTRY_COMPARE(fake.Log().filter("argv ").size(), launches + 1);
    QTRY_VERIFY(fake.Commands().contains("seek 15 2"));
    const QStringList commands = fake.Commands();
    QCOMPARE(commands.at(commands.indexOf("seek 15 2") - 1), QStringLiteral("volume 50 2"));
    QCOMPARE(shownAtStart, 15000);

    // A file opened after that starts at its beginning: the chapter was that launch's.
    window.StopBtn();
    window.OpenMediaFiles({fake.MakeFile("after-chapter.mkv")});
    QTRY_COMPARE(fake.Log().filter("argv ").size(), launches + 2);
    QTRY_VERIFY(fake.Commands().size() > commands.size() + 1);
    QCOMPARE(fake.Commands().filter(QRegularExpression("^seek ")).size(), 1);
}

void SessionFakeEngineTest::discPageShowsItsOwnMovieLength()
{
    BluRayFolderBuilder disc;
    disc.AddSyntheticClip("00001", 300);
    disc.AddPlaylist("00001.mpls", {"00001"});
    const QString folder = fake.FilePath("five-minutes");
    QString error;
    QVERIFY2(disc.Build(folder, &error), qPrintable(error));
    fake.UseScript("length 180.0\nprint Playing x.\nprint VIDEO:  [H264]  256x144\n");

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    // A DVD of three minutes plays first; the engine tells its length.
    const QString dvd = fake.FilePath("three-minutes");
    QVERIFY(QDir().mkpath(dvd + "/VIDEO_TS"));
    window.OpenDiscFolder(dvd);
    QTRY_COMPARE(ui.Total()->text(), QStringLiteral(" 00:03:00"));
    QTest::mouseClick(ui.StopButton(), Qt::LeftButton);
    QTRY_COMPARE(ui.CurrentPage(), Page::Start);
    window.OpenDiscFolder(folder);
    QTRY_COMPARE(ui.CurrentPage(), Page::Disc);
    QCOMPARE(ui.Total()->text(), QStringLiteral(" 00:05:00"));
    QCOMPARE(ui.Elapsed()->text(), QStringLiteral("00:00:00 "));
}

QTEST_MAIN(SessionFakeEngineTest)
#include "tst_session_fake_engine.moc"
