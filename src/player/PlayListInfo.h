#pragma once

#include "player/SourceKind.h"

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// One playlist entry: a media file, a DVD folder or a Blu-ray disc. Travels in the QVariant
// of its table row and of the Blu-ray title menu entries, so it is a registered metatype.
struct PLAY_LIST_INFO
{
    SourceKind kind = SourceKind::MediaFile;
    qint64 reserved = 0;  // always 0; nothing reads it
    QString path;         // file, DVD folder, Blu-ray disc folder (or title key in menus)
    QString durationText; // "hh:mm:ss" from the probe or the title length; may be empty

    friend bool operator==(const PLAY_LIST_INFO &a, const PLAY_LIST_INFO &b)
    {
        return a.kind == b.kind && a.reserved == b.reserved && a.path == b.path &&
               a.durationText == b.durationText;
    }
    friend bool operator!=(const PLAY_LIST_INFO &a, const PLAY_LIST_INFO &b) { return !(a == b); }
};

Q_DECLARE_METATYPE(PLAY_LIST_INFO)
