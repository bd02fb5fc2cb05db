#pragma once

#include <QDateTime>
#include <QString>

class EngineScreenshot;

// Turns a screenshot that the engine wrote into the user's snapshot file.
class SnapshotWriter
{
public:
    enum class Result
    {
        Saved,
        NotAccepted, // the screenshot did not pass EngineScreenshot::Check: nothing touched
        LoadFailed,  // the engine's file is no image; it was removed
        SaveFailed,  // e.g. the snapshot folder does not exist; the engine's file was removed
    };

    // Loads the engine's file, saves it as snapshotFile in the image format for format
    // ("PNG", "BMP", anything else JPEG), then removes the engine's file whether or not the
    // save worked: a screenshot that cannot be kept is lost rather than left behind.
    static Result Save(const EngineScreenshot &screenshot, const QString &snapshotFile,
                       const QString &format);

    // Keeps the screenshot the engine named in its output as a snapshot taken at now: in
    // the snapshot folder (made if missing), under a name no earlier snapshot has; savedAs,
    // when given, gets that file's path.
    static Result Keep(const QString &enginePath, const QString &appDataFolder,
                       const QString &documentsFolder, const QDateTime &now, const QString &format,
                       QString *savedAs = nullptr);
};
