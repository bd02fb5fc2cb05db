#include "AacsWriter.h"

#include "disc/BigEndian.h"

#include <QCryptographicHash>

#include <gcrypt.h>

namespace {

constexpr unsigned char AacsIv[16] = {0x0b, 0xa0, 0xf8, 0xdd, 0xfe, 0xa6, 0x1f, 0xb3,
                                      0xd8, 0xdf, 0x9f, 0x56, 0x6a, 0x05, 0x0f, 0x78};
constexpr int Plain = 16;
constexpr unsigned char CopyPermissionBits = 0xC0;

void EnsureGcrypt()
{
    static const bool ready = [] {
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    Q_UNUSED(ready);
}

// One AES-128 block under `key`, forwards or backwards.
QByteArray AesEcb(const QByteArray &key, const QByteArray &block, bool encrypt)
{
    EnsureGcrypt();
    QByteArray out(16, '\0');
    gcry_cipher_hd_t handle;
    gcry_cipher_open(&handle, GCRY_CIPHER_AES128, GCRY_CIPHER_MODE_ECB, 0);
    gcry_cipher_setkey(handle, key.constData(), 16);
    if (encrypt)
        gcry_cipher_encrypt(handle, out.data(), 16, block.constData(), 16);
    else
        gcry_cipher_decrypt(handle, out.data(), 16, block.constData(), 16);
    gcry_cipher_close(handle);
    return out;
}

// The key of one unit: its plain head encrypted under the unit key, XORed with itself.
QByteArray UnitCipherKey(const char *head, const QByteArray &unitKey)
{
    const QByteArray plainHead(head, Plain);
    QByteArray key = AesEcb(unitKey, plainHead, true);
    for (int i = 0; i < Plain; ++i)
        key[i] = char(key[i] ^ plainHead[i]);
    return key;
}

void CbcUnit(char *unit, const QByteArray &unitKey, bool encrypt)
{
    const QByteArray key = UnitCipherKey(unit, unitKey);
    gcry_cipher_hd_t handle;
    gcry_cipher_open(&handle, GCRY_CIPHER_AES128, GCRY_CIPHER_MODE_CBC, 0);
    gcry_cipher_setkey(handle, key.constData(), 16);
    gcry_cipher_setiv(handle, AacsIv, 16);
    if (encrypt)
        gcry_cipher_encrypt(handle, unit + Plain, AacsWriter::AlignedUnit - Plain, nullptr, 0);
    else
        gcry_cipher_decrypt(handle, unit + Plain, AacsWriter::AlignedUnit - Plain, nullptr, 0);
    gcry_cipher_close(handle);
}

} // namespace

namespace AacsWriter {

bool ScrambleStream(QByteArray &stream, const QByteArray &unitKey)
{
    if (unitKey.size() != 16 || stream.size() % AlignedUnit != 0)
        return false;
    EnsureGcrypt();
    char *bytes = stream.data();
    for (qsizetype unit = 0; unit < stream.size(); unit += AlignedUnit) {
        // The bits are part of the plain head, so they are set before the key is made.
        for (int packet = 0; packet < AlignedUnit; packet += PacketSize)
            bytes[unit + packet] = char(bytes[unit + packet] | CopyPermissionBits);
        CbcUnit(bytes + unit, unitKey, true);
    }
    return true;
}

bool UnscrambleStream(QByteArray &stream, const QByteArray &unitKey)
{
    if (unitKey.size() != 16 || stream.size() % AlignedUnit != 0)
        return false;
    EnsureGcrypt();
    char *bytes = stream.data();
    for (qsizetype unit = 0; unit < stream.size(); unit += AlignedUnit) {
        if (!(quint8(bytes[unit]) & CopyPermissionBits))
            continue;
        CbcUnit(bytes + unit, unitKey, false);
        for (int packet = 0; packet < AlignedUnit; packet += PacketSize)
            bytes[unit + packet] = char(bytes[unit + packet] & ~CopyPermissionBits);
    }
    return true;
}

QByteArray UnitKeyFile(const QByteArray &unitKey, const QByteArray &volumeUniqueKey)
{
    // Header: where the keys start, the application type (1: BD-ROM), one BDMV folder, the
    // CPS unit of first play, top menu and the one title; then the key area: the number of
    // keys and each key 48 bytes further on.
    constexpr quint32 KeyArea = 0x80;
    QByteArray file;
    AppendWord32(file, KeyArea);
    file.append(12, '\0');
    AppendByte(file, 1); // application type
    AppendByte(file, 1); // BDMV folders
    AppendByte(file, 0); // no SKB
    AppendByte(file, 0);
    AppendWord16(file, 1); // first play: CPS unit 1
    AppendWord16(file, 1); // top menu
    AppendWord16(file, 1); // titles
    AppendWord16(file, 0);
    AppendWord16(file, 1); // title 1: CPS unit 1
    file.append(int(KeyArea) - file.size(), '\0');
    AppendWord16(file, 1); // one unit key
    file.append(46, '\0');
    file.append(AesEcb(volumeUniqueKey, unitKey, true));
    // libaacs refuses a file of 2,048 bytes or less; real ones fill whole sectors.
    file.append(4096 - file.size(), '\0');
    return file;
}

QByteArray MediaKeyBlock()
{
    auto record = [](QByteArray &out, quint8 type, const QByteArray &data) {
        AppendByte(out, type);
        const quint32 length = quint32(data.size() + 4);
        AppendByte(out, quint8(length >> 16));
        AppendWord16(out, quint16(length & 0xFFFF));
        out.append(data);
    };
    QByteArray typeAndVersion;
    AppendWord32(typeAndVersion, 0x00031003); // type 3
    AppendWord32(typeAndVersion, 1);          // version 1
    QByteArray subsetDifference;
    AppendByte(subsetDifference, 0);
    AppendWord32(subsetDifference, 0x00000001);
    QByteArray out;
    record(out, 0x10, typeAndVersion);
    record(out, 0x04, subsetDifference);
    record(out, 0x05, QByteArray(16, char(0x5A))); // one C-value
    record(out, 0x81, QByteArray(16, char(0xA5))); // verification data no key opens
    record(out, 0x02, QByteArray(40, '\0'));       // end, unsigned
    // libaacs reads the block in whole sectors, as it lies on a disc.
    out.append(2048 - out.size(), '\0');
    return out;
}

QByteArray CopyControlFile()
{
    // One basic CCI entry: copy never, which no player takes for unscrambled content.
    QByteArray file;
    AppendWord16(file, 1);
    file.append(14, '\0');
    AppendWord16(file, 0x0101); // basic CCI
    AppendWord16(file, 0x0100); // version
    AppendWord16(file, 0x84);   // its length
    AppendByte(file, 0x03);     // copy never
    file.append(0x84 - 1, '\0');
    file.append(2048 - file.size(), '\0');
    return file;
}

QByteArray DiscId(const QByteArray &unitKeyFile)
{
    return QCryptographicHash::hash(unitKeyFile, QCryptographicHash::Sha1);
}

QByteArray KeyFileEntry(const QByteArray &discId, const QByteArray &volumeUniqueKey)
{
    return "0x" + discId.toHex().toUpper() + " = Orvel test disc | V | 0x" +
           volumeUniqueKey.toHex().toUpper() + "\n";
}

} // namespace AacsWriter
