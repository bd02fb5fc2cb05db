#include "platform/EngineLocator.h"

#include "platform/AppFolders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString BundledEngineName = QStringLiteral("Player");
const QString SystemEngineName = QStringLiteral("mplayer");

} // namespace

QString EngineLocator::EnginePath()
{
    const QFileInfo bundled(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                            BundledEngineName);
    if (bundled.isFile() && bundled.isExecutable())
        return bundled.absoluteFilePath();
    return QStandardPaths::findExecutable(SystemEngineName);
}

QString EngineLocator::EngineSearchDescription()
{
    return QStringLiteral("%1 beside %2, or %3 on PATH")
        .arg(BundledEngineName, QCoreApplication::applicationDirPath(), SystemEngineName);
}

QString EngineLocator::ProbeToolSource()
{
    return AppFolders::ProgramDataFolder() + QStringLiteral("/tool");
}

QString EngineLocator::ProbeToolCopy(const QString &appDataFolder)
{
    QString path = appDataFolder + QStringLiteral("/tool.exe");
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

bool EngineLocator::PrepareProbeToolCopy(const QString &appDataFolder)
{
    const QString copy = ProbeToolCopy(appDataFolder);
    if (QFileInfo::exists(copy))
        return true;
    // QFile::copy keeps the permissions, so the copy stays executable.
    QFile source(ProbeToolSource());
    if (source.copy(copy))
        return true;
    qWarning("the probe tool could not be copied to %s: %s", qUtf8Printable(copy),
             qUtf8Printable(source.errorString()));
    return false;
}

QString EngineLocator::ProbeToolToRun(const QString &appDataFolder)
{
    const QString copy = ProbeToolCopy(appDataFolder);
    const QFileInfo copied(copy);
    if (copied.isFile() && copied.isExecutable() && copied.size() > 0)
        return copy;
    qWarning("the probe tool copy %s is missing or empty; %s is run instead", qUtf8Printable(copy),
             qUtf8Printable(ProbeToolSource()));
    return ProbeToolSource();
}
