// Feeds arbitrary metadata files to the disc metadata reader and checks what it hands out:
// no value of 256 bytes or more, nothing of a value past a zero byte or a line end it should
// have stopped at, and the same result from a second read.

#include "../FuzzCheck.h"
#include "../FuzzScratch.h"
#include "disc/DiscMetadata.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = ScratchFolder() + QStringLiteral("/bdmt_eng.xml");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    const DiscMetadata first = ReadDiscMetadata(path);
    Check(first.nameBytes.size() < 256);
    Check(first.thumbnailBytes.size() < 256);
    // A value is C text from one line: a zero byte ends it, and the thumbnail stops at the
    // end of its line.
    Check(!first.nameBytes.contains('\0'));
    Check(!first.thumbnailBytes.contains('\0'));
    Check(!first.thumbnailBytes.contains('"'));
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    Check(first.nameBytes.isEmpty() || input.contains("<di:name>"));
    Check(first.thumbnailBytes.isEmpty() || input.contains("<di:thumbnail href=\""));

    const DiscMetadata second = ReadDiscMetadata(path);
    Check(second.nameBytes == first.nameBytes && second.thumbnailBytes == first.thumbnailBytes);
    return 0;
}
