#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// Reads a small file that the program keeps or ships (settings, recent list, language file)
// whole, without ever waiting on it: the file is opened without blocking and must be a
// regular file of at most maxSize bytes. A named pipe, a folder or a device in its place
// would otherwise stall the program in open() or read() for ever.
//
// A file that does not exist (or a link to nowhere) reads as empty, quietly, since a
// missing settings file is ordinary. Anything else that cannot be read whole (not a regular
// file, too large, no permission, a read error) gives nullopt and a warning in the log that
// names the path and the reason; the caller then goes on with its defaults.
std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxSize);
