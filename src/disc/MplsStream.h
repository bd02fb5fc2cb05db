#pragma once

#include <QString>

// One audio or subtitle stream of a playlist, as the audio and subtitle menus show it.
struct MplsStream
{
    QString description; // language name, for audio followed by the codec, e.g. "English AC3"

    friend bool operator==(const MplsStream &a, const MplsStream &b)
    {
        return a.description == b.description;
    }
    friend bool operator!=(const MplsStream &a, const MplsStream &b) { return !(a == b); }
};
