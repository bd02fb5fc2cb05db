#include "platform/AppFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace {
const QString programFolder = QStringLiteral("Orvel BluRay Player");
}

QString AppFolders::AppDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/" +
           programFolder + "/";
}

QString AppFolders::DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/" +
           programFolder + "/";
}

QString AppFolders::UserConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" +
           programFolder + "/";
}

bool AppFolders::EnsureFolder(const QString &path)
{
    return QDir().mkpath(path);
}
