#include "platform/PathBytes.h"

#include <QUrl>

#include <dirent.h>
#include <sys/stat.h>

namespace {

constexpr char16_t EscapeBase = 0xDC00;
constexpr char16_t Replacement = 0xFFFD;

bool IsContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at the start of bytes, or 0 when there is none
// (overlong forms, surrogates and code points past U+10FFFF are not valid).
qsizetype ValidSequence(QByteArrayView bytes, char32_t &codePoint)
{
    const uchar lead = uchar(bytes[0]);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    qsizetype length;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        const uchar next = uchar(bytes[i]);
        if (!IsContinuation(next))
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool IsEscapedByte(char16_t unit)
{
    return unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF;
}

void AppendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool Stat(QStringView path, struct stat &status)
{
    return !path.isEmpty() && ::stat(PathBytes::ToBytes(path).constData(), &status) == 0;
}

} // namespace

QString PathBytes::FromBytes(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        char32_t codePoint = 0;
        const qsizetype length = ValidSequence(bytes, codePoint);
        if (length == 0) {
            text += QChar(char16_t(EscapeBase + uchar(bytes[0])));
            bytes = bytes.sliced(1);
            continue;
        }
        if (codePoint < 0x10000) {
            text += QChar(char16_t(codePoint));
        } else {
            text += QChar(QChar::highSurrogate(codePoint));
            text += QChar(QChar::lowSurrogate(codePoint));
        }
        bytes = bytes.sliced(length);
    }
    return text;
}

QByteArray PathBytes::ToBytes(QStringView path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() &&
            QChar::isLowSurrogate(path[i + 1].unicode())) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, path[i + 1].unicode()));
            ++i;
        } else if (IsEscapedByte(unit)) {
            bytes += char(unit - EscapeBase);
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, Replacement);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QString PathBytes::Readable(QStringView path)
{
    QString text = path.toString();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            text[i] = QChar(Replacement);
        }
    }
    return text;
}

bool PathBytes::HasForeignBytes(QStringView path)
{
    for (const QChar c : path) {
        if (IsEscapedByte(c.unicode()))
            return true;
    }
    return false;
}

bool PathBytes::Exists(QStringView path)
{
    struct stat status;
    return Stat(path, status);
}

bool PathBytes::IsFolder(QStringView path)
{
    struct stat status;
    return Stat(path, status) && S_ISDIR(status.st_mode);
}

bool PathBytes::IsRegularFile(QStringView path)
{
    struct stat status;
    return Stat(path, status) && S_ISREG(status.st_mode);
}

QByteArray PathBytes::ToFileUrl(QStringView path)
{
    return "file://" + ToBytes(path).toPercentEncoding("/");
}

QString PathBytes::FromFileUrl(const QUrl &url)
{
    return FromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QString PathBytes::RecoverLossyPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || !path.sliced(slash + 1).contains(QChar(Replacement)) || Exists(path))
        return path;
    const QString folder = path.first(slash + 1);
    const QString wanted = path.sliced(slash + 1);
    DIR *dir = ::opendir(ToBytes(folder.size() > 1 ? folder.chopped(1) : folder).constData());
    if (!dir)
        return path;
    QString found;
    int matches = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (QString::fromUtf8(name) == wanted) {
            found = folder + FromBytes(name);
            ++matches;
        }
    }
    ::closedir(dir);
    // Two names that read the same cannot be told apart; neither is guessed.
    return matches == 1 ? found : path;
}
