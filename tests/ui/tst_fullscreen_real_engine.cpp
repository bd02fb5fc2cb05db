// Full screen on the real engine under a real window manager, as on a desktop: the subtitle
// line that is due stays at the bottom of the picture when F is pressed and after Escape, and
// the control bar comes up at the screen's bottom edge and goes again with the pointer. The
// test runs on an X server and a window manager of its own, so the other window tests keep
// their display without one.
#include "DRUITestAccess.h"
#include "TestMedia.h"
#include "WindowFixture.h"
#include "platform/AppFolders.h"
#include "player/FullScreenBarRules.h"
#include "ui/FullScreenControls.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// An X server (Xvfb, which picks a free display itself) with openbox on it, started before
// the application connects and ended after it.
class DisplayWithWindowManager
{
public:
    DisplayWithWindowManager()
    {
        int numberPipe[2];
        if (pipe(numberPipe) != 0)
            return;
        server = fork();
        if (server == 0) {
            close(numberPipe[0]);
            const std::string fd = std::to_string(numberPipe[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(numberPipe[1]);
        // The server writes its number and then the line's end; the pipe stays open for the
        // server's life, as a server that cannot write there gives up.
        numberFd = numberPipe[0];
        char digit = 0;
        while (server > 0 && read(numberFd, &digit, 1) == 1 && digit != '\n')
            display += digit;
        if (display.empty())
            return;
        display = ":" + display;
        manager = fork();
        if (manager == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            execlp("openbox", "openbox", static_cast<char *>(nullptr));
            _exit(127);
        }
        // The manager is there once it names itself on the root window.
        const std::string ask =
            "xprop -display " + display + " -root _NET_SUPPORTING_WM_CHECK 2>/dev/null";
        for (int tries = 0; tries < 100 && !managed; ++tries) {
            if (FILE *answer = popen(ask.c_str(), "r")) {
                char line[256] = {};
                managed = fgets(line, sizeof line, answer) &&
                          std::string(line).find("window id") != std::string::npos;
                pclose(answer);
            }
            if (!managed)
                usleep(100 * 1000);
        }
        setenv("DISPLAY", display.c_str(), 1);
    }
    ~DisplayWithWindowManager()
    {
        for (pid_t child : {manager, server}) {
            if (child > 0) {
                kill(child, SIGTERM);
                waitpid(child, nullptr, 0);
            }
        }
        if (numberFd >= 0)
            close(numberFd);
    }
    bool Managed() const { return managed; }

private:
    pid_t server = -1;
    pid_t manager = -1;
    int numberFd = -1;
    std::string display;
    bool managed = false;
};

// The bright pixels of a grab of the surface: on a black film, the subtitle's letters.
struct BrightText
{
    int pixels = 0;
    QRect box;
    QSize surface;
};

BrightText BrightTextOn(QWidget *surface)
{
    const QImage image = surface->screen()
                             ->grabWindow(surface->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    BrightText text;
    text.surface = image.size();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) > 180) {
                ++text.pixels;
                text.box |= QRect(x, y, 1, 1);
            }
        }
    }
    return text;
}

// The line is drawn in the lower third of the picture, centred, and no smaller than the
// picture's size asks for (a line laid out for a smaller surface is smaller and off-centre).
bool LineAtTheBottomCentre(const BrightText &text)
{
    const int width = text.surface.width();
    const int height = text.surface.height();
    return text.pixels > 100 && text.box.top() >= height * 2 / 3 &&
           qAbs(text.box.center().x() - width / 2) <= width / 40 &&
           text.box.height() >= height / 40;
}

QString Describe(const BrightText &text)
{
    return QStringLiteral("%1 bright pixels in (%2,%3 %4x%5) on a %6x%7 surface")
        .arg(text.pixels)
        .arg(text.box.x())
        .arg(text.box.y())
        .arg(text.box.width())
        .arg(text.box.height())
        .arg(text.surface.width())
        .arg(text.surface.height());
}

// A key as a person presses it: to whatever has the focus in the window.
void Press(QWidget &window, Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &window, key);
}

bool ShowsWholeScreen(const QWidget &window)
{
    return window.isFullScreen() && window.geometry() == window.screen()->geometry();
}

} // namespace

class FullScreenRealEngineTest : public QObject
{
    Q_OBJECT
public:
    explicit FullScreenRealEngineTest(bool managed) : managed(managed) {}

private slots:
    void initTestCase();
    void subtitleStaysAtTheBottomOfThePicture();
    void controlBarComesAtTheBottomEdge();

private:
    bool managed;
    QTemporaryDir dir;
    QString film;
};

