#include "player/SnapshotWriter.h"

#include "engine/EngineScreenshot.h"
#include "player/SnapshotNaming.h"

#include <QDir>
#include <QFile>
#include <QImage>

SnapshotWriter::Result SnapshotWriter::Save(const EngineScreenshot &screenshot,
                                            const QString &snapshotFile, const QString &format)
{
    if (!screenshot.IsAccepted())
        return Result::NotAccepted;
    QImage image;
    const bool loaded = image.load(screenshot.Path());
    const bool saved = loaded && image.save(snapshotFile, SnapshotImageFormat(format).constData());
    QFile::remove(screenshot.Path());
    if (!loaded)
        return Result::LoadFailed;
    return saved ? Result::Saved : Result::SaveFailed;
}

SnapshotWriter::Result SnapshotWriter::Keep(const QString &enginePath, const QString &appDataFolder,
                                            const QString &documentsFolder, const QDateTime &now,
                                            const QString &format, QString *savedAs)
{
    // The name comes from engine output, which also carries the media's own metadata, so
    // only a file the screenshot filter itself wrote is touched.
    const EngineScreenshot screenshot = EngineScreenshot::Check(enginePath, appDataFolder);
    if (!screenshot.IsAccepted())
        return Result::NotAccepted;
    const QString folder = SnapshotFolder(appDataFolder, documentsFolder);
    // On a new installation the default folder does not exist yet; without it every
    // snapshot would be lost without a word.
    QDir().mkpath(folder);
    // Two snapshots in one second would share a name; the second must not replace the first.
    const QString file = FreeSnapshotFileName(SnapshotFileName(folder, now, format));
    if (savedAs)
        *savedAs = file;
    return Save(screenshot, file, format);
}
