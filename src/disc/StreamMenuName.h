#pragma once

#include "disc/MplsStream.h"

#include <QByteArrayView>
#include <QString>

// The text the audio and subtitle menus show for a stream: the language's name, for audio
// followed by the codec ("English AC3", "French DTS HD", "English").
QString StreamMenuName(const MplsStream &stream);

// The name of a three-letter language code: a few known names, else the code upper-cased
// (up to a zero byte, as the code is C text in the file).
QString LanguageMenuName(QByteArrayView code);

// The codec an audio stream's coding type names ("AC3", "DTS HD"); empty for other types.
QString AudioCodecName(quint8 codingType);
