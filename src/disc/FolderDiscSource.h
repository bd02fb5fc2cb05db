#pragma once

#include "disc/DiscFileSource.h"

// A disc kept as a folder on the file system.
class FolderDiscSource : public DiscFileSource
{
public:
    explicit FolderDiscSource(const QString &folder) : DiscFileSource(folder) {}

    bool List(const QString &relative, QVector<DiscEntry> &entries) override;
    bool IsFolder(const QString &relative) override;
    bool Read(const QString &relative, DiscFileBytes &out) override;
};
