#include "disc/DiscFileBytes.h"

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
    mapped.setFileName(path);
    if (!mapped.open(QIODevice::ReadOnly))
        return false;
    const uchar *data = mapped.map(0, size);
    if (!data)
        return false;
    view = QByteArrayView(data, size);
    return true;
}

void DiscFileBytes::Clear()
{
    view = {};
    buffer.clear();
    if (mapped.isOpen())
        mapped.close();
    expected = 0;
}
