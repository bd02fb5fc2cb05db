#include "app/FrontHandOver.h"
#include "platform/CommandLine.h"
#include "platform/HandOver.h"
#include "platform/PathBytes.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The front's quick hand-over must send exactly what the full road would send, and leave to
// the full road every command line it cannot judge exactly.
class FrontTest : public QObject
{
    Q_OBJECT
private slots:
    void quickRequestIsTheFullRoadsOrNone_data();
    void quickRequestIsTheFullRoadsOrNone();
    void quickAddressIsTheFullRoads_data();
    void quickAddressIsTheFullRoads();
};

using Arguments = QList<QByteArray>;

void FrontTest::quickRequestIsTheFullRoadsOrNone_data()
{
    // "<dir>" stands for the test folder, which is also the working folder.
    QTest::addColumn<Arguments>("arguments");
    QTest::addColumn<bool>("quick");
    QTest::newRow("nothing") << Arguments{} << true;
    QTest::newRow("relative, absolute, folder")
        << Arguments{"plain.mkv", "<dir>/plain.mkv", "sub"} << true;
    QTest::newRow("spaces, quotes, line break")
        << Arguments{"with space.mkv", "quo\"te's.mkv", "line\nbreak.mkv"} << true;
    QTest::newRow("UTF-8 and bytes that are not")
        << Arguments{"\xc3\xa9t\xc3\xa9.mkv", "caf\xe9.mkv", "<dir>/caf\xe9.mkv"} << true;
    QTest::newRow("dot segments and doubled slashes")
        << Arguments{"./sub/../plain.mkv", "sub//./", "<dir>//sub/.", "sub/.."} << true;
    QTest::newRow("empty argument is the working folder") << Arguments{""} << true;
    QTest::newRow("double dash, then dashes are names")
        << Arguments{"--", "-dash.mkv", "-", "--"} << true;
    QTest::newRow("a lone dash is a name") << Arguments{"-"} << true;
    QTest::newRow("file addresses") << Arguments{"file://<dir>/with%20space.mkv",
                                                 "file://<dir>/caf%E9.mkv",
                                                 "file://<dir>/caf%e9.mkv",
                                                 "file://<dir>/percent%2520.mkv",
                                                 "file://<dir>/sub%2F..%2Fplain.mkv",
                                                 "file://<dir>/odd!$&'()*+,;=:@.mkv",
                                                 "file:///<dir>/plain.mkv"}
                                    << true;
    QTest::newRow("names that only look like addresses")
        << Arguments{"a b://c.mkv", "sub/x://y.mkv", "://plain.mkv"} << true;
    // Left to the full road.
    QTest::newRow("help") << Arguments{"plain.mkv", "--help"} << false;
    QTest::newRow("version") << Arguments{"-v"} << false;
    QTest::newRow("unknown option") << Arguments{"--bogus", "plain.mkv"} << false;
    QTest::newRow("toolkit option") << Arguments{"-display", ":1", "plain.mkv"} << false;
    QTest::newRow("missing name") << Arguments{"plain.mkv", "gone.mkv"} << false;
    QTest::newRow("network address") << Arguments{"http://example.org/a.mkv"} << false;
    QTest::newRow("file address with a host") << Arguments{"file://host/plain.mkv"} << false;
    QTest::newRow("file address with a query") << Arguments{"file://<dir>/plain.mkv?x"} << false;
    QTest::newRow("file address with a space") << Arguments{"file://<dir>/with space.mkv"} << false;
    QTest::newRow("file address with a broken escape") << Arguments{"file://<dir>/a%zz"} << false;
    QTest::newRow("scheme in capitals") << Arguments{"FILE://<dir>/plain.mkv"} << false;
    QTest::newRow("scheme beyond ASCII") << Arguments{"\xc3\xa9://x"} << false;
    QTest::newRow("above the root") << Arguments{"/../<dir>/plain.mkv"} << false;
}

