#include "platform/AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString programFolder = QStringLiteral("Orvel BluRay Player");

// A folder that uid owns and nobody else may enter; lstat, so that a link planted in a shared
// folder cannot point us somewhere else.
bool IsPrivateFolderOf(const QString &path, uint uid)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == uid && (info.st_mode & 077) == 0;
}

} // namespace

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

QString AppFolders::RuntimeFolder()
{
    return ChooseRuntimeFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath(),
                               uint(::getuid()), AppDataFolder());
}

QString AppFolders::ChooseRuntimeFolder(const QString &xdgRuntimeDir, const QString &tempFolder,
                                        uint uid, const QString &lastResort)
{
    if (QDir::isAbsolutePath(xdgRuntimeDir) && IsPrivateFolderOf(xdgRuntimeDir, uid)) {
        return QDir::cleanPath(xdgRuntimeDir) + "/";
    }
    const QString own =
        QDir::cleanPath(tempFolder) + QStringLiteral("/orvel-bluray-player-%1").arg(uid);
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (IsPrivateFolderOf(own, uid)) {
        return own + "/";
    }
    EnsureFolder(lastResort);
    return QDir::cleanPath(lastResort) + "/";
}

QString AppFolders::ProgramDataFolder()
{
    return ChooseProgramDataFolder(QCoreApplication::applicationDirPath(),
                                   QStringLiteral(ORVEL_RELATIVE_DATA_FOLDER));
}

QString AppFolders::ChooseProgramDataFolder(const QString &executableFolder,
                                            const QString &relativeDataFolder)
{
    // The settings file marks a complete data folder; the build folder stages one beside
    // the executable.
    if (QFileInfo::exists(executableFolder + QStringLiteral("/config.ini"))) {
        return executableFolder;
    }
    return QDir::cleanPath(executableFolder + "/" + relativeDataFolder);
}
