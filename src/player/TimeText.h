#pragma once

#include <QString>
#include <QtGlobal>

// Seconds as "hh:mm:ss", the one text form of a time that the window, its menus and the
// player's own on-screen texts show; a disc's title lengths carry the same text.
QString TimeText(qint64 seconds);
