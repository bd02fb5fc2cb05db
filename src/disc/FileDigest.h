#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCryptographicHash>
#include <QString>

// The SHA-512 digest of a whole file as 128 upper-case hex digits.
// Returns 0 with the digits in hexOut; 87 when the file cannot be opened or is empty
// (hexOut unchanged); 30 when it cannot be read completely (hexOut gets 128 zero digits).
int FileDigestHex(const QString &path, QByteArray &hexOut);

// The same digits for bytes already in memory.
QByteArray DigestHex(QByteArrayView bytes);
// The same with a SHA-512 hash object that the caller keeps across many files.
QByteArray DigestHex(QCryptographicHash &hash, QByteArrayView bytes);

// What a file that could not be read completely gets: 128 zero digits.
QByteArray IncompleteDigestHex();
