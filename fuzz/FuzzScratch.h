#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A folder for the targets that must hand their input over as a file: in memory where there
// is such a folder, as every input is written out.
inline QString ScratchFolder()
{
    static QTemporaryDir folder(QDir("/dev/shm").exists()
                                    ? QStringLiteral("/dev/shm/orvel-fuzz-XXXXXX")
                                    : QDir::tempPath() + "/orvel-fuzz-XXXXXX");
    return folder.path();
}
