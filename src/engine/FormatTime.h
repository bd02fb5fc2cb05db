#pragma once

#include <QString>
#include <QtGlobal>

// Seconds as "hh:mm:ss" with two-digit fields, as the time labels and menus show them.
// Hours are not limited to two digits (360000 gives "100:00:00"). A negative count is not
// a time: it shows as "00:00:" followed by its low 32 bits as a signed number, so -5 reads
// "00:00:-5", which at least makes a bad value visible instead of hiding it.
QString FormatTime(qint64 seconds);
