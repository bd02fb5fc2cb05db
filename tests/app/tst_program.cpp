// Starts the real program in private surroundings (its own home, runtime folder and session
// bus) and watches it from outside: through the X server's window list and through the
// desktop media-player interface on the bus, as a desktop shell would.
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "SessionHarness.h"
#include "TestMedia.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString mprisName = QStringLiteral("org.mpris.MediaPlayer2.orvel_bluray_player");

// A property of the player interface as a client reads it; invalid while nobody answers.
QVariant PlayerProperty(const PrivateBus &bus, const QString &name)
{
    QDBusConnection connection = QDBusConnection::connectToBus(bus.address, bus.address);
    QDBusInterface properties(mprisName, "/org/mpris/MediaPlayer2",
                              "org.freedesktop.DBus.Properties", connection);
    const QDBusReply<QVariant> reply =
        properties.call("Get", "org.mpris.MediaPlayer2.Player", name);
    return reply.isValid() ? reply.value() : QVariant();
}

QVariantMap Metadata(const PrivateBus &bus)
{
    QVariantMap map;
    PlayerProperty(bus, "Metadata").value<QDBusArgument>() >> map;
    return map;
}

// The address of what plays, empty while nothing does.
QString PlayingUrl(const PrivateBus &bus)
{
    if (PlayerProperty(bus, "PlaybackStatus").toString() != "Playing") {
        return {};
    }
    return Metadata(bus).value("xesam:url").toString();
}

// The surroundings of one user's session below root: home, data, settings, runtime folder.
QProcessEnvironment SessionEnvironment(const QString &root, const QString &busAddress)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", root + "/home");
    environment.insert("XDG_CONFIG_HOME", root + "/home/.config");
    environment.insert("XDG_DATA_HOME", root + "/home/.local/share");
    environment.insert("XDG_RUNTIME_DIR", root + "/runtime");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    environment.remove("QT_QPA_PLATFORM");
    for (const char *sub : {"/home", "/runtime"}) {
        QDir().mkpath(root + sub);
    }
    ::chmod(QFile::encodeName(root + "/runtime").constData(), 0700);
    return environment;
}

// The command line of the engine the player started, with its arguments as bytes.
QList<QByteArray> EngineArguments(qint64 playerPid)
{
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (name) state ppid ..."; the name may hold spaces, so count from its end.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 2 || fields[1].toLongLong() != playerPid) {
            continue;
        }
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (!cmdline.open(QIODevice::ReadOnly)) {
            continue;
        }
        QList<QByteArray> arguments = cmdline.readAll().split('\0');
        if (!arguments.isEmpty() && arguments.first().endsWith("mplayer")) {
            arguments.removeLast(); // after the last terminator
            return arguments;
        }
    }
    return {};
}

// Starts the program with arguments given as bytes, through the shell: QProcess would encode
// them as UTF-8 and so change every name that is not.
void StartWithByteArguments(QProcess &process, const QList<QByteArray> &arguments)
{
    QString script = QStringLiteral("exec \"$0\"");
    QStringList shellArguments{"-c", QString(), ORVEL_PLAYER_EXECUTABLE};
    for (const QByteArray &argument : arguments) {
        // Octal escapes for printf, so that the shell's own arguments stay ASCII.
        QString escaped;
        for (const char c : argument) {
            escaped += QStringLiteral("\\%1").arg(uint(uchar(c)), 3, 8, QLatin1Char('0'));
        }
        script += QStringLiteral(" \"$(printf '%1')\"").arg(escaped);
    }
    shellArguments[1] = script;
    process.start("/bin/sh", shellArguments);
}

void Stop(QProcess &process)
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
}

} // namespace

class ProgramTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void secondStartHandsItsFileToTheFirstWindow();
    void twoUsersEachGetAWindow();
    void installedProgramFindsItsDataAndPlays();
    void namesThatAreNotUtf8PlayFromTheCommandLineAndASecondStart();
    void settingsThatArePipesDoNotHoldTheStart();
    void aWaylandPlatformStillPlaysIntoItsWindow();
    void withoutAnXDisplayItSaysSo();

