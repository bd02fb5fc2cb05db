#pragma once

#include <QByteArray>

// The AACS files and the scrambled streams of a protected Blu-ray, made with keys of our own,
// in the layout libaacs reads:
//  - each 6,144-byte aligned unit of a stream: the copy-permission bits of all its 32 packet
//    headers set (they mark the unit as scrambled); the first 16 bytes stay plain, and
//    encrypted under the unit key (AES-128 ECB) and XORed with themselves they give the key
//    that scrambles the rest (AES-128 CBC with the fixed AACS IV);
//  - AACS/Unit_Key_RO.inf: the unit key, encrypted under the volume unique key (VUK); its
//    SHA-1 is the disc ID that key files name the disc by;
//  - AACS/MKB_RO.inf: a media key block that no processing key opens, so that a key file
//    without this disc's VUK fails as on a shop disc ("no processing key");
//  - AACS/CPSUnit00001.cci: copy control that says the content is scrambled, without which
//    libaacs takes a missing key for an unscrambled disc.
namespace AacsWriter {

constexpr int AlignedUnit = 6144;
constexpr int PacketSize = 192;

// Scrambles `stream` (a whole number of aligned units) in place; false when it is not.
bool ScrambleStream(QByteArray &stream, const QByteArray &unitKey);
// The reverse, as libaacs does it, with the copy-permission bits cleared.
bool UnscrambleStream(QByteArray &stream, const QByteArray &unitKey);

QByteArray UnitKeyFile(const QByteArray &unitKey, const QByteArray &volumeUniqueKey);
QByteArray MediaKeyBlock();
QByteArray CopyControlFile();
QByteArray DiscId(const QByteArray &unitKeyFile); // 20 bytes
// One title line of a libaacs key file (KEYDB.cfg) giving the disc's VUK.
QByteArray KeyFileEntry(const QByteArray &discId, const QByteArray &volumeUniqueKey);

} // namespace AacsWriter