void FrontTest::quickRequestIsTheFullRoadsOrNone()
{
    QFETCH(Arguments, arguments);
    QFETCH(bool, quick);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    for (const QByteArray name : {"plain.mkv", "with space.mkv", "quo\"te's.mkv", "line\nbreak.mkv",
                                  "\xc3\xa9t\xc3\xa9.mkv", "caf\xe9.mkv", "-dash.mkv", "-", "--",
                                  "percent%20.mkv", "odd!$&'()*+,;=:@.mkv", "a%zz"}) {
        const int fd = ::open((folder + "/" + name).constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    // Removed by its bytes; Qt could not name it.
    const auto removeLatin1 =
        qScopeGuard([&folder] { ::unlink((folder + "/caf\xe9.mkv").constData()); });
    QVERIFY(::mkdir((folder + "/sub").constData(), 0700) == 0);
    QVERIFY(::mkdir((folder + "/sub/x:").constData(), 0700) == 0);
    QVERIFY(::close(::open((folder + "/sub/x:/y.mkv").constData(), O_WRONLY | O_CREAT, 0600)) == 0);
    QVERIFY(::mkdir((folder + "/a b:").constData(), 0700) == 0);
    QVERIFY(::close(::open((folder + "/a b:/c.mkv").constData(), O_WRONLY | O_CREAT, 0600)) == 0);
    QVERIFY(::mkdir((folder + "/:").constData(), 0700) == 0);
    QVERIFY(::symlink("../plain.mkv", (folder + "/:/plain.mkv").constData()) == 0);

    QStringList asQt;
    std::vector<const char *> asC;
    for (QByteArray &argument : arguments) {
        // The folder's name needs no escapes in an address.
        argument.replace("<dir>", folder);
        asQt << PathBytes::FromBytes(argument);
        asC.push_back(argument.constData());
    }
    FrontHandOver::Bytes request;
    const bool taken =
        FrontHandOver::RequestFor(int(asC.size()), asC.data(), folder.constData(), request);
    QCOMPARE(taken, quick);
    if (!quick) {
        return;
    }
    const CommandLineRequest full =
        ParseCommandLine(WithoutToolkitOptions(asQt), PathBytes::FromBytes(folder));
    QVERIFY(full.skipped.isEmpty() && full.unknownOptions.isEmpty());
    QVERIFY(!full.showHelp && !full.showVersion);
    QCOMPARE(QByteArray(request.Data(), qsizetype(request.Size())), HandOver::Request(full.paths));
}

void FrontTest::quickAddressIsTheFullRoads_data()
{
    // Where the runtime folder is: XDG_RUNTIME_DIR, or the program's own folder in TMPDIR.
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<bool>("ownTempFolder");
    QTest::addColumn<bool>("quick");
    QTest::newRow("private runtime folder") << "@/run" << false << true;
    QTest::newRow("runtime folder given with dots and slashes") << "@/x/..//run/" << false << true;
    QTest::newRow("no runtime folder, own folder in the temporary one") << "" << true << true;
    QTest::newRow("runtime folder others may enter, own folder there") << "@/open" << true << true;
    // The full road would make its folder first: no window can be listening there yet.
    QTest::newRow("no runtime folder and no own folder") << "" << false << false;
    QTest::newRow("relative runtime folder") << "run" << false << false;
}

void FrontTest::quickAddressIsTheFullRoads()
{
    QFETCH(QString, runtime);
    QFETCH(bool, ownTempFolder);
    QFETCH(bool, quick);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("run") && QDir(dir.path()).mkpath("x") &&
            QDir(dir.path()).mkpath("open") && QDir(dir.path()).mkpath("tmp"));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("run")).constData(), 0700) == 0);
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("open")).constData(), 0755) == 0);
    const QString ownFolder =
        dir.filePath(QStringLiteral("tmp/orvel-bluray-player-%1").arg(::getuid()));
    if (ownTempFolder) {
        QVERIFY(QDir().mkpath(ownFolder));
        QVERIFY(::chmod(QFile::encodeName(ownFolder).constData(), 0700) == 0);
    }
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldTemp = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("TMPDIR", oldTemp);
    });
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.replace("@", dir.path())));
    qputenv("TMPDIR", QFile::encodeName(dir.filePath("tmp")));

    FrontHandOver::Bytes address;
    QCOMPARE(FrontHandOver::ServerAddress(address), quick);
    if (quick) {
        // The same socket file, however the two spell its folder.
        QCOMPARE(QDir::cleanPath(QString::fromLocal8Bit(address.Data())),
                 QDir::cleanPath(HandOver::DefaultServerName()));
    }
}

QTEST_GUILESS_MAIN(FrontTest)
#include "tst_front.moc"
