#include "SessionHarness.h"
#include "platform/AppFolders.h"
#include "platform/ChildProcess.h"
#include "platform/CommandLine.h"
#include "platform/KeepAwake.h"
#include "platform/LogMessageHandler.h"
#include "platform/PathBytes.h"
#include "platform/ResultMailbox.h"
#include "platform/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Stands in for the desktop's screen saver on a private bus and records what it is asked.
class ScreenSaverStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;
public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        calls << application + "|" + reason;
        return 4242;
    }
};

static QString ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

class PlatformTest : public QObject
{
    Q_OBJECT
private slots:
    void logHandlerKeepsOnlyDebugMessages();
    void logFollowsTheCurrentDirectory();
    void logIsNotWrittenIntoAPipe();
    void lateResultsAreDroppedNotWaitedFor();
    void secondInstanceFindsTheFirstAndAsksItToShow();
    void runtimeFolderIsTheUsersOwn_data();
    void runtimeFolderIsTheUsersOwn();
    void dataFolderBesideTheExecutableOrInstalled();
    void commandLine_data();
    void commandLine();
    void namesTravelAsBytes_data();
    void namesTravelAsBytes();
    void lossyNameFromTheDialogIsFound();
    void childGetsTheExactBytes();
    void staleLockOfADeadProcessDoesNotBlockTheStart();
    void keepAwakeInhibitsOnTheSessionBus();
    void keepAwakeWithoutBusDoesNothing();
    void secondRealStartExitsAndLeavesOneWindow();
    void realProgramInhibitsTheScreenSaver();
};

void PlatformTest::logHandlerKeepsOnlyDebugMessages()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        QFile earlier("Log.txt");
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier line\n");
    }
    const QMessageLogContext context;
    LogMessageHandler(QtWarningMsg, context, "a warning");
    LogMessageHandler(QtCriticalMsg, context, "a critical");
    LogMessageHandler(QtInfoMsg, context, "an info");
    LogMessageHandler(QtDebugMsg, context, "first debug");
    LogMessageHandler(QtDebugMsg, context, QString::fromUtf8("zweite Meldung äö"));
    QDir::setCurrent(previous);
    QCOMPARE(ReadAll(dir.filePath("Log.txt")),
             QString::fromUtf8("earlier line\nDebug: first debug\nDebug: zweite Meldung äö\n"));
}

void PlatformTest::logFollowsTheCurrentDirectory()
{
    QTemporaryDir first;
    QTemporaryDir second;
    const QString previous = QDir::currentPath();
    const QMessageLogContext context;
    QDir::setCurrent(first.path());
    LogMessageHandler(QtDebugMsg, context, "one");
    QDir::setCurrent(second.path());
    LogMessageHandler(QtDebugMsg, context, "two");
    QDir::setCurrent(previous);
    QCOMPARE(ReadAll(first.filePath("Log.txt")), QString("Debug: one\n"));
    QCOMPARE(ReadAll(second.filePath("Log.txt")), QString("Debug: two\n"));
}

void PlatformTest::logIsNotWrittenIntoAPipe()
{
    QTemporaryDir dir;
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("Log.txt")).constData(), 0600) == 0);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    auto logged = std::async(std::launch::async, [] {
        LogMessageHandler(QtDebugMsg, QMessageLogContext(), "to nobody");
    });
    const bool returned = logged.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned) {
        // Read the pipe, so that the waiting writer goes and the failure is reported.
        QFile reader("Log.txt");
        reader.open(QIODevice::ReadOnly);
        logged.wait();
    }
    QDir::setCurrent(previous);
    QVERIFY2(returned, "the log waited for a reader of the pipe");
}

void PlatformTest::lateResultsAreDroppedNotWaitedFor()
{
    auto receiver = std::make_unique<QObject>();
    auto mailbox = std::make_shared<ResultMailbox>(receiver.get());
    int delivered = 0;
    const auto postFromAThread = [&mailbox, &delivered] {
        std::thread([mailbox, &delivered] { mailbox->Post([&delivered] { ++delivered; }); }).join();
    };
    postFromAThread();
    QCOMPARE(delivered, 0); // in the receiver's thread, from its event loop
    QTRY_COMPARE(delivered, 1);

    // One posted before the receiver goes, one after: neither runs.
    postFromAThread();
    mailbox->Close();
    receiver.reset();
    postFromAThread();
    // A fixed wait, as nothing may happen in it: a delivery would come from the event loop.
    QTest::qWait(50);
    QCOMPARE(delivered, 1);
}

