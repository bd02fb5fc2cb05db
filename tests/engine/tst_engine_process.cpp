#include "engine/EngineProcess.h"
#include "engine/SlaveCommand.h"
#include "platform/EngineLocator.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

// Runs EngineProcess against the scripted fake engine staged as "Player" beside this test.
class EngineProcessTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void locatorFindsTheEngineBesideTheProgram();
    void commandsReachTheEngineInOrder();
    void partialAndCarriageReturnLinesAreNotLost();
    void engineDeathWithoutEndOfFileIsReported_data();
    void engineDeathWithoutEndOfFileIsReported();
    void missingProgramIsReported();
    void outputWaitsWhileReadingIsOff();
    void killEndsTheEngineWithoutQuit();
    void handlerMayDeleteTheProcess();

private:
    void UseScript(const QByteArray &script);
    QStringList LoggedCommands() const;
    QJsonArray LoggedArguments() const;
    // Records everything the process reports, in order, as short texts.
    void Record(EngineProcess &engine);

    std::unique_ptr<QTemporaryDir> folder;
    QString logPath;
    QStringList record;
};

void EngineProcessTest::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    logPath = folder->filePath("engine.log");
    qputenv("ORVEL_FAKE_ENGINE_LOG", QFile::encodeName(logPath));
    qunsetenv("ORVEL_FAKE_ENGINE_SCRIPT");
    record.clear();
}

void EngineProcessTest::cleanup()
{
    qunsetenv("ORVEL_FAKE_ENGINE_LOG");
    qunsetenv("ORVEL_FAKE_ENGINE_SCRIPT");
}

void EngineProcessTest::UseScript(const QByteArray &script)
{
    const QString path = folder->filePath("script.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(script);
    qputenv("ORVEL_FAKE_ENGINE_SCRIPT", QFile::encodeName(path));
}

QStringList EngineProcessTest::LoggedCommands() const
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList commands;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("cmd "))
            commands << QString::fromUtf8(line.mid(4));
    }
    return commands;
}

QJsonArray EngineProcessTest::LoggedArguments() const
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray first = file.readLine();
    if (!first.startsWith("argv "))
        return {};
    return QJsonDocument::fromJson(first.mid(5)).array();
}

void EngineProcessTest::Record(EngineProcess &engine)
{
    connect(&engine, &EngineProcess::eventReceived, this, [this](const EngineEvent &event) {
        QString text = QString::fromUtf8(event.line);
        if (event.kind == EngineEvent::Kind::LengthAnswer)
            text = QStringLiteral("length %1").arg(event.wholeSeconds);
        record << text;
    });
    connect(&engine, &EngineProcess::finished, this, [this](int code, bool crashed) {
        record << QStringLiteral("finished %1%2").arg(code).arg(crashed ? " crashed" : "");
    });
    connect(&engine, &EngineProcess::startFailed, this,
            [this](const QString &program, const QString &) { record << "failed " + program; });
}

void EngineProcessTest::locatorFindsTheEngineBesideTheProgram()
{
    QCOMPARE(EngineLocator::EnginePath(), QCoreApplication::applicationDirPath() + "/Player");
}

void EngineProcessTest::commandsReachTheEngineInOrder()
{
    EngineProcess engine;
    Record(engine);
    const QStringList arguments{"-slave", "-vf", "screenshot=/x/", "/v/My Film \u00e9.mkv"};
    engine.Start(arguments);
    // Written at once after the start, before the engine runs: they must be kept.
    engine.Send(SlaveCommand::Volume(35));
    engine.Send(SlaveCommand::Seek(754));
    QTRY_VERIFY(record.contains("VIDEO:  [H264]  320x240  24bpp  25.000 fps"));
    engine.Send(SlaveCommand::GetTimeLength());
    engine.Send(SlaveCommand::SwitchAudioKeepPause(-2));
    engine.Send(SlaveCommand::Quit());
    QTRY_VERIFY(record.contains("finished 0"));

    QCOMPARE(LoggedCommands(), (QStringList{"volume 35 2", "seek 754 2", "get_time_length",
                                            "pausing_keep switch_audio -2", "q"}));
    QCOMPARE(LoggedArguments().toVariantList(), QVariant(arguments).toList());
    QCOMPARE(record, (QStringList{"Playing /v/My Film \u00e9.mkv.",
                                  "VIDEO:  [H264]  320x240  24bpp  25.000 fps", "length 0",
                                  "Exiting... (Quit)", "finished 0"}));
    // Nothing is written after the engine has gone, and that is no error.
    engine.Send(SlaveCommand::Quit());
    QCOMPARE(LoggedCommands().size(), 5);
}

