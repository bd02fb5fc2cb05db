#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Subtitle files come in whatever encoding their author's system used: Latin-1 from Western
// Europe, GBK from China, UTF-16 from some Windows editors, UTF-8 from the rest. The engine
// cannot tell them apart reliably by itself (its guesser takes Latin-1 text for GBK and has
// crashed on it), so each file's encoding is found here and the engine only ever reads
// UTF-8.
namespace SubtitleText {

// The encoding's name as iconv knows it ("UTF-8", "UTF-16LE", "GB18030", "WINDOWS-1252"):
// a byte-order mark decides first, then the detector; text it cannot place is taken as
// UTF-8 when it is valid UTF-8 and as Windows-1252 otherwise (every byte is a character
// there, so nothing is lost).
QByteArray DetectEncoding(QByteArrayView bytes);

// The text in UTF-8, without a byte-order mark. A byte sequence that is invalid in the
// detected encoding becomes U+FFFD and the rest is kept. Nothing when the bytes hold a
// zero byte outside UTF-16 (no text subtitle format does: a picture-based one, say), which
// then goes to the engine unchanged.
std::optional<QByteArray> ToUtf8(QByteArrayView bytes);

} // namespace SubtitleText