void PlatformTest::secondInstanceFindsTheFirstAndAsksItToShow()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("instance.lock");
    const QString server = QStringLiteral("orvel-test-%1").arg(QCoreApplication::applicationPid());

    SingleInstance first(lock, server);
    QVERIFY(!first.IsOtherInstanceRunning());
    QVERIFY(first.Listen());
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    QSignalSpy opened(&first, &SingleInstance::openRequested);

    // The second start runs in another process, as it does for real: a lock held by this
    // process would not stop another lock object of the same process. Its paths carry what
    // a line-based request could break on.
    const QStringList paths{dir.filePath(QString::fromUtf8("two\nlines %41 é 影片.mkv")),
                            dir.filePath("open show"), "/"};
    QProcess second;
    second.setProgram(QCoreApplication::applicationFilePath());
    second.setArguments(QStringList{"--as-second-instance", lock, server} + paths);
    second.start();
    QVERIFY(second.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 30000);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.first().first().toStringList(), paths);
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 3); // the helper's code for "another instance runs"
}

void PlatformTest::runtimeFolderIsTheUsersOwn_data()
{
    QTest::addColumn<QString>("xdgMode"); // "missing", or the folder's permission bits
    QTest::addColumn<bool>("tempClaimedByAnother");
    QTest::addColumn<QString>("expected"); // "xdg", "temp" or "home"
    QTest::newRow("private runtime folder") << "0700" << false << "xdg";
    QTest::newRow("no runtime folder") << "missing" << false << "temp";
    QTest::newRow("runtime folder others may enter") << "0755" << false << "temp";
    QTest::newRow("temporary name taken by someone else") << "missing" << true << "home";
}

void PlatformTest::runtimeFolderIsTheUsersOwn()
{
    QFETCH(QString, xdgMode);
    QFETCH(bool, tempClaimedByAnother);
    QFETCH(QString, expected);
    QTemporaryDir root;
    const QString xdg = root.filePath("runtime");
    const QString temp = root.filePath("tmp");
    const QString home = root.filePath("home/data");
    QVERIFY(QDir().mkpath(temp));
    const uint uid = ::getuid();
    if (xdgMode != "missing") {
        QVERIFY(QDir().mkpath(xdg));
        QCOMPARE(::chmod(QFile::encodeName(xdg).constData(), xdgMode.toUInt(nullptr, 8)), 0);
    }
    const QString own = temp + QStringLiteral("/orvel-bluray-player-%1").arg(uid);
    if (tempClaimedByAnother) {
        if (uid != 0) {
            QSKIP("giving a folder to another user needs root");
        }
        QVERIFY(QDir().mkpath(own));
        QCOMPARE(::chown(QFile::encodeName(own).constData(), 54321, 54321), 0);
    }
    const QString chosen = AppFolders::ChooseRuntimeFolder(xdg, temp, uid, home);
    const QString wanted = expected == "xdg" ? xdg : expected == "temp" ? own : home;
    QCOMPARE(chosen, wanted + "/");
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(wanted).constData(), &info), 0);
    QCOMPARE(info.st_uid, uid);
    if (expected == "temp") {
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
    }
}