private:
    QTemporaryDir media;
    QString clip;
};

void ProgramTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QSKIP("needs an X display (the test command starts one)");
    }
    QVERIFY2(!QStandardPaths::findExecutable("mplayer").isEmpty() &&
                 !QStandardPaths::findExecutable("ffmpeg").isEmpty(),
             "mplayer and ffmpeg are needed (scripts/install-deps.sh installs them)");
    QCOMPARE(CountPlayerWindows(), 0);
    // Long enough that it still plays whenever a test looks.
    clip = media.filePath("clip.mkv");
    MediaMaker::FileRequest bars;
    bars.width = 160;
    bars.height = 120;
    bars.framesPerSecond = 10;
    bars.seconds = 60;
    QString error;
    QVERIFY2(MakeTestMedia(bars, clip, &error), qPrintable(error));
    // Other users must be able to reach the clip and the folders below the test's own.
    ::chmod(QFile::encodeName(media.path()).constData(), 0755);
}

void ProgramTest::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--version";
    QTest::newRow("version") << QStringList{"-v"} << 0
                             << QStringLiteral("orvel-bluray-player " ORVEL_VERSION);
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "unknown option --bogus";
    // Qt's own options are Qt's, with their values, also before Qt has seen them.
    QTest::newRow("toolkit option with its value")
        << QStringList{"-display", ":99", "--style=fusion", "--version"} << 0
        << QStringLiteral("orvel-bluray-player " ORVEL_VERSION);
}

void ProgramTest::helpAndVersionNeedNoDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(ORVEL_PLAYER_EXECUTABLE, arguments);
    QVERIFY(program.waitForFinished(10000));
    const QString output = QString::fromLocal8Bit(program.readAll());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, qPrintable(output));
    QVERIFY2(output.contains(expected), qPrintable(output));
}

void ProgramTest::secondStartHandsItsFileToTheFirstWindow()
{
    QTemporaryDir root;
    PrivateBus bus;
    QVERIFY(!bus.address.isEmpty());
    const QProcessEnvironment environment = SessionEnvironment(root.path(), bus.address);

    QProcess first;
    first.setProcessEnvironment(environment);
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(ORVEL_PLAYER_EXECUTABLE, {});
    QVERIFY(first.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(PlayerProperty(bus, "PlaybackStatus").toString() == "Stopped", 30000);

    // Given as a file manager's terminal would: relative to the folder it runs in. The
    // second start finds the window without a display of its own.
    QProcessEnvironment withoutDisplay = environment;
    withoutDisplay.remove("DISPLAY");
    withoutDisplay.remove("WAYLAND_DISPLAY");
    QProcess second;
    second.setProcessEnvironment(withoutDisplay);
    second.setWorkingDirectory(media.path());
    second.start(ORVEL_PLAYER_EXECUTABLE, {"clip.mkv"});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);

    QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(bus), QUrl::fromLocalFile(clip).toString(), 30000);

    // A name that is missing is left to the full reading of the command line, which names it
    // and still hands the rest over.
    const QString copy = media.filePath("clip copy.mkv");
    QVERIFY(QFile::exists(copy) || QFile::copy(clip, copy));
    QProcess third;
    third.setProcessEnvironment(withoutDisplay);
    third.setProcessChannelMode(QProcess::MergedChannels);
    third.setWorkingDirectory(media.path());
    third.start(ORVEL_PLAYER_EXECUTABLE, {"gone.mkv", "clip copy.mkv"});
    QVERIFY(third.waitForFinished(20000));
    const QString said = QString::fromLocal8Bit(third.readAll());
    QCOMPARE(third.exitCode(), 0);
    QVERIFY2(said.contains("gone.mkv: no such file or folder"), qPrintable(said));
    QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(bus),
                              QUrl::fromLocalFile(copy).toString(QUrl::FullyEncoded), 30000);
    QCOMPARE(CountPlayerWindows(), 1);
    QCOMPARE(first.state(), QProcess::Running);
    Stop(first);
}

