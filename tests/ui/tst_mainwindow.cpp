#include "DRUITestAccess.h"
#include "WindowFixture.h"
#include "i18n/CLanguageManager.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "ui/AnswerPacer.h"
#include "ui/CMessageBox.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStandardPaths>
#include <QtTest>

// The texts a language file gives the six menu buttons, read straight from the shipped file
// so the test checks the rebuild, not the wording.
static QStringList MenuTextsOf(const QString &languageName)
{
    QTemporaryDir userFolder;
    CLanguageManager languages(QCoreApplication::applicationDirPath(), userFolder.path());
    languages.ChangeLanguage(languageName);
    QStringList texts;
    for (const char *key : {"MainWnd/File", "MainWnd/Controls", "MainWnd/Video", "MainWnd/Audio",
                            "MainWnd/Tools", "MainWnd/Help"}) {
        texts << languages.GetText(key);
    }
    return texts;
}

static QStringList ButtonTexts(const QList<QPushButton *> &buttons)
{
    QStringList texts;
    for (QPushButton *button : buttons) {
        texts << (button ? button->text() : QStringLiteral("<missing>"));
    }
    return texts;
}

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void freshWindowShowsTheStartPage();
    void menuButtonsKeepFixedPlacesAndWindowKeepsItsWidth();
    void menusCarryTheirKeywordData();
    void recentEntriesShowTheirPathsReadably();
    void languageChangeRebuildsEveryTextAndEmptiesThePlaylist();
    void probeCopyIsMadeOnceAndNeverReplaced();
    void messageBoxSitsOneThirdIntoTheWindow();
    void messageBoxClosesOnRightClickAnywhere();
    void helpWithoutABrowserSaysSo();
    void videoMenuSizesTheWindow();
    void toolsMenuTogglesThePlaylist();
    void everyFifthAnswerMovesTheSlider();
    void resumeNoticeShowsItsTimeWhole_data();
    void resumeNoticeShowsItsTimeWhole();
};

void MainWindowTest::initTestCase()
{
    // Keeps the window's per-user files (language choice, recent files, probe copy) out of
    // the real user's folders.
    QStandardPaths::setTestModeEnabled(true);
    QDir(AppFolders::AppDataFolder()).removeRecursively();
    QDir(AppFolders::UserConfigFolder()).removeRecursively();
    QCOMPARE(CLanguageManager::Instance().CurrentLanguage(), QStringLiteral("/English"));
}

void MainWindowTest::freshWindowShowsTheStartPage()
{
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QCOMPARE(window.windowTitle(), QStringLiteral("Orvel BluRay Player"));
    QCOMPARE(window.size(), QSize(1000, 680));
    QCOMPARE(ui.CurrentPage(), Page::Start);
    QCOMPARE(ui.StartTitle()->text(), QStringLiteral("Orvel BluRay Player"));
    QCOMPARE(ui.Elapsed()->text(), QStringLiteral("   --:--:--"));
    QCOMPARE(ui.Total()->text(), QStringLiteral("   --:--:--"));
    QVERIFY(!ui.Seek()->isEnabled());
    QCOMPARE(ui.Seek()->maximum(), 100);
    QCOMPARE(ui.Volume()->value(), 50);
    QVERIFY(ui.Playlist()->isHidden());
    QCOMPARE(ui.Playlist()->rowCount(), 0);
    QCOMPARE(ui.BottomPanel()->height(), 90);
    // The caption keeps its size whatever it shows; long names wrap inside it.
    const QSize captionSize = ui.Status()->size();
    QVERIFY(captionSize.width() >= 200 && captionSize.width() < 210);
    ui.Status()->setText(QString("A very long name of a film that goes on ").repeated(4));
    // A caption that grew would do so in the layout pass the new text asks for: run it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCOMPARE(ui.Status()->size(), captionSize);
    // Every image button takes its size from its picture, so a missing picture would leave
    // a button of size zero.
    QVERIFY(ui.PlayButton()->width() > 20);
    QCOMPARE(ui.PlayButton()->size(), ui.PlayButton()->iconSize());
    QVERIFY(!window.windowIcon().isNull());
}

