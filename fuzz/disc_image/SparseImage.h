#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstring>

// The fuzzer's form of a disc image: a UDF image is mostly zero blocks, and the blocks that
// matter are mostly zeros after a short descriptor, so an input holds only what is not zero.
//   u16 image size in 2,048-byte blocks (0: up to the last block written), then records of
//   u16 block number, u16 byte count (at most 2,048), that many bytes from the block's start.
// All numbers are big-endian. A record cut short keeps what it has.
namespace SparseImage {

constexpr int BlockSize = 2048;
// Images above this many blocks are cut, which keeps each run fast.
constexpr int MaxBlocks = 1024;

// Lays the image out in `image`, which is reused across calls: a fresh buffer of a few
// megabytes per run would cost more than the run itself under the address checker.
inline void Expand(const char *data, qsizetype size, QByteArray &image)
{
    auto word = [&](qsizetype at) {
        return at + 2 <= size ? int(quint8(data[at])) << 8 | int(quint8(data[at + 1])) : -1;
    };
    int blocks = word(0);
    if (blocks < 0) {
        image.clear();
        return;
    }
    // First pass: how far the records reach, when the header leaves the size open.
    if (blocks == 0) {
        for (qsizetype at = 2; at + 4 <= size;) {
            const int block = word(at);
            const int count = qMin(word(at + 2), BlockSize);
            blocks = qMax(blocks, block + 1);
            at += 4 + count;
        }
    }
    blocks = qMin(blocks, MaxBlocks);
    image.resize(qsizetype(blocks) * BlockSize);
    image.fill('\0');
    for (qsizetype at = 2; at + 4 <= size;) {
        const int block = word(at);
        const qsizetype count = qMin<qsizetype>(qMin(word(at + 2), BlockSize), size - at - 4);
        if (block < blocks)
            std::memcpy(image.data() + qsizetype(block) * BlockSize, data + at + 4, size_t(count));
        at += 4 + count;
    }
}

inline QByteArray Compact(const QByteArray &image)
{
    const int blocks = int(qMin<qsizetype>(image.size() / BlockSize, MaxBlocks));
    QByteArray out;
    auto word = [&out](int value) {
        out.append(char(value >> 8));
        out.append(char(value & 0xFF));
    };
    word(blocks);
    for (int block = 0; block < blocks; ++block) {
        const char *start = image.constData() + qsizetype(block) * BlockSize;
        int count = BlockSize;
        while (count > 0 && start[count - 1] == '\0')
            --count;
        if (count == 0)
            continue;
        word(block);
        word(count);
        out.append(start, count);
    }
    return out;
}

} // namespace SparseImage
