#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Where a snapshot goes and what it is called.

// The snapshot folder: the whole content of "OutputPath.txt" in the application-data
// folder, as it stands (it carries its own trailing separator). When that file is missing,
// unreadable or empty, defaultFolder (the documents folder followed by
// "Orvel BluRay Player/"). Anything but a regular file there is ignored (ReadRegularFile).
QString SnapshotFolder(const QString &appDataFolder, const QString &defaultFolder);

// Stores the snapshot folder in "OutputPath.txt", in the locale's 8-bit encoding and ending
// in "/". The file is replaced as a whole (WriteWholeFile), so a crash or a full disk
// leaves the old folder or the new one, never a cut or empty file. False when it could not
// be written.
bool WriteSnapshotFolder(const QString &appDataFolder, const QString &folder);

// A name for a new snapshot that no file has yet: the wanted name, or, when a snapshot of
// the same second exists, the name with " (2)", " (3)" ... before the extension.
QString FreeSnapshotFileName(const QString &wantedPath);

// snapshotFolder + "Snapshot-YYYY-MM-DD hh-mm-ss." + format, the format as the user chose
// it (so "JPG" gives ".JPG"), with every "\" of the whole path turned into "/".
QString SnapshotFileName(const QString &snapshotFolder, const QDateTime &when,
                         const QString &format);

// The image format that QImage writes for a chosen format: "PNG", "BMP", else "JPEG".
QByteArray SnapshotImageFormat(const QString &format);