void MainWindowTest::menuButtonsKeepFixedPlacesAndWindowKeepsItsWidth()
{
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    const QList<QPushButton *> buttons = ui.MenuButtons();
    QCOMPARE(ButtonTexts(buttons),
             QStringList({"File", "Controls", "Video", "Audio", "Tools", "Help"}));
    window.resize(1400, 700);
    QTRY_COMPARE(window.size(), QSize(1400, 700));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    for (int i = 0; i < buttons.size(); ++i) {
        QCOMPARE(buttons[i]->geometry(), QRect(i * 100, 1, 100, 20));
        QVERIFY(buttons[i]->menu());
    }
    // The strip asks for the width the window had when it was built.
    QCOMPARE(ui.MenuStrip()->minimumWidth(), 1000);
    window.resize(600, 680);
    // A fixed wait, as nothing may happen in it: the X server's answer must not narrow it.
    QTest::qWait(50);
    QVERIFY(window.width() >= 1000);
}

void MainWindowTest::menusCarryTheirKeywordData()
{
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    const auto dataOf = [](QMenu *menu) {
        QStringList data;
        for (QAction *action : menu->actions()) {
            data << action->data().toString();
        }
        return data;
    };
    // Handlers find an entry by its keyword, so no two entries of a menu may share one.
    for (QMenu *menu : {ui.FileMenu(), ui.ControlsMenu(), ui.VideoMenu(), ui.ToolsMenu()}) {
        const QStringList data = dataOf(menu);
        QCOMPARE(QSet<QString>(data.begin(), data.end()).size(), data.size());
        QVERIFY(!data.contains(QString()));
    }
    QCOMPARE(dataOf(ui.AudioChannels()), QStringList({"Stereo", "Left", "Right"}));
    QVERIFY(ui.AudioChannels()->actions().first()->isChecked());
    QCOMPARE(ui.ControlsMenu()->actions().first()->shortcut(), QKeySequence("Space"));
    QVERIFY(!ui.ToolsMenu()->actions().last()->isEnabled());
    // The recent submenu always ends with its clearing entry.
    QCOMPARE(dataOf(ui.RecentMenu()).last(), QStringLiteral("Clear Menu"));
}

// A recent entry shows its path readably: an "&" is no shortcut mark, a very long path is cut
// in the middle; the entry still opens the whole path.
void MainWindowTest::recentEntriesShowTheirPathsReadably()
{
    QFile::remove(AppFolders::AppDataFolder() + "RecentConfig.txt");
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    const QString ampersand = "/v/Tom & Jerry.mkv";
    const QString longPath = "/v/" + QString(1600, QLatin1Char('x')) + "/end.mkv";
    const QString twoLines = "/v/one\ntwo.mkv";
    window.Request(Ask::AddRecentFile{ampersand});
    window.Request(Ask::AddRecentFile{longPath});
    window.Request(Ask::AddRecentFile{twoLines});
    // A name with a line break is kept too, shown on one line.
    QCOMPARE(ui.RecentEntries(), QStringList({twoLines, longPath, ampersand}));
    const QList<QAction *> entries = ui.RecentMenu()->actions();
    QCOMPARE(entries[0]->text(), QStringLiteral("/v/one\u21b5two.mkv"));
    QCOMPARE(entries[0]->data().toString(), twoLines);
    QCOMPARE(entries[2]->text(), QStringLiteral("/v/Tom && Jerry.mkv"));
    QCOMPARE(entries[2]->data().toString(), ampersand);
    QCOMPARE(entries[1]->data().toString(), longPath);
    QVERIFY(entries[1]->text().contains(QChar(0x2026)));
    QVERIFY(entries[1]->text().endsWith("/end.mkv"));
    QVERIFY(QFontMetrics(ui.RecentMenu()->font()).horizontalAdvance(entries[1]->text()) <= 600);
}

