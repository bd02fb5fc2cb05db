#include "disc/DiscFileBytes.h"

#include "platform/PathBytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

void DiscFileBytes::Hold(QByteArray bytes, qint64 claimedSize)
{
    Clear();
    buffer = std::move(bytes);
    view = buffer;
    expected = claimedSize;
}

bool DiscFileBytes::Map(const QString &path, qint64 size)
{
    Clear();
    expected = size;
    const int descriptor =
        ::open(PathBytes::ToBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return false;
    void *data = size > 0 ? ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, descriptor, 0)
                          : MAP_FAILED;
    ::close(descriptor);
    if (data == MAP_FAILED)
        return false;
    mapping = data;
    mappedSize = size;
    view = QByteArrayView(static_cast<const char *>(data), size);
    return true;
}

void DiscFileBytes::Clear()
{
    view = {};
    buffer.clear();
    if (mapping)
        ::munmap(mapping, size_t(mappedSize));
    mapping = nullptr;
    mappedSize = 0;
    expected = 0;
}
