#pragma once

#include <QString>
#include <QtGlobal>

// A file opened for reading only, closed with its owner. Results are plain codes: 0, a
// system error number, or one of the two codes below, which callers already know.
class ReadOnlyFile
{
public:
    // The file ended, or a read failed, before the requested count arrived.
    static constexpr int ReadFault = 30;
    // ReadAt without an open file.
    static constexpr int NotOpen = 87;
    // Reads are issued in pieces of at most this size.
    static constexpr qint64 ChunkSize = 65536;

    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    // Opens an existing file; a file held before is closed first. Returns 0 or errno.
    int Open(const QString &path);
    // Reads count bytes from offset into buffer; bytesRead says how many arrived.
    int ReadAt(char *buffer, qint64 count, qint64 offset, qint64 &bytesRead);
    void Close();
    bool IsOpen() const { return descriptor >= 0; }
    // The size of the open file when it is a regular file; -1 for anything else (no file,
    // a folder, a pipe, a device), which has no size to read up to.
    qint64 RegularFileSize() const;

private:
    int descriptor = -1;
};
