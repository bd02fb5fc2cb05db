#pragma once

#include "disc/DiscFileSource.h"

#include <QByteArrayView>

struct udfread;
struct UdfBlockInput;

// A disc kept as a UDF image: an .iso file or a block device holding a disc, read through
// libudfread without mounting. Every block the library asks for is checked against the
// image's size here, so a descriptor pointing past the end reads as a failed read.
class UdfImageSource : public DiscFileSource
{
public:
    // All reads of one source together deliver at most this many bytes; later reads fail.
    // An image can let any number of files share the same blocks, so without a budget a
    // small damaged image could make a scan read for hours.
    static constexpr qint64 ReadBudget = 512 * 1024 * 1024;

    ~UdfImageSource() override;

    // The image at path (a regular file or a block device); nullptr when it cannot be
    // opened or holds no UDF volume.
    static std::unique_ptr<UdfImageSource> Open(const QString &path);
    // An image held in memory, which must outlive the source; shown under the name given.
    static std::unique_ptr<UdfImageSource> FromBytes(QByteArrayView image, const QString &name);

    bool List(const QString &relative, QVector<DiscEntry> &entries) override;
    bool IsFolder(const QString &relative) override;
    bool Read(const QString &relative, DiscFileBytes &out) override;

private:
    UdfImageSource(const QString &root, udfread *volume, UdfBlockInput *input);

    udfread *volume;
    UdfBlockInput *input; // owned by the volume
    qint64 budgetLeft = ReadBudget;
};
