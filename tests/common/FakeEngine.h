#pragma once

// The scripted stand-in engine ("Player" beside the test program) as the tests drive it: a
// log of its arguments and commands per test, the script it plays, and media files that are
// no media.
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

class FakeEngine
{
public:
    static bool IsBesideTheTest()
    {
        return QFile::exists(QCoreApplication::applicationDirPath() + "/Player");
    }

    // A fresh log (and no script) for the running test function and data row.
    void Begin()
    {
        logPath =
            dir.filePath(QStringLiteral("engine-%1-%2.log")
                             .arg(QTest::currentTestFunction())
                             .arg(QString::fromUtf8(QTest::currentDataTag()).replace('/', '_')));
        QFile::remove(logPath);
        qputenv("ORVEL_FAKE_ENGINE_LOG", logPath.toLocal8Bit());
        qputenv("ORVEL_FAKE_ENGINE_TIMEOUT", "60");
        qunsetenv("ORVEL_FAKE_ENGINE_SCRIPT");
    }

    // The fake plays this script from its next start on (see tests/fake-engine/Player).
    void UseScript(const QString &script)
    {
        const QString path = logPath + ".script";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(script.toUtf8());
        qputenv("ORVEL_FAKE_ENGINE_SCRIPT", path.toLocal8Bit());
    }

    QStringList Log() const
    {
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    // The commands the engines of this test received, in order.
    QStringList Commands() const
    {
        QStringList commands;
        for (const QString &line : Log()) {
            if (line.startsWith("cmd "))
                commands << line.mid(4);
        }
        return commands;
    }

    // The commands the last engine started received.
    QStringList LastEngineCommands() const
    {
        QStringList commands;
        for (const QString &line : Log()) {
            if (line.startsWith("argv "))
                commands.clear();
            else if (line.startsWith("cmd "))
                commands << line.mid(4);
        }
        return commands;
    }

    // The arguments of the last engine started, as the log's JSON list.
    QString LastLaunch() const
    {
        const QStringList launches = Log().filter("argv ");
        return launches.isEmpty() ? QString() : launches.last();
    }

    // A file that exists but holds no media.
    QString MakeFile(const QString &name) const
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("not really media");
        return path;
    }

    QString Folder() const { return dir.path(); }
    QString FilePath(const QString &name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    QString logPath;
};
