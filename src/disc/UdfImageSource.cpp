#include "disc/UdfImageSource.h"

#include "platform/PathBytes.h"

#include <QFile>
#include <QPair>
#include <QVector>

#include <udfread/blockinput.h>
#include <udfread/udfread.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// libudfread reserves memory for a whole directory or descriptor extent as the image states
// its length (up to 1 GiB) before it reads the blocks; only the blocks that arrive are ever
// touched. Real discs hold well under a megabyte of such data, so the blocks handed out for
// anything but file contents are limited, which bounds what a damaged image can make it use.
constexpr qint64 MetadataBlockBudget = 64 * 1024 * 1024 / UDF_BLOCK_SIZE;

} // namespace

// The block reader handed to libudfread. It owns what it reads from: a file descriptor, or
// a view of bytes in memory; a partial last block reads as zero-filled.
struct UdfBlockInput
{
    udfread_block_input base; // first, so that libudfread's pointer is this object's
    int descriptor = -1;
    const char *memory = nullptr;
    qint64 byteCount = 0;
    bool readingContents = false; // set while a file's own bytes are read
    qint64 metadataBlocksLeft = MetadataBlockBudget;

    quint32 Blocks() const
    {
        const qint64 blocks = (byteCount + UDF_BLOCK_SIZE - 1) / UDF_BLOCK_SIZE;
        return quint32(qMin<qint64>(blocks, 0xFFFFFFFF));
    }

