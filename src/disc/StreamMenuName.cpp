#include "disc/StreamMenuName.h"

namespace {

// Audio coding types and the codec that the audio menu names after the language.
struct AudioCodec
{
    quint8 codingType;
    const char *suffix;
};
constexpr AudioCodec audioCodecs[] =
    {
        {0x80, " LPCM"}, {0x81, " AC3"},    {0x82, " DTS"},        {0x83, " TRUEHD"},
        {0x84, " EAC3"}, {0x85, " DTS HD"}, {0x86, " DTS HD XLL"}, {0xA1, " EAC3"},
        {0xA2, ""}, // secondary DTS-HD audio: the language alone
};

struct KnownLanguage
{
    const char *code;
    const char *name;
};
constexpr KnownLanguage knownLanguages[] = {
    {"eng", "English"}, {"msa", "Malay"},    {"zho", "Chinese"},  {"spa", "Spanish"},
    {"fra", "French"},  {"hin", "Hindi"},    {"jpn", "Japanese"}, {"kor", "Korean"},
    {"tha", "Thai"},    {"por", "Portugal"},
};

} // namespace

QString LanguageMenuName(QByteArrayView code)
{
    for (const KnownLanguage &language : knownLanguages) {
        if (code == QByteArrayView(language.code))
            return QString::fromLatin1(language.name);
    }
    const qsizetype end = code.indexOf('\0');
    QByteArray upper = code.first(end < 0 ? code.size() : end).toByteArray();
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return QString::fromLatin1(upper);
}

QString StreamMenuName(const MplsStream &stream)
{
    QString name = LanguageMenuName(stream.language);
    for (const AudioCodec &audio : audioCodecs) {
        if (audio.codingType == stream.codingType)
            return name + QLatin1String(audio.suffix);
    }
    return name;
}

QString AudioCodecName(quint8 codingType)
{
    for (const AudioCodec &audio : audioCodecs) {
        if (audio.codingType == codingType)
            return QString::fromLatin1(audio.suffix).trimmed();
    }
    return QString();
}
