#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// One entry of a folder listing.
struct FolderEntry
{
    qint32 isDirectory = 0; // 1 for a folder (symbolic links followed), else 0
    quint64 size = 0;       // byte count; 0 for an entry that cannot be examined
    QString path;           // the listed folder, "/", the entry name
};

// The folder and a name joined with one "/": a folder that already ends in "/" gets none
// added ("/" and "BDMV" give "/BDMV", "/media/disc/" and "BDMV" give "/media/disc/BDMV").
QString JoinPath(const QString &folder, const QString &name);

// Appends one entry per name in the folder, in the order the file system lists them (the
// raw directory order that players also number Blu-ray titles in; not sorted), skipping
// every name that starts with ".". Returns false, appending nothing, when the folder
// cannot be listed.
bool ListFolderEntries(const QString &folder, QVector<FolderEntry> &entries);