    // Copies count bytes at offset into out, returning how many arrived.
    qint64 Fetch(char *out, qint64 offset, qint64 count) const
    {
        count = qBound<qint64>(0, byteCount - offset, count);
        if (memory) {
            std::memcpy(out, memory + offset, size_t(count));
            return count;
        }
        qint64 done = 0;
        while (done < count) {
            const ssize_t got =
                ::pread(descriptor, out + done, size_t(count - done), offset + done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        return done;
    }
};

namespace {

int CloseInput(udfread_block_input *input)
{
    auto *self = reinterpret_cast<UdfBlockInput *>(input);
    if (self->descriptor >= 0)
        ::close(self->descriptor);
    delete self;
    return 0;
}

int ReadBlocks(udfread_block_input *input, uint32_t lba, void *buffer, uint32_t blocks, int)
{
    auto *self = reinterpret_cast<UdfBlockInput *>(input);
    const quint32 total = self->Blocks();
    if (lba >= total)
        return -1;
    blocks = qMin(blocks, total - lba);
    if (!self->readingContents) {
        if (self->metadataBlocksLeft < blocks)
            return -1;
        self->metadataBlocksLeft -= blocks;
    }
    const qint64 offset = qint64(lba) * UDF_BLOCK_SIZE;
    const qint64 wanted = qint64(blocks) * UDF_BLOCK_SIZE;
    char *out = static_cast<char *>(buffer);
    const qint64 got = self->Fetch(out, offset, wanted);
    if (got <= 0)
        return -1;
    // Only the image's last block can be partial; the rest of it is zeros.
    std::memset(out + got, 0, size_t(wanted - got));
    return int((got + UDF_BLOCK_SIZE - 1) / UDF_BLOCK_SIZE);
}

uint32_t InputSize(udfread_block_input *input)
{
    return reinterpret_cast<const UdfBlockInput *>(input)->Blocks();
}

quint32 Le32(const uchar *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// libudfread looks for the file set descriptor block by block over the extent the logical
// volume names, and spins without reading when that extent is empty (its length less one
// wraps) or ends past the last block number. Every logical volume descriptor that it could
// pick (any in the volume descriptor sequences that the anchors name, following their
// pointers, as far as its read budget reaches) must name a short extent.
bool FileSetExtentsBounded(const UdfBlockInput &input)
{
    constexpr quint32 AnchorTag = 2, PointerTag = 3, LogicalVolumeTag = 6;
    constexpr quint32 MaxFileSetBytes = 2 * 1024 * 1024;
    uchar block[UDF_BLOCK_SIZE];
    auto tagAt = [&](quint32 lba) {
        if (input.Fetch(reinterpret_cast<char *>(block), qint64(lba) * UDF_BLOCK_SIZE,
                        UDF_BLOCK_SIZE) <= 0)
            return quint32(0);
        return quint32(block[0] | block[1] << 8);
    };
    const quint32 last = input.Blocks() - 1;
    QVector<QPair<quint32, quint32>> extents; // (first block, length in bytes)
    for (const quint32 anchor : {256u, last, last - 256}) {
        if (anchor <= last && tagAt(anchor) == AnchorTag) {
            extents.append({Le32(block + 20), Le32(block + 16)}); // main sequence
            extents.append({Le32(block + 28), Le32(block + 24)}); // reserve sequence
        }
    }
    qint64 blocksLeft = MetadataBlockBudget;
    for (qsizetype e = 0; e < extents.size() && e < 256; ++e) {
        const quint32 first = extents[e].first;
        const quint32 end = first + extents[e].second / UDF_BLOCK_SIZE;
        for (quint32 lba = first; lba < end && lba >= first && blocksLeft-- > 0; ++lba) {
            const quint32 tag = tagAt(lba);
            if (tag == PointerTag) {
                const QPair<quint32, quint32> next{Le32(block + 24), Le32(block + 20)};
                if (!extents.contains(next))
                    extents.append(next);
            } else if (tag == LogicalVolumeTag) {
                const quint32 length = Le32(block + 248) & 0x3FFFFFFF;
                const quint32 start = Le32(block + 252);
                if (length == 0 || length > MaxFileSetBytes ||
                    start > 0xFFFFFFFEu - MaxFileSetBytes / UDF_BLOCK_SIZE)
                    return false;
            }
        }
    }
    return true;
}

udfread *OpenVolume(UdfBlockInput *input)
{
    if (!FileSetExtentsBounded(*input)) {
        CloseInput(&input->base);
        return nullptr;
    }
    input->base.close = CloseInput;
    input->base.read = ReadBlocks;
    input->base.size = InputSize;
    udfread *volume = udfread_init();
    if (!volume) {
        CloseInput(&input->base);
        return nullptr;
    }
    // An open volume owns its input and closes it with itself; one that failed to open left
    // the input with us.
    if (udfread_open_input(volume, &input->base) < 0) {
        udfread_close(volume);
        CloseInput(&input->base);
        return nullptr;
    }
    return volume;
}

QByteArray InsidePath(const QString &relative)
{
    return '/' + relative.toUtf8();
}

} // namespace

UdfImageSource::UdfImageSource(const QString &root, udfread *volume, UdfBlockInput *input)
    : DiscFileSource(root), volume(volume), input(input)
{
}

UdfImageSource::~UdfImageSource()
{
    udfread_close(volume);
}

std::unique_ptr<UdfImageSource> UdfImageSource::Open(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    // Non-blocking so that an optical drive without a disc answers at once.
    int fd;
    do {
        fd = ::open(PathBytes::ToBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return nullptr;
    struct stat status;
    const off_t end =
        ::fstat(fd, &status) == 0 && (S_ISREG(status.st_mode) || S_ISBLK(status.st_mode))
            ? ::lseek(fd, 0, SEEK_END)
            : -1;
    if (end < UDF_BLOCK_SIZE) {
        ::close(fd);
        return nullptr;
    }
    auto *input = new UdfBlockInput{};
    input->descriptor = fd;
    input->byteCount = end;
    udfread *volume = OpenVolume(input);
    if (!volume)
        return nullptr;
    return std::unique_ptr<UdfImageSource>(new UdfImageSource(path, volume, input));
}

std::unique_ptr<UdfImageSource> UdfImageSource::FromBytes(QByteArrayView image, const QString &name)
{
    if (image.size() < UDF_BLOCK_SIZE)
        return nullptr;
    auto *input = new UdfBlockInput{};
    input->memory = image.data();
    input->byteCount = image.size();
    udfread *volume = OpenVolume(input);
    if (!volume)
        return nullptr;
    return std::unique_ptr<UdfImageSource>(new UdfImageSource(name, volume, input));
}

bool UdfImageSource::List(const QString &relative, QVector<DiscEntry> &entries)
{
    UDFDIR *dir = udfread_opendir(volume, InsidePath(relative).constData());
    if (!dir)
        return false;
    udfread_dirent entry;
    while (udfread_readdir(dir, &entry)) {
        if (!entry.d_name || entry.d_name[0] == '.' || entry.d_name[0] == '\0')
            continue;
        entries.append({QString::fromUtf8(entry.d_name), entry.d_type == UDF_DT_DIR});
    }
    udfread_closedir(dir);
    return true;
}

bool UdfImageSource::IsFolder(const QString &relative)
{
    UDFDIR *dir = udfread_opendir(volume, InsidePath(relative).constData());
    if (!dir)
        return false;
    udfread_closedir(dir);
    return true;
}

bool UdfImageSource::Read(const QString &relative, DiscFileBytes &out)
{
    out.Clear();
    UDFFILE *file = udfread_file_open(volume, InsidePath(relative).constData());
    if (!file)
        return false;
    const qint64 size = udfread_file_size(file);
    if (size < 0 || budgetLeft <= 0) {
        udfread_file_close(file);
        return false;
    }
    // The buffer grows with what arrives rather than with what the file claims, so a
    // damaged size costs nothing until its bytes are really there. It doubles as it grows:
    // one piece more each time would copy a file of many pieces over and over.
    QByteArray bytes;
    const qint64 wanted = qMin(qMin(size, MaxReadBytes), budgetLeft);
    constexpr qint64 Piece = 256 * 1024;
    while (bytes.size() < wanted) {
        const qint64 start = bytes.size();
        const qint64 piece = qMin(Piece, wanted - start);
        if (start + piece > bytes.capacity())
            bytes.reserve(qMin(wanted, qMax(start + piece, 2 * bytes.capacity())));
        bytes.resize(start + piece);
        input->readingContents = true;
        const ssize_t got = udfread_file_read(file, bytes.data() + start, size_t(piece));
        input->readingContents = false;
        bytes.truncate(start + qMax<qint64>(got, 0));
        if (got <= 0)
            break;
    }
    udfread_file_close(file);
    budgetLeft -= bytes.size();
    out.Hold(std::move(bytes), size);
    return true;
}
