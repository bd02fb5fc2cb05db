#pragma once

#include "player/ResumeEntry.h"

#include <QList>
#include <QString>

#include <optional>

// The positions where sessions were left, one entry per source, kept in one small UTF-8
// (JSON) file in the per-user data folder. The file is replaced whole on every change, so a
// failed write leaves the previous one. A damaged, oversized or unreadable file is ignored
// with a line in the log: the store starts empty and the next change replaces it; nothing
// else depends on it.
class ResumeStore
{
public:
    // The oldest entries (by ResumePoint::savedAt) go first beyond this.
    static constexpr int MaxEntries = 500;
    // A path (or subtitle file) longer than this in UTF-8 is not remembered; with MaxEntries
    // it bounds the file below MaxFileBytes.
    static constexpr int MaxPathBytes = 4096;
    // A larger file is no file of ours and is not read.
    static constexpr qint64 MaxFileBytes = 5 * 1024 * 1024;

    explicit ResumeStore(QString filePath) : file(std::move(filePath)) {}

    // "Resume.json" in the application-data folder.
    static QString FilePathIn(const QString &appDataFolder);

    // Replaces the entries with the file's. A missing file gives none silently; a file that
    // is not a regular file, is larger than MaxFileBytes, cannot be read or is not what Save
    // writes gives none and a warning. Entries that are malformed one by one are skipped;
    // beyond MaxEntries the newest are kept.
    void Load();

    // The stored point of the source; nothing when there is none, or when a media file's
    // size or modification time differ from the key's (the file changed: it starts over).
    std::optional<ResumePoint> Find(const ResumeKey &key) const;

    // Stores point for the source (replacing its entry), drops the oldest entries beyond
    // MaxEntries and writes the file. False when the key or point cannot be stored (a path
    // beyond MaxPathBytes) or the file could not be written; the entries in memory hold the
    // change either way, so a later write can still succeed.
    bool Remember(const ResumeKey &key, const ResumePoint &point);

    // Removes the source's entry and writes the file; true when there was none to remove or
    // the write succeeded.
    bool Forget(const ResumeKey &key);

    qsizetype Count() const { return entries.size(); }
    QString FilePath() const { return file; }

private:
    struct Entry
    {
        ResumeKey key;
        ResumePoint point;
    };

    qsizetype IndexOf(const ResumeKey &key) const;
    // The only place that writes the file: whole, aside, then renamed into place.
    bool Save() const;

    QString file;
    QList<Entry> entries;
};