void PlatformTest::dataFolderBesideTheExecutableOrInstalled()
{
    QTemporaryDir prefix;
    QVERIFY(QDir().mkpath(prefix.filePath("bin")));
    const QString installed = AppFolders::ChooseProgramDataFolder(
        prefix.filePath("bin"), QStringLiteral("../share/orvel-bluray-player"));
    QCOMPARE(installed, prefix.filePath("share/orvel-bluray-player"));
    // A build folder holds the settings beside the executable.
    QFile settings(prefix.filePath("bin/config.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.close();
    QCOMPARE(AppFolders::ChooseProgramDataFolder(prefix.filePath("bin"),
                                                 QStringLiteral("../share/orvel-bluray-player")),
             prefix.filePath("bin"));
}

void PlatformTest::commandLine_data()
{
    // Arguments use "@" for the test folder; expected paths are relative to it.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QStringList>("unknown");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("version");
    QTest::newRow("relative file and folder")
        << QStringList{"clip one.mkv", "./disc/../disc"} << QStringList{"clip one.mkv", "disc"} << 0
        << QStringList() << false << false;
    QTest::newRow("absolute path") << QStringList{"@/clip one.mkv"} << QStringList{"clip one.mkv"}
                                   << 0 << QStringList() << false << false;
    QTest::newRow("file address with escapes")
        << QStringList{"file://@/clip%20one.mkv", QString::fromUtf8("file://@/%E5%BD%B1.mkv")}
        << QStringList{"clip one.mkv", QString::fromUtf8("影.mkv")} << 0 << QStringList() << false
        << false;
    QTest::newRow("name that is not UTF-8, given and as an address")
        << QStringList{PathBytes::FromBytes("caf\xe9.mkv"), "file://@/caf%E9.mkv"}
        << QStringList{PathBytes::FromBytes("caf\xe9.mkv"), PathBytes::FromBytes("caf\xe9.mkv")}
        << 0 << QStringList() << false << false;
    QTest::newRow("missing file and network address are skipped, the rest kept")
        << QStringList{"gone.mkv", "http://example.org/a.mkv", "file://otherhost/x.mkv",
                       "clip one.mkv"}
        << QStringList{"clip one.mkv"} << 3 << QStringList() << false << false;
    QTest::newRow("double dash ends the options")
        << QStringList{"--", "-dash.mkv", "--help"} << QStringList{"-dash.mkv"} << 1
        << QStringList() << false << false;
    QTest::newRow("help and version")
        << QStringList{"-h", "clip one.mkv", "--version"} << QStringList{"clip one.mkv"} << 0
        << QStringList() << true << true;
    QTest::newRow("unknown option") << QStringList{"--fullscreen", "-"} << QStringList() << 1
                                    << QStringList{"--fullscreen"} << false << false;
    // Qt takes its own options later; the program must not judge them or their values.
    QTest::newRow("toolkit options with their values")
        << QStringList{"-platform", "xcb",           "--display",   ":1",
                       "-reverse",  "-style=fusion", "clip one.mkv"}
        << QStringList{"clip one.mkv"} << 0 << QStringList() << false << false;
    QTest::newRow("toolkit option name as a path after the double dash")
        << QStringList{"--", "-dash.mkv", "-platform"} << QStringList{"-dash.mkv"} << 1
        << QStringList() << false << false;
}

void PlatformTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, paths);
    QFETCH(int, skipped);
    QFETCH(QStringList, unknown);
    QFETCH(bool, help);
    QFETCH(bool, version);
    QTemporaryDir dir;
    for (const QString &name : {QStringLiteral("clip one.mkv"), QString::fromUtf8("影.mkv"),
                                QStringLiteral("-dash.mkv")}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir("disc"));
    // Made and removed by its bytes; Qt could not name it.
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xe9.mkv";
    const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);
    const auto removeLatin1 = qScopeGuard([&latin1] { ::unlink(latin1.constData()); });
    for (QString &argument : arguments) {
        argument.replace("@", dir.path());
    }
    const CommandLineRequest request =
        ParseCommandLine(WithoutToolkitOptions(arguments), dir.path());
    QStringList expected;
    for (const QString &path : paths) {
        expected << dir.filePath(path);
    }
    QCOMPARE(request.paths, expected);
    QCOMPARE(request.skipped.size(), skipped);
    QCOMPARE(request.unknownOptions, unknown);
    QCOMPARE(request.showHelp, help);
    QCOMPARE(request.showVersion, version);
}

void PlatformTest::namesTravelAsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("ASCII") << QByteArray("/v/clip one.mkv") << true;
    QTest::newRow("UTF-8 of two, three and four bytes")
        << QByteArray("/v/\xc3\xa9 \xe5\xbd\xb1 \xf0\x9f\x8e\xac.mkv") << true;
    QTest::newRow("Latin-1") << QByteArray("/v/caf\xe9.mkv") << false;
    QTest::newRow("lone continuation bytes") << QByteArray("/v/\x80\xbf/x") << false;
    QTest::newRow("overlong slash") << QByteArray("/v/\xc0\xaf.mkv") << false;
    QTest::newRow("encoded surrogate") << QByteArray("/v/\xed\xa0\x80.mkv") << false;
    QTest::newRow("past U+10FFFF") << QByteArray("/v/\xf4\x90\x80\x80") << false;
    QTest::newRow("sequence cut at the end") << QByteArray("/v/\xe5\xbd") << false;
    // What an escaped byte turns into, had the name held it as UTF-8 itself.
    QTest::newRow("escape look-alike is plain UTF-8") << QByteArray("/v/\xee\xb3\xa9") << true;
}

