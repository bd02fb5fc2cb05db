#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the file at path with bytes, all or nothing: the bytes go to a new file beside it,
// which is flushed to the disk and only then renamed over the old one. On any failure (a
// full disk, no permission, a read-only file system) the new file is removed and the old
// file stays byte for byte as it was; the failure is logged with the path and the reason.
//
// Only a regular file (or a link to one, which keeps pointing at the new content) is
// replaced. A folder, a named pipe, a device, or a file that we may not write stands in
// the way as it is: nothing is written and false comes back, with the reason in the log.
// A file that did not exist is created, readable and writable by its owner only; a file
// that existed keeps its permissions.
//
// Returns whether the new content is in place.
bool WriteWholeFile(const QString &path, QByteArrayView bytes);
