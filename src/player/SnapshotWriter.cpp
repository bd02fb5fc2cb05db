#include "player/SnapshotWriter.h"

#include "player/SnapshotNaming.h"

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
