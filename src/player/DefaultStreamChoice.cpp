#include "player/DefaultStreamChoice.h"

#include <QLocale>

namespace {

QLocale::Language LanguageOf(const QString &code)
{
    const QString trimmed = code.trimmed();
    if (trimmed.size() < 2 || trimmed.compare(QLatin1String("und"), Qt::CaseInsensitive) == 0)
        return QLocale::AnyLanguage;
    // Region tags ("pt-BR") name the language before them.
    const QString language = trimmed.section(QLatin1Char('-'), 0, 0).toLower();
    return QLocale::codeToLanguage(language, QLocale::AnyLanguageCode);
}

int FirstIn(const QStringList &languages, const QString &wanted)
{
    for (int i = 0; i < languages.size(); ++i) {
        if (DefaultStreamChoice::SameLanguage(languages[i], wanted))
            return i;
    }
    return -1;
}

} // namespace

DefaultStreamChoice DefaultStreamChoice::ForStreams(const QVector<MplsStream> &audio,
                                                    const QVector<MplsStream> &subtitles,
                                                    const QString &preferredAudio,
                                                    const QString &preferredSubtitle)
{
    auto codes = [](const QVector<MplsStream> &streams) {
        QStringList list;
        for (const MplsStream &stream : streams) {
            const qsizetype end = stream.language.indexOf('\0');
            list << QString::fromLatin1(end < 0 ? stream.language : stream.language.left(end));
        }
        return list;
    };
    return Choose(codes(audio), codes(subtitles), preferredAudio, preferredSubtitle);
}

bool DefaultStreamChoice::SameLanguage(const QString &a, const QString &b)
{
    const QLocale::Language language = LanguageOf(a);
    return language != QLocale::AnyLanguage && language == LanguageOf(b);
}

DefaultStreamChoice DefaultStreamChoice::Choose(const QStringList &audioLanguages,
                                                const QStringList &subtitleLanguages,
                                                const QString &preferredAudio,
                                                const QString &preferredSubtitle)
{
    DefaultStreamChoice choice;
    int audio = 0; // the disc's first, which is also what it starts with by itself
    if (!preferredAudio.isEmpty() && !audioLanguages.isEmpty()) {
        audio = qMax(0, FirstIn(audioLanguages, preferredAudio));
        choice.audio = audio;
    }
    if (preferredSubtitle.isEmpty())
        return choice;
    const int subtitle = FirstIn(subtitleLanguages, preferredSubtitle);
    const bool heard =
        audio < audioLanguages.size() && SameLanguage(audioLanguages[audio], preferredSubtitle);
    choice.subtitle = subtitle >= 0 && !heard ? subtitle : -1;
    return choice;
}