void ProgramTest::twoUsersEachGetAWindow()
{
    // Another user is another uid; root can start a program as any uid, a user with sudo too.
    QStringList asOtherUser{"setpriv", "--reuid=54321", "--regid=54321", "--clear-groups", "--"};
    if (::getuid() != 0) {
        QProcess sudo;
        sudo.start("sudo", {"-n", "true"});
        if (!sudo.waitForFinished(5000) || sudo.exitCode() != 0) {
            QSKIP("starting the program as a second user needs root or password-less sudo");
        }
        asOtherUser.prepend("-n");
        asOtherUser.prepend("sudo");
    }
    QTemporaryDir scratch;
    ::chmod(QFile::encodeName(scratch.path()).constData(), 0755);
    PrivateBus bus;
    // One temporary folder for both, as on a real machine: a lock there would be everyone's.
    const QString sharedTemp = scratch.filePath("tmp");
    QDir().mkpath(sharedTemp);
    ::chmod(QFile::encodeName(sharedTemp).constData(), 01777);

    QProcess first;
    QProcessEnvironment firstEnvironment =
        SessionEnvironment(scratch.filePath("first"), bus.address);
    firstEnvironment.insert("TMPDIR", sharedTemp);
    first.setProcessEnvironment(firstEnvironment);
    first.start(ORVEL_PLAYER_EXECUTABLE, {});
    QVERIFY(first.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(CountPlayerWindows(), 1, 30000);

    // The second person has no runtime folder of their own set and no bus this test can
    // give them: the program falls back to a folder of theirs in the temporary folder.
    const QString other = scratch.filePath("other");
    QProcessEnvironment environment = SessionEnvironment(other, "unix:path=/nonexistent");
    environment.remove("XDG_RUNTIME_DIR");
    environment.insert("TMPDIR", sharedTemp);
    QProcess chown;
    chown.start("chown", {"-R", "54321:54321", other + "/home"});
    QVERIFY(chown.waitForFinished(5000) && chown.exitCode() == 0);

    const auto startAsOther = [&](QProcess &process) {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(asOtherUser.first(),
                      asOtherUser.mid(1) + QStringList{ORVEL_PLAYER_EXECUTABLE, clip});
        return process.waitForStarted(5000);
    };
    QProcess second;
    QVERIFY(startAsOther(second));
    QTRY_VERIFY_WITH_TIMEOUT(CountPlayerWindows() == 2 || second.state() != QProcess::Running,
                             30000);
    QVERIFY2(CountPlayerWindows() == 2,
             qPrintable("the second user's player shows no window; it said: " +
                        QString::fromLocal8Bit(second.readAll())));
    struct stat lock;
    QCOMPARE(::stat(QFile::encodeName(sharedTemp + "/orvel-bluray-player-54321/"
                                                   "orvel-bluray-player.lock")
                        .constData(),
                    &lock),
             0);
    QCOMPARE(lock.st_uid, uid_t(54321));

    // Each person's later start still finds their own window and leaves it at that.
    QProcess again;
    QVERIFY(startAsOther(again));
    QVERIFY(again.waitForFinished(20000));
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(CountPlayerWindows(), 2);

    Stop(second);
    Stop(first);
    QTRY_COMPARE_WITH_TIMEOUT(CountPlayerWindows(), 0, 30000);
}

void ProgramTest::installedProgramFindsItsDataAndPlays()
{
    QTemporaryDir scratch;
    const QString prefix = scratch.filePath("prefix");
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start("cmake", {"--install", ORVEL_BUILD_DIR, "--prefix", prefix});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());

    // The desktop finds the program through these, and checks them as the tools do.
    const QString desktopEntry = prefix + "/share/applications/orvel-bluray-player.desktop";
    const QStringList metainfo =
        QDir(prefix + "/share/metainfo").entryList({"*.metainfo.xml"}, QDir::Files);
    QCOMPARE(metainfo.size(), 1);
    for (const QStringList &check : {QStringList{"desktop-file-validate", desktopEntry},
                                     QStringList{"appstreamcli", "validate", "--no-net",
                                                 prefix + "/share/metainfo/" + metainfo.first()}}) {
        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start(check.first(), check.mid(1));
        QVERIFY2(validator.waitForFinished(60000),
                 qPrintable(check.first() + " is needed (scripts/install-deps.sh installs it)"));
        QVERIFY2(validator.exitCode() == 0, validator.readAll().constData());
    }
    for (const char *icon :
         {"48x48/apps/orvel-bluray-player.png", "scalable/apps/orvel-bluray-player.svg"}) {
        QVERIFY2(QFile::exists(prefix + "/share/icons/hicolor/" + icon), icon);
    }
    QVERIFY(QFileInfo(prefix + "/bin/orvel-mpls-dump").isExecutable());
    QVERIFY(QFileInfo(prefix + "/bin/orvel-disc-dump").isExecutable());
    QVERIFY(QFileInfo(prefix + "/share/doc/orvel-bluray-player/guide/English/index.html").exists());

    // Nothing of the build folder is in reach of the installed program: its texts (the window
    // title) and its probe (the length) come from the installed data folder.
    PrivateBus bus;
    QProcess player;
    player.setProcessEnvironment(SessionEnvironment(scratch.filePath("session"), bus.address));
    player.setProcessChannelMode(QProcess::MergedChannels);
    player.start(prefix + "/bin/orvel-bluray-player", {clip});
    QVERIFY(player.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(bus), QUrl::fromLocalFile(clip).toString(), 30000);
    QCOMPARE(CountPlayerWindows(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(Metadata(bus).value("mpris:length").toLongLong(), 60LL * 1000 * 1000,
                              30000);
    Stop(player);
}

void ProgramTest::namesThatAreNotUtf8PlayFromTheCommandLineAndASecondStart()
{
    // "café.mkv" and "été.mkv" as a Latin-1 system wrote them.
    const QByteArray folder = QFile::encodeName(media.path());
    const QByteArray first = folder + "/caf\xe9.mkv";
    const QByteArray second = folder + "/\xe9t\xe9.mkv";
    // Qt could not remove them with the temporary folder: it would look for other names.
    struct Unlink
    {
        QList<QByteArray> names;
        ~Unlink()
        {
            for (const QByteArray &name : names) {
                ::unlink(name.constData());
            }
        }
    } unlink{{first, second}};
    for (const QByteArray &name : {first, second}) {
        QVERIFY(::link(QFile::encodeName(clip).constData(), name.constData()) == 0);
    }
    QTemporaryDir root;
    PrivateBus bus;
    QVERIFY(!bus.address.isEmpty());
    const QProcessEnvironment environment = SessionEnvironment(root.path(), bus.address);

    QProcess player;
    player.setProcessEnvironment(environment);
    player.setProcessChannelMode(QProcess::MergedChannels);
    StartWithByteArguments(player, {first});
    QVERIFY(player.waitForStarted(5000));
    // The address escapes every byte, so it names the file exactly.
    QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(bus), "file://" + first.toPercentEncoding("/"), 30000);
    // The length probe found the file too.
    QTRY_COMPARE_WITH_TIMEOUT(Metadata(bus).value("mpris:length").toLongLong(), 60LL * 1000 * 1000,
                              30000);
    QTRY_VERIFY_WITH_TIMEOUT(!EngineArguments(player.processId()).isEmpty(), 30000);
    QVERIFY2(EngineArguments(player.processId()).contains(first),
             EngineArguments(player.processId()).join(' ').toPercentEncoding(" /-=:"));

    QProcess again;
    again.setProcessEnvironment(environment);
    StartWithByteArguments(again, {second});
    QVERIFY(again.waitForFinished(20000));
    QCOMPARE(again.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(bus), "file://" + second.toPercentEncoding("/"), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(EngineArguments(player.processId()).contains(second), 30000);
    Stop(player);

    // The recent list holds both names as they are.
    QFile recent(root.path() + "/home/.local/share/Orvel BluRay Player/RecentConfig.txt");
    QVERIFY(recent.open(QIODevice::ReadOnly));
    QCOMPARE(recent.readAll(), second + "\n" + first + "\n");
}

void ProgramTest::settingsThatArePipesDoNotHoldTheStart()
{
    QTemporaryDir root;
    PrivateBus bus;
    QVERIFY(!bus.address.isEmpty());
    const QProcessEnvironment environment = SessionEnvironment(root.path(), bus.address);
    const QString data = root.path() + "/home/.local/share/Orvel BluRay Player";
    const QString config = root.path() + "/home/.config/Orvel BluRay Player";
    for (const QString &pipe :
         {data + "/RecentConfig.txt", data + "/OutputPath.txt", config + "/config.ini"}) {
        QVERIFY(QDir().mkpath(QFileInfo(pipe).path()));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    }

    QProcess player;
    player.setProcessEnvironment(environment);
    player.setProcessChannelMode(QProcess::MergedChannels);
    player.start(ORVEL_PLAYER_EXECUTABLE, {clip});
    QVERIFY(player.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(bus), QUrl::fromLocalFile(clip).toString(), 30000);
    QCOMPARE(CountPlayerWindows(), 1);
    Stop(player);
    // The pipes stay pipes, and the reason is on the standard error.
    QFileInfo recent(data + "/RecentConfig.txt");
    QVERIFY(!recent.isFile() && recent.exists());
    QVERIFY2(player.readAll().contains("RecentConfig.txt: a named pipe"), "no word of it");
}

// A desktop that exports the Wayland platform for every Qt program: the engine's window id is
// an X11 one, so the program runs through the X display beside it (XWayland's, here Xvfb's).
void ProgramTest::aWaylandPlatformStillPlaysIntoItsWindow()
{
    QTemporaryDir root;
    PrivateBus bus;
    QVERIFY(!bus.address.isEmpty());
    QProcessEnvironment environment = SessionEnvironment(root.path(), bus.address);
    environment.insert("QT_QPA_PLATFORM", "wayland");
    environment.insert("WAYLAND_DISPLAY", "wayland-orvel-test-none");
    QProcess player;
    player.setProcessEnvironment(environment);
    player.setProcessChannelMode(QProcess::MergedChannels);
    player.start(ORVEL_PLAYER_EXECUTABLE, {clip});
    QVERIFY(player.waitForStarted(5000));
    QTRY_COMPARE_WITH_TIMEOUT(PlayingUrl(bus), QUrl::fromLocalFile(clip).toString(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!EngineArguments(player.processId()).isEmpty(), 30000);
    const QList<QByteArray> arguments = EngineArguments(player.processId());
    const qsizetype window = arguments.indexOf("-wid");
    QVERIFY(window >= 0 && window + 1 < arguments.size());
    QVERIFY2(arguments[window + 1].toULongLong() > 0, arguments[window + 1].constData());
    QCOMPARE(CountPlayerWindows(), 1);
    Stop(player);
}

void ProgramTest::withoutAnXDisplayItSaysSo()
{
    QTemporaryDir root;
    PrivateBus bus;
    QProcessEnvironment environment = SessionEnvironment(root.path(), bus.address);
    environment.insert("QT_QPA_PLATFORM", "wayland");
    environment.insert("WAYLAND_DISPLAY", "wayland-orvel-test-none");
    environment.remove("DISPLAY");
    QProcess player;
    player.setProcessEnvironment(environment);
    player.setProcessChannelMode(QProcess::MergedChannels);
    player.start(ORVEL_PLAYER_EXECUTABLE, {clip});
    QVERIFY(player.waitForFinished(20000));
    const QString output = QString::fromLocal8Bit(player.readAll());
    QCOMPARE(player.exitCode(), 1);
    QVERIFY2(output.contains("no X display"), qPrintable(output));
}

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
