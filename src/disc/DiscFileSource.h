#pragma once

#include "disc/DiscFileBytes.h"

#include <QString>
#include <QVector>
#include <QtGlobal>

#include <memory>

// One name in a disc's folder.
struct DiscEntry
{
    QString name;
    bool isDirectory = false;
};

// Where the disc layer lists and reads a disc's files: a folder on the file system or a UDF
// image (an .iso file or a block device). Detection, the Blu-ray scan, the engine's title
// list and the metadata reader see a disc only through this, so that a folder and an image
// of the same disc give the same results. Paths inside the disc are relative to its root
// and separated by "/" ("BDMV/PLAYLIST/00001.mpls"; "" is the root). A source is used by
// one thread at a time.
class DiscFileSource
{
public:
    // A file is read up to this many bytes; a larger one reads as incomplete. Real disc
    // files that the scan reads are a few kilobytes, pictures a few hundred.
    static constexpr qint64 MaxReadBytes = 16 * 1024 * 1024;

    explicit DiscFileSource(const QString &root) : root(root) {}
    virtual ~DiscFileSource() = default;
    DiscFileSource(const DiscFileSource &) = delete;
    DiscFileSource &operator=(const DiscFileSource &) = delete;

    // The folder or image path as given.
    const QString &Root() const { return root; }
    // The path as the user sees it: the root and the relative path joined with one "/".
    // For an image it names no file on the system; title keys are made of it.
    QString Where(const QString &relative) const;

    // The folder's entries in the medium's own directory order (not sorted), names starting
    // with "." left out. False, appending nothing, when there is no such folder.
    virtual bool List(const QString &relative, QVector<DiscEntry> &entries) = 0;
    // Whether the path names a folder (links followed).
    virtual bool IsFolder(const QString &relative) = 0;
    // Reads a regular file whole, up to MaxReadBytes (DiscFileBytes::Complete says whether
    // everything arrived). False when there is no such file or it cannot be opened.
    virtual bool Read(const QString &relative, DiscFileBytes &out) = 0;

private:
    QString root;
};

// A source for a disc path: a folder is read as a folder, anything else that opens as a UDF
// volume as an image. nullptr when the path is neither (missing, empty, not UDF, damaged).
std::unique_ptr<DiscFileSource> OpenDiscSource(const QString &path);
