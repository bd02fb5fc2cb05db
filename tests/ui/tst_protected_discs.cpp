// AACS-protected Blu-ray discs of our own in the window, on the real engine under X: with the
// disc's key the movie plays; without a key file, with another disc's key, and (run a second
// time with HideLibaacs preloaded) without libaacs, the disc page says the disc is protected
// and every road to a title shows the one message naming cause and remedy, starting nothing.
#include "BluRayFolderBuilder.h"
#include "DRUITestAccess.h"
#include "WindowFixture.h"
#include "disc/BluRayScan.h"
#include "engine/EngineProcess.h"
#include "i18n/GetText.h"
#include "ui/CMessageBox.h"

#include <QApplication>
#include <QDirIterator>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

class ProtectedDiscsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void playsWithItsKey();
    void withoutWhatItNeedsSaysWhy_data();
    void withoutWhatItNeedsSaysWhy();

private:
    // Points libaacs at a key file holding `keys` ("-": no key file at all).
    void UseKeyFile(const QByteArray &keys);
    QTemporaryDir dir;
    QString disc;
    QByteArray keyFileEntry;
};

namespace {

bool LibaacsHidden()
{
    return qEnvironmentVariableIsSet("ORVEL_TEST_LIBAACS_HIDDEN");
}

// Processes whose parent is this test: an engine left behind would be one.
QStringList ChildProcesses()
{
    QStringList children;
    QDirIterator processes("/proc", QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        const QString folder = processes.next();
        QFile stat(folder + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid ...": the name may hold spaces, so read after its ")".
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == ::getpid()) {
            children << QString::fromLatin1(line.left(line.lastIndexOf(')') + 1));
        }
    }
    return children;
}

// Answers the message box that a step shows, keeping its text.
struct MessageCatcher
{
    QString shown;
    QTimer poll;
    explicit MessageCatcher(QObject *context)
    {
        QObject::connect(&poll, &QTimer::timeout, context, [this] {
            if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->findChild<QLabel *>("messageLabel")->text();
                box->btnSlotOK();
            }
        });
        poll.start(50);
    }
};

} // namespace

void ProtectedDiscsTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("the engine draws into an X11 window: run under X (the test command starts Xvfb)");
    }
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    BluRayFolderBuilder builder;
    builder.streamCache = qEnvironmentVariable("ORVEL_DISCBUILDER_CACHE");
    builder.aacs.enabled = true;
    builder.AddClip("00001", 8, {"eng"});
    builder.AddPlaylist("00001.mpls", {"00001"}, {0, 4000});
    builder.AddClip("00002", 3, {"eng"});
    builder.AddPlaylist("00002.mpls", {"00002"});
    disc = dir.filePath("Protected Disc");
    QString error;
    QVERIFY2(builder.Build(disc, &error), qPrintable(error));
    keyFileEntry = builder.KeyFileEntry();
}

void ProtectedDiscsTest::UseKeyFile(const QByteArray &keys)
{
    const QString config = dir.filePath(QString::fromLatin1(keys.toHex().left(24)) + "-config");
    QVERIFY(QDir(config).mkpath("user/aacs"));
    QVERIFY(QDir(config).mkpath("system"));
    if (keys != "-") {
        QFile file(config + "/user/aacs/KEYDB.cfg");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(keys);
    }
    // The window reads the disc and the engine plays it with this environment.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config + "/user"));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(config + "/system"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(config + "/cache"));
}

void ProtectedDiscsTest::playsWithItsKey()
{
    if (LibaacsHidden()) {
        QSKIP("needs libaacs");
    }
    UseKeyFile(keyFileEntry);
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(disc);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 30000);
    QVERIFY(ui.DiscProtectionLine()->isVisible());
    QCOMPARE(ui.DiscProtectionLine()->text(), GetText("MainWnd/ProtectedPlays").arg("AACS"));

    emit ui.DiscPageMenu()->triggered(ui.PlayMovieEntry());
    QTRY_VERIFY(ui.Engine());
    // Picture, the title's length and its chapters: the engine read the scrambled streams.
    QTRY_VERIFY_WITH_TIMEOUT(ColoursOnScreen(ui.VideoSurface()) > 8, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.DurationSec(), 8, 30000);
    QCOMPARE(ui.ChapterSubmenu()->actions().size(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(ui.ClockMs() >= 2000, 30000);
    window.close();
    QTRY_VERIFY_WITH_TIMEOUT(ChildProcesses().isEmpty(), 30000);
}

void ProtectedDiscsTest::withoutWhatItNeedsSaysWhy_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QString>("message");
    const QByteArray otherDisc =
        "0x" + QByteArray(40, '1') + " = Another disc | V | 0x" + QByteArray(32, '2') + "\n";
    if (LibaacsHidden()) {
        QTest::newRow("no libaacs") << keyFileEntry << "Messages/MSG0120";
        return;
    }
    QTest::newRow("no key file") << QByteArray("-") << "Messages/MSG0121";
    QTest::newRow("another disc's key") << otherDisc << "Messages/MSG0122";
}

void ProtectedDiscsTest::withoutWhatItNeedsSaysWhy()
{
    QFETCH(QByteArray, keys);
    QFETCH(QString, message);
    UseKeyFile(keys);
    const QString expected = GetText(message.toLatin1().constData());
    QVERIFY(!expected.isEmpty());
    WindowFixture fixture;
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenDiscFolder(disc);
    QTRY_COMPARE_WITH_TIMEOUT(ui.CurrentPage(), Page::Disc, 30000);
    QVERIFY(ui.DiscProtectionLine()->isVisible());
    QCOMPARE(ui.DiscProtectionLine()->text(), GetText("MainWnd/ProtectedLocked").arg("AACS"));

    // Play Movie, a chapter and another title from the disc page, and the title from
    // Controls > Title: each says why, and the page stays.
    const QList<QAction *> roads{ui.PlayMovieEntry(), ui.ChapterEntry()->menu()->actions().value(1),
                                 ui.OtherTitlesEntry()->menu()->actions().value(1)};
    for (QAction *road : roads) {
        QVERIFY(road);
        MessageCatcher catcher(this);
        emit ui.DiscPageMenu()->triggered(road);
        QTRY_COMPARE_WITH_TIMEOUT(catcher.shown, expected, 30000);
        QCOMPARE(ui.CurrentPage(), Page::Disc);
        QVERIFY(!ui.Session().IsActive());
    }
    MessageCatcher catcher(this);
    QAction *title = ui.TitleSubmenu()->actions().value(0);
    QVERIFY(title);
    // As a click on the entry delivers it: through the menu bar's Controls menu.
    emit ui.ControlsMenu()->triggered(title);
    QTRY_COMPARE_WITH_TIMEOUT(catcher.shown, expected, 30000);
    QVERIFY(!expected.contains(GetText("Messages/MSG0106").left(12)));
    QVERIFY(!ui.HasEngine());
    QVERIFY2(ChildProcesses().isEmpty(), qPrintable(ChildProcesses().join(", ")));
}

QTEST_MAIN(ProtectedDiscsTest)
#include "tst_protected_discs.moc"
