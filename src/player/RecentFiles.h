#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// The recent-sources list and its file "RecentConfig.txt": one path per line, newest first,
// 8-bit text in the system encoding, no header and no escaping.
//
// File names are bytes, and UTF-8 cannot name every one of them, so entries are paths as
// PathBytes holds them: a rewrite gives back every path it read byte for byte.
class RecentFiles
{
public:
    static constexpr int MaxEntries = 10;
    // A larger file is not a list of recent sources; it is ignored, with a line in the log.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    // filePath: the full path of the file, see FilePathIn().
    explicit RecentFiles(QString filePath) : file(std::move(filePath)) {}

    // "RecentConfig.txt" in the application-data folder.
    static QString FilePathIn(const QString &appDataFolder);

    // Replaces the list with the file's lines. Blank lines are skipped; a missing or
    // unreadable file, or anything but a regular file, gives an empty list. A longer file than
    // MaxEntries (written by hand) is taken whole.
    void Load();

    // Records a source that was just launched. A path already listed (exact, case-sensitive)
    // changes nothing, not even its place. Otherwise it goes to the front, the oldest entry
    // beyond MaxEntries drops out (one only, so a longer hand-made list keeps its length)
    // and the file is rewritten. Returns whether the list changed.
    bool AddRecentFile(const QString &path);

    // Empties the list and deletes the file.
    void Clear();

    const QStringList &Entries() const { return entries; }
    QString FilePath() const { return file; }

    // The entries of file content, as bytes without their line ends; blank lines are skipped.
    static QList<QByteArray> SplitLines(QByteArrayView content);
    // A path's line in the file and back.
    static QByteArray LineFor(const QString &path);
    static QString PathFromLine(const QByteArray &line);
    // The file content for a list of entries as bytes.
    static QByteArray JoinLines(const QList<QByteArray> &lines);

private:
    // Rewrites the file from the list. A failure leaves the old file whole and is logged;
    // the list in memory stands anyway.
    void Save() const;

    QString file;
    QStringList entries;
    // The bytes of each entry, in step with entries.
    QList<QByteArray> storedBytes;
};