void PlatformTest::namesTravelAsBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    const QString path = PathBytes::FromBytes(bytes);
    QCOMPARE(PathBytes::ToBytes(path), bytes);
    QCOMPARE(PathBytes::HasForeignBytes(path), !utf8);
    if (utf8) {
        QCOMPARE(path, QString::fromUtf8(bytes));
    }
    // The shown name holds no lone surrogate, which no font or D-Bus message could carry.
    const QString shown = PathBytes::Readable(path);
    QCOMPARE(QString::fromUtf8(shown.toUtf8()), shown);
    QCOMPARE(shown == path, utf8);
    // An address carries every byte too.
    QCOMPARE(PathBytes::FromFileUrl(QUrl::fromEncoded(PathBytes::ToFileUrl(path))), path);
}

void PlatformTest::lossyNameFromTheDialogIsFound()
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray name = folder + "/caf\xe9.mkv";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);
    const auto remove = qScopeGuard([&name] { ::unlink(name.constData()); });
    // What Qt's dialog hands back for it.
    const QString lossy = QString::fromUtf8(name);
    QVERIFY(!PathBytes::Exists(lossy));
    QCOMPARE(PathBytes::RecoverLossyPath(lossy), PathBytes::FromBytes(name));
    QVERIFY(PathBytes::Exists(PathBytes::RecoverLossyPath(lossy)));
    // A name that exists, or one with no stand-in character, is left as it is.
    QCOMPARE(PathBytes::RecoverLossyPath(dir.path()), dir.path());
    QCOMPARE(PathBytes::RecoverLossyPath(dir.filePath("gone\uFFFD")), dir.filePath("gone\uFFFD"));
}

void PlatformTest::childGetsTheExactBytes()
{
    QProcess child;
    QProcessEnvironment environment;
    environment.insert("ORVEL_MARK", "set");
    child.setProcessEnvironment(environment);
    ChildProcess::EndWithParent(child);
    const QByteArray name = "/v/caf\xe9 \xe5\xbd\xb1.mkv";
    ChildProcess::Start(
        child, "sh",
        {"-c", "printf '%s|%s' \"$1\" \"$ORVEL_MARK\"", "sh", PathBytes::FromBytes(name)});
    QVERIFY(child.waitForFinished(5000));
    QCOMPARE(child.readAllStandardOutput(), name + "|set");
}

void PlatformTest::staleLockOfADeadProcessDoesNotBlockTheStart()
{
    QTemporaryDir dir;
    const QString lock = dir.filePath("instance.lock");
    // An instance that is killed leaves its lock file behind.
    QProcess crashed;
    crashed.setProgram(QCoreApplication::applicationFilePath());
    crashed.setArguments({"--hold-lock", lock});
    crashed.start();
    QVERIFY(crashed.waitForReadyRead(5000));
    QCOMPARE(crashed.readAll().trimmed(), QByteArray("locked"));
    crashed.kill();
    QVERIFY(crashed.waitForFinished(5000));
    QVERIFY(QFile::exists(lock));

    SingleInstance instance(
        lock, QStringLiteral("orvel-stale-%1").arg(QCoreApplication::applicationPid()));
    QVERIFY(!instance.IsOtherInstanceRunning());
}