void FullScreenRealEngineTest::initTestCase()
{
    if (!managed)
        QFAIL("Xvfb, openbox and xprop are needed (scripts/install-deps.sh installs them)");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    if (QStandardPaths::findExecutable("mplayer").isEmpty() ||
        QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QFAIL("mplayer and ffmpeg are needed (scripts/install-deps.sh installs them)");
    QStandardPaths::setTestModeEnabled(true);
    QDir(AppFolders::AppDataFolder()).removeRecursively();
    // A black wide film, so that the only bright pixels are the subtitle's, with one line due
    // from its start to its end beside it.
    film = dir.filePath("film.mkv");
    MediaMaker::FileRequest black;
    black.picture = "color=c=black";
    black.width = 640;
    black.height = 360;
    black.seconds = 120;
    QString error;
    QVERIFY2(MakeTestMedia(black, film, &error), qPrintable(error));
    QFile line(dir.filePath("film.srt"));
    QVERIFY(line.open(QIODevice::WriteOnly));
    line.write("1\n00:00:00,000 --> 00:02:00,000\nThe line that is due\n");
}

void FullScreenRealEngineTest::subtitleStaysAtTheBottomOfThePicture()
{
    WindowFixture fixture(WindowFixture::Shown::Active, QSize(1000, 680));
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    window.OpenMediaFiles({film});
    QTRY_VERIFY_WITH_TIMEOUT(ui.IsPlaying() && ui.ClockMs() > 500, 30000);
    BrightText text;
    QTRY_VERIFY2_WITH_TIMEOUT(LineAtTheBottomCentre(text = BrightTextOn(ui.VideoSurface())),
                              qPrintable(Describe(text)), 30000);
    const QRect normal = window.geometry();
    const int windowedLetters = text.box.height();

    Press(window, Qt::Key_F);
    QTRY_VERIFY2_WITH_TIMEOUT(ShowsWholeScreen(window),
                              qPrintable(QStringLiteral("%1 %2,%3 %4x%5")
                                             .arg(int(window.windowState()))
                                             .arg(window.x())
                                             .arg(window.y())
                                             .arg(window.width())
                                             .arg(window.height())),
                              30000);
    QTRY_COMPARE_WITH_TIMEOUT(ui.VideoSurface()->width(), window.width(), 30000);
    QVERIFY(!ui.BottomPanel()->isVisible() && !ui.MenuStrip()->isVisible());
    // Laid out for the whole screen: lower third, centred, and larger letters than before.
    QTRY_VERIFY2_WITH_TIMEOUT(LineAtTheBottomCentre(text = BrightTextOn(ui.VideoSurface())) &&
                                  text.box.height() > windowedLetters,
                              qPrintable(Describe(text)), 30000);
    const QString shot = QDir::temp().filePath("orvel-fullscreen-subtitle.png");
    window.screen()->grabWindow(0).save(shot);
    qInfo("the screen in full screen: %s", qPrintable(shot));

    Press(window, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(
        !(window.windowState() & Qt::WindowFullScreen) && window.geometry() == normal, 30000);
    QVERIFY(ui.BottomPanel()->isVisible() && ui.MenuStrip()->isVisible());
    QTRY_VERIFY2_WITH_TIMEOUT(LineAtTheBottomCentre(text = BrightTextOn(ui.VideoSurface())) &&
                                  text.surface.width() < window.screen()->size().width(),
                              qPrintable(Describe(text)), 30000);
    window.StopBtn();
}

void FullScreenRealEngineTest::controlBarComesAtTheBottomEdge()
{
    WindowFixture fixture(WindowFixture::Shown::Active, QSize(1000, 680));
    QVERIFY(fixture.Ready());
    DRUI &window = fixture.window;
    DRUITestAccess ui(window);
    QWidget *bar = ui.BottomPanel();
    QScreen *screen = window.screen();
    const QRect area = screen->geometry();
    window.OpenMediaFiles({film});
    QTRY_VERIFY_WITH_TIMEOUT(ui.IsPlaying() && ui.ClockMs() > 500, 30000);
    QCursor::setPos(screen, area.center());
    Press(window, Qt::Key_F);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsWholeScreen(window), 30000);
    QVERIFY(!bar->isVisible());

    // The pointer comes to the bottom edge, over the engine's picture: the bar comes up at
    // the bottom of the screen, with the pointer shown.
    QCursor::setPos(screen, area.center().x(), area.bottom());
    QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 30000);
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(bar->mapToGlobal(QPoint(0, bar->height())).y(), area.bottom() + 1,
                              30000);
    // Left for the picture and resting there: the bar goes, and the pointer with it.
    QCursor::setPos(screen, area.center().x(), area.height() / 3);
    QTRY_VERIFY_WITH_TIMEOUT(!bar->isVisible() && window.cursor().shape() == Qt::BlankCursor,
                             FullScreenBarRules::HideAfterMs + 8000);
    // A move shows the pointer again; the bar waits for the edge.
    QCursor::setPos(screen, area.center().x() + 40, area.height() / 3 + 40);
    QTRY_COMPARE_WITH_TIMEOUT(window.cursor().shape(), Qt::ArrowCursor, 30000);
    QVERIFY(!bar->isVisible());

    Press(window, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!(window.windowState() & Qt::WindowFullScreen), 30000);
    QVERIFY(bar->isVisible() && ui.MenuStrip()->isVisible());
    QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    window.StopBtn();
}

int main(int argc, char *argv[])
{
    const DisplayWithWindowManager display;
    QApplication application(argc, argv);
    FullScreenRealEngineTest test(display.Managed());
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_fullscreen_real_engine.moc"
