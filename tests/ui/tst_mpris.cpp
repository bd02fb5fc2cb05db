// The desktop's media controls: a real client (playerctl) on a private session bus drives a
// real session in the window, and what the bus announces is checked against the window.
#include "DRUITestAccess.h"
#include "TestMedia.h"
#include "WindowFixture.h"
#include "ui/CMessageBox.h"
#include "ui/MprisService.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QLabel>
#include <QStandardPaths>
#include <QtTest>

#include <sys/stat.h>

#include "SessionHarness.h"

// Records the PropertiesChanged signals of the player interface as a client receives them.
class ChangeListener : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;
public slots:
    void OnChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        if (interface == QLatin1String("org.mpris.MediaPlayer2.Player")) {
            changes << changed;
        }
    }
};

class MprisTest : public QObject
{
    Q_OBJECT
private slots:
    void clientDrivesARealSession();

private:
    QString MakeClip(const QString &name);
    QString Playerctl(const QStringList &arguments);
    QTemporaryDir dir;
    MediaMaker maker{TestMediaCache()};
    QString busAddress;
};

QString MprisTest::MakeClip(const QString &name)
{
    MediaMaker::FileRequest clip;
    clip.width = 160;
    clip.height = 120;
    clip.framesPerSecond = 10;
    clip.seconds = 30;
    clip.tones = {{}};
    const QString path = dir.filePath(name);
    return maker.MakeFileAs(clip, path, nullptr) ? path : QString();
}

// Runs playerctl against the window's bus name while the window keeps serving requests.
QString MprisTest::Playerctl(const QStringList &arguments)
{
    QProcess client;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    client.setProcessEnvironment(environment);
    client.start("playerctl", QStringList{"--player=orvel_bluray_player"} + arguments);
    if (!client.waitForStarted(5000) ||
        !QTest::qWaitFor([&client] { return client.state() == QProcess::NotRunning; }, 30000)) {
        return QStringLiteral("<playerctl did not finish>");
    }
    return QString::fromUtf8(client.readAllStandardOutput()).trimmed();
}