void MainWindowTest::languageChangeRebuildsEveryTextAndEmptiesThePlaylist()
{
    const QStringList english = MenuTextsOf("/English");
    const QStringList german = MenuTextsOf("/German");
    QVERIFY2(english != german, qPrintable(english.join(",") + " | " + german.join(",")));

    QTemporaryDir media;
    const QString file = media.filePath("clip one.mkv");
    QFile(file).open(QIODevice::WriteOnly);

    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.Request(Ask::AddToPlaylist{{PLAY_LIST_INFO{SourceKind::MediaFile, 0, file, QString()}}});
    QCOMPARE(ui.PlaylistSize(), 1);
    ui.ShowPage(Page::Video);

    const qsizetype menusBefore = window.findChildren<QMenu *>().size();
    QAction *germanEntry = LanguageAction(ui.HelpMenu(), "/German");
    QVERIFY(germanEntry);
    emit ui.HelpMenu()->triggered(germanEntry);
    QTRY_COMPARE(ButtonTexts(ui.MenuButtons()), german);
    QCOMPARE(ui.PlaylistSize(), 0);
    QCOMPARE(ui.Playlist()->rowCount(), 0);
    QCOMPARE(ui.CurrentPage(), Page::Start);
    // The rebuild replaces the window's menus instead of adding to them.
    QCOMPARE(window.findChildren<QMenu *>().size(), menusBefore);
    QCOMPARE(CLanguageManager::Instance().CurrentLanguage(), QStringLiteral("/German"));
    QCOMPARE(ui.FileMenu()->actions().first()->text(),
             CLanguageManager::Instance().GetText("MainWnd/OpenFile") + "...");
    // The current language carries the dot in the rebuilt menu.
    QAction *marked = LanguageAction(ui.HelpMenu(), "/German");
    QVERIFY(marked && !marked->icon().isNull());

    // A later start reads the choice back from the user's settings.
    CLanguageManager nextStart(QCoreApplication::applicationDirPath(),
                               AppFolders::UserConfigFolder());
    QCOMPARE(nextStart.CurrentLanguage(), QStringLiteral("/German"));

    emit ui.HelpMenu()->triggered(LanguageAction(ui.HelpMenu(), "/English"));
    QTRY_COMPARE(ButtonTexts(ui.MenuButtons()), english);
}

void MainWindowTest::probeCopyIsMadeOnceAndNeverReplaced()
{
    const QString copy = EngineLocator::ProbeToolCopy(AppFolders::AppDataFolder());
    QFile::remove(copy);
    {
        WindowFixture fixture(WindowFixture::Shown::Not);
        QVERIFY(QFile::exists(copy));
        QFile shipped(QCoreApplication::applicationDirPath() + "/tool");
        QFile copied(copy);
        QVERIFY(shipped.open(QIODevice::ReadOnly) && copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), shipped.readAll());
    }
    {
        QFile mine(copy);
        QVERIFY(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
        mine.write("#!/bin/sh\n# the user's own tool\n");
    }
    WindowFixture fixture(WindowFixture::Shown::Not);
    QFile kept(copy);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("#!/bin/sh\n# the user's own tool\n"));
    kept.close();
    QFile::remove(copy);
}

void MainWindowTest::messageBoxSitsOneThirdIntoTheWindow()
{
    QCOMPARE(CMessageBox::PlacementFor(QRect(90, 60, 1000, 680)), QRect(423, 286, 400, 180));
    QCOMPARE(CMessageBox::PlacementFor(QRect(-200, 10, 500, 341)), QRect(-34, 123, 400, 180));

    CMessageBox box;
    box.ShowInformation(QString("A long message that has to wrap inside the box. ").repeated(6));
    box.setGeometry(CMessageBox::PlacementFor(QRect(90, 60, 1000, 680)));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.size(), QSize(400, 180));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(box.findChild<QLabel *>("messageLabel")->wordWrap(), true);
}

void MainWindowTest::messageBoxClosesOnRightClickAnywhere()
{
    {
        CMessageBox box;
        box.ShowInformation("Nothing to play");
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto *ok = box.findChild<QPushButton *>("okButton");
        QVERIFY(ok);
        QTest::mouseClick(ok, Qt::RightButton);
        QTRY_VERIFY(!box.isVisible());
        QCOMPARE(box.Result(), 1);
    }
    {
        CMessageBox box;
        box.ShowInformation("Nothing to play");
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mouseClick(box.findChild<QPushButton *>("okButton"), Qt::LeftButton);
        QTRY_VERIFY(!box.isVisible());
        QCOMPARE(box.Result(), 0);
    }
    {
        // A left press and drag moves the frameless box by the pointer's travel.
        CMessageBox box;
        box.ShowInformation("Drag me");
        box.move(100, 100);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QPoint start = box.pos();
        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), box.mapToGlobal(QPointF(40, 30)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &move);
        QCOMPARE(box.pos(), start + QPoint(30, 20));
        QVERIFY(box.isVisible());
    }
}

