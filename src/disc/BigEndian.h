#pragma once

#include <QByteArray>
#include <QtGlobal>

// Big-endian numbers, as every Blu-ray file format stores them.

inline void AppendByte(QByteArray &out, quint8 value)
{
    out.append(char(value));
}

inline void AppendWord16(QByteArray &out, quint16 value)
{
    out.append(char(value >> 8));
    out.append(char(value & 0xFF));
}

inline void AppendWord32(QByteArray &out, quint32 value)
{
    AppendWord16(out, quint16(value >> 16));
    AppendWord16(out, quint16(value & 0xFFFF));
}
