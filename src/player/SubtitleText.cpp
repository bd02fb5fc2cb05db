#include "player/SubtitleText.h"

#include <uchardet.h>

#include <cerrno>
#include <iconv.h>

namespace SubtitleText {

namespace {

constexpr QByteArrayView Utf8Mark("\xEF\xBB\xBF");
constexpr QByteArrayView Utf16LeMark("\xFF\xFE");
constexpr QByteArrayView Utf16BeMark("\xFE\xFF");
constexpr QByteArrayView Replacement("\xEF\xBF\xBD"); // U+FFFD

bool IsValidUtf8(QByteArrayView bytes)
{
    iconv_t check = iconv_open("UTF-8", "UTF-8");
    if (check == iconv_t(-1))
        return false;
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char buffer[4096];
    bool valid = true;
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(check, &in, &inLeft, &out, &outLeft) == size_t(-1) && errno != E2BIG) {
            valid = false;
            break;
        }
    }
    iconv_close(check);
    return valid;
}

// UTF-16 without a mark: a zero byte in every other place of the first lines.
std::optional<QByteArray> UnmarkedUtf16(QByteArrayView bytes)
{
    const qsizetype probe = qMin<qsizetype>(bytes.size() & ~qsizetype(1), 512);
    if (probe < 4)
        return std::nullopt;
    int evenZeros = 0;
    int oddZeros = 0;
    for (qsizetype i = 0; i < probe; i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    const int pairs = int(probe / 2);
    if (oddZeros * 10 >= pairs * 8 && evenZeros == 0)
        return QByteArray("UTF-16LE");
    if (evenZeros * 10 >= pairs * 8 && oddZeros == 0)
        return QByteArray("UTF-16BE");
    return std::nullopt;
}

} // namespace

QByteArray DetectEncoding(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8Mark))
        return "UTF-8";
    if (bytes.startsWith(Utf16LeMark))
        return "UTF-16LE";
    if (bytes.startsWith(Utf16BeMark))
        return "UTF-16BE";
    if (const std::optional<QByteArray> wide = UnmarkedUtf16(bytes))
        return *wide;
    if (IsValidUtf8(bytes))
        return "UTF-8";

    QByteArray found;
    if (uchardet_t detector = uchardet_new()) {
        if (uchardet_handle_data(detector, bytes.data(), size_t(bytes.size())) == 0) {
            uchardet_data_end(detector);
            found = QByteArray(uchardet_get_charset(detector)).toUpper();
        }
        uchardet_delete(detector);
    }
    // GB2312 text often holds a few characters only GBK has; its superset reads both.
    if (found == "GB2312" || found == "GBK")
        found = "GB18030";
    // A name the detector gives but iconv cannot convert from counts as none.
    if (!found.isEmpty() && found != "ASCII") {
        iconv_t probe = iconv_open("UTF-8", found.constData());
        if (probe != iconv_t(-1)) {
            iconv_close(probe);
            return found;
        }
    }
    return "WINDOWS-1252";
}

std::optional<QByteArray> ToUtf8(QByteArrayView bytes)
{
    const QByteArray encoding = DetectEncoding(bytes);
    if (!encoding.startsWith("UTF-16") && bytes.contains('\0'))
        return std::nullopt;
    QByteArrayView text = bytes;
    if (encoding == "UTF-8" && text.startsWith(Utf8Mark))
        text = text.sliced(Utf8Mark.size());
    else if (encoding == "UTF-16LE" && text.startsWith(Utf16LeMark))
        text = text.sliced(Utf16LeMark.size());
    else if (encoding == "UTF-16BE" && text.startsWith(Utf16BeMark))
        text = text.sliced(Utf16BeMark.size());

    iconv_t convert = iconv_open("UTF-8", encoding.constData());
    if (convert == iconv_t(-1))
        return std::nullopt;
    QByteArray result;
    result.reserve(text.size() * 2);
    char *in = const_cast<char *>(text.data());
    size_t inLeft = size_t(text.size());
    char buffer[8192];
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(convert, &in, &inLeft, &out, &outLeft);
        result.append(buffer, qsizetype(sizeof buffer - outLeft));
        if (done != size_t(-1) || errno == E2BIG)
            continue;
        // An invalid or cut sequence: one byte is marked as unreadable and reading goes on.
        result.append(Replacement);
        ++in;
        --inLeft;
        iconv(convert, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(convert);
    return result;
}

} // namespace SubtitleText
