#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

class QUrl;

// File names on Linux are bytes, and many of them are not UTF-8 (a name written by an old
// Latin-1 system, say). Qt decodes such names lossily, so a path that went through a QString
// could no longer be opened. Inside the program a path is a QString in which every byte that
// is not part of valid UTF-8 is kept as the lone surrogate U+DC80 + byte; FromBytes and
// ToBytes are exact inverses for every byte string, so a name comes back byte for byte.
//
// Qt's own file classes would encode those surrogates lossily, so a path that may hold one
// is checked and opened through the functions below (and handed to child processes through
// ChildProcess), never through QFile or QFileInfo.
class PathBytes
{
public:
    // UTF-8 where the bytes are valid UTF-8, U+DC80 + byte for every other byte.
    static QString FromBytes(QByteArrayView bytes);
    // The inverse of FromBytes. A lone surrogate that FromBytes cannot give (which only a
    // typed name could hold) becomes U+FFFD.
    static QByteArray ToBytes(QStringView path);
    // The path as a person can read it: every byte that was not UTF-8 shows as U+FFFD. For
    // showing only; it may no longer name the file.
    static QString Readable(QStringView path);
    // Whether the path holds a byte that is not UTF-8, which Qt's file classes would lose.
    static bool HasForeignBytes(QStringView path);

    // What stat() says the path is, following links. A path that cannot be looked at (a
    // link to nowhere, a folder we may not enter) exists as nothing.
    static bool Exists(QStringView path);
    static bool IsFolder(QStringView path);
    static bool IsRegularFile(QStringView path);

    // A "file://" address for the path that keeps every byte (as percent escapes), and the
    // path back from such an address (a local file address; any host is ignored). QUrl's
    // own conversions decode the escapes as UTF-8 and would lose the other bytes.
    static QByteArray ToFileUrl(QStringView path);
    static QString FromFileUrl(const QUrl &url);

    // A path handed over by Qt (the open dialog) that Qt decoded lossily: when it does not
    // exist and its file name holds U+FFFD, the one entry of its folder whose name reads the
    // same when decoded lossily. Anything else comes back as given.
    static QString RecoverLossyPath(const QString &path);
};