void PlatformTest::keepAwakeInhibitsOnTheSessionBus()
{
    PrivateBus bus;
    QVERIFY2(!bus.address.isEmpty(), "dbus-daemon did not start");
    QDBusConnection service = QDBusConnection::connectToBus(bus.address, "service");
    QVERIFY(service.isConnected());
    ScreenSaverStandIn standIn;
    QVERIFY(service.registerObject("/org/freedesktop/ScreenSaver", &standIn,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService("org.freedesktop.ScreenSaver"));

    QDBusConnection client = QDBusConnection::connectToBus(bus.address, "client");
    KeepAwake keepAwake;
    QSignalSpy inhibited(&keepAwake, &KeepAwake::inhibited);
    keepAwake.Inhibit(client, "Orvel BluRay Player", "Playing media");
    QTRY_COMPARE_WITH_TIMEOUT(inhibited.count(), 1, 30000);
    QCOMPARE(standIn.calls, QStringList{"Orvel BluRay Player|Playing media"});
    QCOMPARE(keepAwake.Cookie(), 4242u);
    QDBusConnection::disconnectFromBus("client");
    QDBusConnection::disconnectFromBus("service");
}

void PlatformTest::keepAwakeWithoutBusDoesNothing()
{
    QDBusConnection none =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none");
    QVERIFY(!none.isConnected());
    KeepAwake keepAwake;
    keepAwake.Inhibit(none, "Orvel BluRay Player", "Playing media");
    // A fixed wait, as nothing may happen in it: no cookie can come without a bus.
    QTest::qWait(200);
    QVERIFY(!keepAwake.HasCookie());
}

// Runs the real program in a private environment: its own temporary folder (so its
// per-machine lock does not meet a player the developer may be running), home and bus.
static QProcessEnvironment PlayerEnvironment(const QString &root, const QString &busAddress)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", root + "/tmp");
    environment.insert("HOME", root + "/home");
    environment.insert("XDG_CONFIG_HOME", root + "/home/.config");
    environment.insert("XDG_DATA_HOME", root + "/home/.local/share");
    environment.insert("XDG_RUNTIME_DIR", root + "/runtime");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    environment.remove("QT_QPA_PLATFORM");
    for (const char *sub : {"/tmp", "/home", "/runtime"}) {
        QDir().mkpath(root + sub);
    }
    QFile::setPermissions(root + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return environment;
}

void PlatformTest::secondRealStartExitsAndLeavesOneWindow()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs an X display (the test command starts one)");
    }
    QTemporaryDir root;
    PrivateBus bus;
    const QProcessEnvironment environment = PlayerEnvironment(root.path(), bus.address);
    QCOMPARE(CountPlayerWindows(), 0);

    QProcess first;
    first.setProcessEnvironment(environment);
    first.setWorkingDirectory(root.path());
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(ORVEL_PLAYER_EXECUTABLE, {});
    QVERIFY(first.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(CountPlayerWindows() == 1 || first.state() != QProcess::Running,
                             30000);
    QVERIFY2(CountPlayerWindows() == 1, qPrintable("the player shows no window; it said: " +
                                                   QString::fromLocal8Bit(first.readAll())));

    QProcess second;
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(root.path());
    second.start(ORVEL_PLAYER_EXECUTABLE, {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(CountPlayerWindows(), 1);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(5000);
    }
}

void PlatformTest::realProgramInhibitsTheScreenSaver()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs an X display (the test command starts one)");
    }
    PrivateBus bus;
    QVERIFY(!bus.address.isEmpty());
    QDBusConnection service = QDBusConnection::connectToBus(bus.address, "player-service");
    ScreenSaverStandIn standIn;
    QVERIFY(service.registerObject("/org/freedesktop/ScreenSaver", &standIn,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(service.registerService("org.freedesktop.ScreenSaver"));

    QTemporaryDir root;
    QProcess player;
    player.setProcessEnvironment(PlayerEnvironment(root.path(), bus.address));
    player.setWorkingDirectory(root.path());
    player.start(ORVEL_PLAYER_EXECUTABLE, {});
    QVERIFY(player.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(standIn.calls.size(), 1, 30000);
    QVERIFY(standIn.calls.first().startsWith("Orvel BluRay Player|"));
    player.kill();
    player.waitForFinished(5000);
    QDBusConnection::disconnectFromBus("player-service");
}

// The test binary doubles as a second start for secondInstanceFindsTheFirstAndAsksItToShow.
int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--hold-lock") {
        QCoreApplication application(argc, argv);
        SingleInstance instance(QString::fromLocal8Bit(argv[2]), QStringLiteral("unused"));
        if (instance.IsOtherInstanceRunning()) {
            return 1;
        }
        fputs("locked\n", stdout);
        fflush(stdout);
        QThread::sleep(60);
        return 0;
    }
    if (argc >= 4 && QByteArray(argv[1]) == "--as-second-instance") {
        QCoreApplication application(argc, argv);
        SingleInstance instance(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        if (!instance.IsOtherInstanceRunning()) {
            return 1;
        }
        return instance.SendToRunningInstance(QCoreApplication::arguments().mid(4)) ? 3 : 2;
    }
    QCoreApplication application(argc, argv);
    PlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
