// Feeds arbitrary text to the probe's reading of ffmpeg's output. Raw, the answer is empty or
// a clock "h...h:mm:ss" that ParseClockText reads back field by field. Used as a file name and
// a title tag, printed the way ffmpeg prints them around a 5-second length, it never changes
// the answer from 00:00:05.

#include "../FuzzCheck.h"
#include "engine/DurationProbe.h"

#include <QFile>

#include <cstdint>

namespace {

void CheckClockShape(const QString &text)
{
    if (text.isEmpty())
        return;
    const QStringList fields = text.split(QLatin1Char(':'));
    Check(fields.size() == 3 && fields[1].size() == 2 && fields[2].size() == 2);
    qint64 expected = 0;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const qint64 value = fields[i].toLongLong(&ok);
        Check(ok && !fields[i].startsWith(QLatin1Char('+')) && value >= 0);
        expected = expected * 60 + value;
    }
    Check(ParseClockText(text.toLatin1()) == expected);
}

// A tag value as ffmpeg prints it: a line break starts a continuation line under the tag's
// name, a carriage return prints as a blank, other line controls are dropped.
QByteArray PrintedTagValue(QByteArrayView value)
{
    QByteArray printed;
    for (const char c : value) {
        if (c == '\n')
            printed += "\n                    : ";
        else if (c == '\r')
            printed += ' ';
        else if (c != '\b' && c != '\v' && c != '\f')
            printed += c;
    }
    return printed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    CheckClockShape(DurationTextFromProbeOutput(input, QStringLiteral("a.mkv")));

    // The part before the first NUL names the file, the rest is its title.
    const qsizetype split = input.indexOf('\0');
    const QString name =
        QFile::decodeName(input.first(split < 0 ? input.size() : split).toByteArray());
    if (name.isEmpty())
        return 0;
    const QByteArrayView title = split < 0 ? QByteArrayView() : input.sliced(split + 1);
    const QByteArray output = "Input #0, matroska,webm, from '" + QFile::encodeName(name) +
                              "':\n  Metadata:\n    title           : " + PrintedTagValue(title) +
                              "\n  Duration: 00:00:05.00, start: 0.000000, bitrate: 33 kb/s\n"
                              "  Stream #0:0: Video: mpeg4, yuv420p, 64x48, 10 fps\n";
    Check(DurationTextFromProbeOutput(output, name) == QLatin1String("00:00:05"));
    return 0;
}