void MprisTest::clientDrivesARealSession()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QSKIP("the engine draws into an X11 window: run under X (the test command starts Xvfb)");
    }
    QVERIFY2(!QStandardPaths::findExecutable("playerctl").isEmpty(),
             "playerctl is needed (scripts/install-deps.sh installs it)");
    QStandardPaths::setTestModeEnabled(true);
    const QString first = MakeClip("first.mkv");
    const QString second = MakeClip("second.mkv");
    QVERIFY(!first.isEmpty() && !second.isEmpty());

    PrivateBus bus;
    QVERIFY(!bus.address.isEmpty());
    busAddress = bus.address;
    QDBusConnection service = QDBusConnection::connectToBus(bus.address, "service");
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, "client");
    ChangeListener listener;
    QVERIFY(client.connect(QString(), "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                           "PropertiesChanged", &listener,
                           SLOT(OnChanged(QString, QVariantMap, QStringList))));

    {
        WindowFixture fixture;
        QVERIFY(fixture.Ready());
        DRUI &window = fixture.window;
        DRUITestAccess ui(window);
        MprisService mpris(window.Controller());
        QVERIFY(mpris.Register(service));
        QCOMPARE(Playerctl({"status"}), QStringLiteral("Stopped"));

        window.OpenMediaFiles({first, second});
        QTRY_COMPARE_WITH_TIMEOUT(Playerctl({"status"}), QStringLiteral("Playing"), 30000);
        QCOMPARE(Playerctl({"metadata", "xesam:title"}), QStringLiteral("first.mkv"));
        // The length is measured beside the engine and follows shortly.
        QTRY_COMPARE_WITH_TIMEOUT(Playerctl({"metadata", "mpris:length"}),
                                  QStringLiteral("30000000"), 30000);

        Playerctl({"pause"});
        QVERIFY(!ui.IsPlaying());
        QVERIFY(!ui.TimerActive());
        QCOMPARE(ui.PlayPause()->data().toString(), QStringLiteral("Resume"));
        QCOMPARE(Playerctl({"status"}), QStringLiteral("Paused"));
        QTRY_VERIFY_WITH_TIMEOUT(!listener.changes.isEmpty() &&
                                     listener.changes.last().value("PlaybackStatus") == "Paused",
                                 30000);

        // An absolute position, as a desktop shell's progress bar sets it.
        QElapsedTimer sinceSeek;
        sinceSeek.start();
        Playerctl({"position", "12"});
        QCOMPARE(ui.Seek()->value(), 12);
        // The clock runs on from the seek in real time: no further than the time since the
        // request, and the second the engine's answers may pull it by.
        QVERIFY2(ui.ClockMs() >= 12000 && ui.ClockMs() < 13000 + sinceSeek.elapsed(),
                 qPrintable(QStringLiteral("%1 ms, %2 ms after the request")
                                .arg(ui.ClockMs())
                                .arg(sinceSeek.elapsed())));
        QVERIFY(ui.IsPlaying()); // a seek resumes, as a click on the seek bar does
        const double position = Playerctl({"position"}).toDouble();
        QVERIFY2(position >= 12.0 && position < 13.0 + sinceSeek.elapsed() / 1000.0,
                 qPrintable(QString::number(position)));

        // A step from where it is, as media keys' skip does.
        // The clock has moved on a little since the seek to 12.
        Playerctl({"position", "5+"});
        QVERIFY2(ui.Seek()->value() >= 17 && ui.Seek()->value() <= 18,
                 qPrintable(QString::number(ui.Seek()->value())));

        Playerctl({"volume", "0.3"});
        QCOMPARE(ui.Volume()->value(), 30);

        // The rate, as a desktop's speed control sets it: the engine plays at it, and the
        // bounds the player keeps are told.
        const auto call = [&client](const QString &method, const QVariantList &arguments) {
            QDBusMessage message = QDBusMessage::createMethodCall(
                "org.mpris.MediaPlayer2.orvel_bluray_player", "/org/mpris/MediaPlayer2",
                "org.freedesktop.DBus.Properties", method);
            message.setArguments(arguments);
            QDBusPendingCall pending = client.asyncCall(message);
            if (!QTest::qWaitFor([&pending] { return pending.isFinished(); }, 30000))
                qWarning("no answer over the bus for %s", qPrintable(method));
            return pending.reply();
        };
        const auto rateProperty = [&call](const char *name) {
            const QDBusMessage reply = call("Get", {"org.mpris.MediaPlayer2.Player", name});
            return reply.arguments().value(0).value<QDBusVariant>().variant().toDouble();
        };
        QCOMPARE(rateProperty("Rate"), 1.0);
        QCOMPARE(rateProperty("MinimumRate"), 0.5);
        QCOMPARE(rateProperty("MaximumRate"), 2.0);
        QCOMPARE(call("Set", {"org.mpris.MediaPlayer2.Player", "Rate",
                              QVariant::fromValue(QDBusVariant(1.5))})
                     .type(),
                 QDBusMessage::ReplyMessage);
        QCOMPARE(rateProperty("Rate"), 1.5);
        QTRY_VERIFY_WITH_TIMEOUT(
            !listener.changes.isEmpty() && listener.changes.last().value("Rate") == 1.5, 30000);
        QString engineSpeed;
        connect(&ui.Session(), &PlaybackSession::propertyAnswered,
                [&engineSpeed](const QString &name, const QString &value) {
                    if (name == "speed")
                        engineSpeed = value;
                });
        ui.Session().AskEngine("speed");
        QTRY_COMPARE_WITH_TIMEOUT(engineSpeed, QStringLiteral("1.500000"), 30000);
        call("Set",
             {"org.mpris.MediaPlayer2.Player", "Rate", QVariant::fromValue(QDBusVariant(1.0))});
        QCOMPARE(rateProperty("Rate"), 1.0);

        listener.changes.clear();
        Playerctl({"next"});
        QTRY_COMPARE_WITH_TIMEOUT(Playerctl({"metadata", "xesam:title"}),
                                  QStringLiteral("second.mkv"), 30000);
        QCOMPARE(ui.LoadedPath(), second);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::any_of(listener.changes.cbegin(), listener.changes.cend(),
                        [](const QVariantMap &changed) { return changed.contains("Metadata"); }),
            30000);

        // A file the desktop asks to open goes the way of a file from the command line.
        Playerctl({"open", QUrl::fromLocalFile(first).toString()});
        QTRY_COMPARE_WITH_TIMEOUT(Playerctl({"metadata", "xesam:title"}),
                                  QStringLiteral("first.mkv"), 30000);
        QCOMPARE(ui.LoadedPath(), first);

        // A file that is not there leaves what plays alone and says why: in the log, and in
        // a notice when the window is in front.
        QString notice;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&notice] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<CMessageBox *>(top);
                if (!box || !box->isVisible()) {
                    continue;
                }
                for (const QLabel *label : box->findChildren<QLabel *>()) {
                    notice += label->text();
                }
                box->btnSlotOK();
            }
        });
        closer.start(50);
        // So does what is there but cannot be played: a pipe, a folder that is no
        // disc, a damaged image. The call is answered at once, before the notice.
        const QString folder = QFileInfo(first).path();
        QVERIFY(::mkfifo(QFile::encodeName(folder + "/pipe.mkv").constData(), 0600) == 0);
        QVERIFY(QDir().mkpath(folder + "/not a disc"));
        QFile damaged(folder + "/damaged.iso");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(64 * 1024, 'x'));
        damaged.close();
        for (const QString &refused : {folder + "/gone.mkv", folder + "/pipe.mkv",
                                       folder + "/not a disc", folder + "/damaged.iso"}) {
            notice.clear();
            window.activateWindow();
            const bool inFront = QTest::qWaitForWindowActive(&window, 2000);
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("(does not exist|cannot be played)"));
            QElapsedTimer answered;
            answered.start();
            Playerctl({"open", QUrl::fromLocalFile(refused).toString()});
            const qint64 openMs = answered.elapsed();
            answered.restart();
            QCOMPARE(Playerctl({"status"}), QStringLiteral("Playing"));
            // The refusal is answered as soon as a plain question is, not when the notice goes.
            const qint64 statusMs = answered.elapsed();
            QVERIFY2(
                openMs < statusMs + 5000,
                qPrintable(QStringLiteral("open %1 ms, status %2 ms").arg(openMs).arg(statusMs)));
            QCOMPARE(ui.LoadedPath(), first);
            if (inFront) {
                QTRY_VERIFY2_WITH_TIMEOUT(notice.contains(refused),
                                          qPrintable(refused + " | " + notice), 30000);
            } else {
                qInfo("the window did not come to the front; the notice is not checked");
            }
        }
        closer.stop();

        Playerctl({"stop"});
        QCOMPARE(ui.PageStack()->currentIndex(), 0);
        QCOMPARE(Playerctl({"status"}), QStringLiteral("Stopped"));
    }
    QDBusConnection::disconnectFromBus("client");
    QDBusConnection::disconnectFromBus("service");
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    MprisTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mpris.moc"
