#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Where a snapshot goes and what it is called.

// The snapshot folder: the whole content of "OutputPath.txt" in the application-data
// folder, as it stands (it carries its own trailing separator). When that file is missing,
// unreadable or empty, defaultFolder (the documents folder followed by
// "Orvel BluRay Player/").
QString SnapshotFolder(const QString &appDataFolder, const QString &defaultFolder);

// snapshotFolder + "Snapshot-YYYY-MM-DD hh-mm-ss." + format, the format as the user chose
// it (so "JPG" gives ".JPG"), with every "\" of the whole path turned into "/".
QString SnapshotFileName(const QString &snapshotFolder, const QDateTime &when,
                         const QString &format);

// The image format that QImage writes for a chosen format: "PNG", "BMP", else "JPEG".
QByteArray SnapshotImageFormat(const QString &format);