void EngineProcessTest::partialAndCarriageReturnLinesAreNotLost()
{
    UseScript("print [lavf] stream 1: audio (aac), -aid 0\n"
              "print-partial ANS_LENG\n"
              "sleep 0.3\n"
              "print-raw TH=12.5\\nA:   0.1 V:   0.1\\rVIDEO:  [H264]\\r\\n\n"
              "sleep 0.3\n"
              "print-partial Exiting... (End of\n"
              "sleep 0.2\n"
              "print  file)\n"
              "exit 0\n");
    EngineProcess engine;
    Record(engine);
    engine.Start({"/v/a.mkv"});
    QTRY_VERIFY(record.contains("finished 0"));
    QCOMPARE(record, (QStringList{"[lavf] stream 1: audio (aac), -aid 0", "length 12",
                                  "VIDEO:  [H264]", "Exiting... (End of file)", "finished 0"}));
}

void EngineProcessTest::engineDeathWithoutEndOfFileIsReported_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("end");

    QTest::newRow("exit code") << QByteArray("print Playing /v/a.mkv.\nexit 7\n") << "finished 7";
    // The unfinished last line of a crashed engine still counts.
    QTest::newRow("crash") << QByteArray("print-partial Playing /v/a.mkv.\ncrash\n")
                           << "finished 11 crashed";
}

void EngineProcessTest::engineDeathWithoutEndOfFileIsReported()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, end);
    UseScript(script);
    EngineProcess engine;
    Record(engine);
    engine.Start({"/v/a.mkv"});
    QTRY_COMPARE(record.size(), 2);
    QCOMPARE(record, (QStringList{"Playing /v/a.mkv.", end}));
    QVERIFY(!engine.IsRunning());
}

void EngineProcessTest::missingProgramIsReported()
{
    EngineProcess engine;
    Record(engine);
    const QString missing = folder->filePath("no-such-engine");
    engine.Start(missing, {"/v/a.mkv"});
    engine.Send(SlaveCommand::Pause());
    QTRY_COMPARE(record, QStringList{"failed " + missing});
    // A fixed wait, as nothing may happen in it.
    QTest::qWait(100);
    QCOMPARE(record.size(), 1); // and no end of a process that never ran
}

void EngineProcessTest::outputWaitsWhileReadingIsOff()
{
    UseScript("print Playing /v/a.mkv.\n"
              "wait-for pause\n"
              "print ANS_LENGTH=3.02\n"
              "print Exiting... (End of file)\n"
              "exit 0\n");
    EngineProcess engine;
    Record(engine);
    engine.Start({"/v/a.mkv"});
    QTRY_COMPARE(record, QStringList{"Playing /v/a.mkv."});

    engine.SetReading(false);
    engine.Send(SlaveCommand::Pause());
    QTRY_VERIFY(!engine.IsRunning());
    // A fixed wait, as nothing may happen in it: the output stays unread.
    QTest::qWait(100);
    QCOMPARE(record, QStringList{"Playing /v/a.mkv."});

    engine.SetReading(true);
    QTRY_COMPARE(record.size(), 4);
    QCOMPARE(record, (QStringList{"Playing /v/a.mkv.", "length 3", "Exiting... (End of file)",
                                  "finished 0"}));
}

void EngineProcessTest::killEndsTheEngineWithoutQuit()
{
    EngineProcess engine;
    Record(engine);
    engine.Start({"/v/a.mkv"});
    QTRY_COMPARE(record.size(), 2);
    engine.Kill();
    QTRY_COMPARE(record.size(), 3);
    QCOMPARE(record.last(), QStringLiteral("finished 9 crashed"));
    QVERIFY(LoggedCommands().isEmpty());
}

void EngineProcessTest::handlerMayDeleteTheProcess()
{
    // The end of a session may drop the process from inside its own signal.
    UseScript("print Playing /v/a.mkv.\nprint VIDEO:  [H264]\nprint (End of file)\n"
              "sleep 0.2\nexit 0\n");
    QPointer<EngineProcess> engine = new EngineProcess;
    int seen = 0;
    connect(engine, &EngineProcess::eventReceived, this, [&](const EngineEvent &) {
        ++seen;
        delete engine.data();
    });
    engine->Start({"/v/a.mkv"});
    QTRY_VERIFY(engine.isNull());
    // A fixed wait, as nothing may happen in it: no event of the deleted process follows.
    QTest::qWait(300);
    QCOMPARE(seen, 1);
}

QTEST_GUILESS_MAIN(EngineProcessTest)
#include "tst_engine_process.moc"
