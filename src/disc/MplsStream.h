#pragma once

#include <QByteArray>
#include <QtGlobal>

// One audio or subtitle stream of a playlist, as the playlist holds it. The menus name it
// with StreamMenuName.
struct MplsStream
{
    quint8 codingType = 0; // 0x81 AC-3, 0x90 graphics subtitle, 0x92 text subtitle, ...
    QByteArray language;   // the three bytes of the language code as stored ("eng")

    friend bool operator==(const MplsStream &a, const MplsStream &b)
    {
        return a.codingType == b.codingType && a.language == b.language;
    }
    friend bool operator!=(const MplsStream &a, const MplsStream &b) { return !(a == b); }
};