void MainWindowTest::helpWithoutABrowserSaysSo()
{
    // Nothing on the search path can open the guide: no xdg-open, no browser.
    const QByteArray path = qgetenv("PATH");
    const QByteArray browser = qgetenv("BROWSER");
    qputenv("PATH", "/nonexistent");
    qunsetenv("BROWSER");
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QAction *help = nullptr;
    for (QAction *action : ui.HelpMenu()->actions()) {
        if (action->data().toString() == "Help")
            help = action;
    }
    QVERIFY(help);

    QString shown;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&shown] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel *>("messageLabel")->text();
            box->findChild<QPushButton *>("okButton")->click();
        }
    });
    poll.start(20);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^no program opens .*index\\.html$"));
    emit ui.HelpMenu()->triggered(help);
    qputenv("PATH", path);
    if (!browser.isNull())
        qputenv("BROWSER", browser);
    QVERIFY2(shown.contains("index.html") && shown.contains("guide"), qPrintable(shown));
}

void MainWindowTest::videoMenuSizesTheWindow()
{
    WindowFixture fixture(WindowFixture::Shown::Not);
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    const auto choose = [&](const QString &data) {
        for (QAction *action : ui.VideoMenu()->actions()) {
            if (action->data().toString() == data) {
                emit ui.VideoMenu()->triggered(action);
            }
        }
    };
    QVERIFY(!ui.VideoMenu()->actions().first()->isEnabled());
    choose("NormalSize");
    QCOMPARE(window.size(), QSize(1000, 680));
    choose("DoubleSize");
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(window.size(), QSize(qMin(2000, available.width()), qMin(1360, available.height())));
}

void MainWindowTest::toolsMenuTogglesThePlaylist()
{
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QAction *playlistEntry = ui.ToolsMenu()->actions().first();
    emit ui.ToolsMenu()->triggered(playlistEntry);
    QVERIFY(ui.Playlist()->isVisible());
    emit ui.ToolsMenu()->triggered(playlistEntry);
    QVERIFY(ui.Playlist()->isHidden());
}

void MainWindowTest::everyFifthAnswerMovesTheSlider()
{
    AnswerPacer pacer;
    QList<bool> moves;
    for (int i = 0; i < 10; ++i)
        moves << pacer.CountAnswer();
    QCOMPARE(moves,
             (QList<bool>{false, false, false, false, true, false, false, false, false, true}));
    pacer.CountAnswer();
    pacer.CountAnswer();
    pacer.Reset(); // a new launch starts the count again
    for (int i = 0; i < 4; ++i)
        QVERIFY(!pacer.CountAnswer());
    QVERIFY(pacer.CountAnswer());
}

void MainWindowTest::resumeNoticeShowsItsTimeWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("notice");
    QTest::newRow("short name") << "film.mkv"
                                << "Resumed at 00:12:05";
    QTest::newRow("german") << "Ein Abend im Museum.mkv"
                            << "Fortgesetzt bei 01:02:03";
    QTest::newRow("long disc name") << "THE EXTRAORDINARILY LONG DISC NAME OF A COLLECTOR'S EDITION"
                                    << "Resumed at 02:10:00";
    QTest::newRow("no notice") << "a film with a rather long name for the box.mkv" << QString();
}

void MainWindowTest::resumeNoticeShowsItsTimeWhole()
{
    QFETCH(QString, name);
    QFETCH(QString, notice);
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QLabel *status = ui.Status();
    WindowParts::ShowStatusName(status, name, notice);
    const QString shown = status->text();
    const int room = status->contentsRect().width() - 2 * status->margin();
    QVERIFY2(status->fontMetrics().horizontalAdvance(shown) <= room, qPrintable(shown));
    if (!notice.isEmpty())
        QVERIFY2(shown.endsWith(notice), qPrintable(shown));
    // The name is shortened, never dropped while there is room for a part of it.
    QVERIFY2(shown.contains(name.left(3)), qPrintable(shown));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
