#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The bytes of one file of a disc, read once and held for as long as the object lives: a
// buffer, or a read-only mapping of a large file in a folder, which costs no memory.
class DiscFileBytes
{
public:
    DiscFileBytes() = default;
    ~DiscFileBytes() { Clear(); }
    DiscFileBytes(const DiscFileBytes &) = delete;
    DiscFileBytes &operator=(const DiscFileBytes &) = delete;

    QByteArrayView Bytes() const { return view; }
    // Every byte that the file's size promises arrived.
    bool Complete() const { return view.size() == expected; }
    // The size the file claims, which may exceed what was read.
    qint64 ClaimedSize() const { return expected; }

    // For the sources: bytes held in a buffer, and the size the file claimed.
    void Hold(QByteArray bytes, qint64 claimedSize);
    // For the sources: a mapping of size bytes of an open file (false when it fails).
    bool Map(const QString &path, qint64 size);
    void Clear();

private:
    QByteArray buffer;
    // The mapping of a large file, unmapped by Clear(); a name is opened by its bytes, for
    // Qt's file classes would lose a folder's name that is not UTF-8.
    void *mapping = nullptr;
    qint64 mappedSize = 0;
    QByteArrayView view;
    qint64 expected = 0;
};
