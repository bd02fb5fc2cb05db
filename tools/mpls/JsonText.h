#pragma once

#include "disc/MplsStream.h"
#include "disc/StreamMenuName.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdio>

// Text for the tools' JSON lines.

// JSON string text: quotes, backslashes and control characters escaped, everything else
// left as UTF-8 so that clip names and paths stay readable.
inline void AppendString(QByteArray &out, const QString &text)
{
    out += '"';
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(byte));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// Whole numbers as a JSON array.
template <class Number> void AppendNumbers(QByteArray &out, const QVector<Number> &numbers)
{
    out += '[';
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            out += ',';
        out += QByteArray::number(numbers[i]);
    }
    out += ']';
}

// The streams as a JSON array of the texts the menus list them by.
inline void AppendStreams(QByteArray &out, const QVector<MplsStream> &streams)
{
    out += '[';
    for (qsizetype i = 0; i < streams.size(); ++i) {
        if (i > 0)
            out += ',';
        AppendString(out, StreamMenuName(streams[i]));
    }
    out += ']';
}
