#include "disc/FileDigest.h"

#include "disc/ReadOnlyFile.h"

#include <QCryptographicHash>

namespace {

constexpr int CannotOpen = 87;
constexpr int NotReadCompletely = 30;

} // namespace

QByteArray DigestHex(QByteArrayView bytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha512);
    return DigestHex(hash, bytes);
}

QByteArray DigestHex(QCryptographicHash &hash, QByteArrayView bytes)
{
    hash.reset();
    hash.addData(bytes);
    return hash.resultView().toByteArray().toHex().toUpper();
}

QByteArray IncompleteDigestHex()
{
    return QByteArray(128, '0');
}

int FileDigestHex(const QString &path, QByteArray &hexOut)
{
    ReadOnlyFile file;
    if (file.Open(path) != 0)
        return CannotOpen;
    // Only a regular file has a size to read up to; a folder, which opens here but not on
    // the original platform, counts as a file that cannot be opened.
    const qint64 size = file.RegularFileSize();
    if (size <= 0)
        return CannotOpen;
    QCryptographicHash hash(QCryptographicHash::Sha512);
    QByteArray chunk(int(ReadOnlyFile::ChunkSize), Qt::Uninitialized);
    for (qint64 offset = 0; offset < size;) {
        const qint64 want = qMin<qint64>(ReadOnlyFile::ChunkSize, size - offset);
        qint64 got = 0;
        if (file.ReadAt(chunk.data(), want, offset, got) != 0 || got != want) {
            hexOut = IncompleteDigestHex();
            return NotReadCompletely;
        }
        hash.addData(QByteArrayView(chunk.constData(), got));
        offset += got;
    }
    hexOut = hash.result().toHex().toUpper();
    return 0;
}
