#pragma once

#include "disc/MplsStream.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// Which audio and subtitle stream a title starts with, given the user's preferred languages:
// the first audio stream in the audio language, else the disc's first; subtitles only when a
// stream is in the subtitle language and the audio chosen is in another one, so that nobody
// reads what they already hear. An empty preference leaves that choice to the disc.
//
// Languages are codes as discs and the engine give them: ISO 639-2/B ("ger"), 639-2/T
// ("deu") or 639-1 ("de"), in any case; "und", empty or unknown codes match nothing.
struct DefaultStreamChoice
{
    // Indexes into the lists given, from 0. nullopt: the disc's own choice.
    std::optional<int> audio;
    // -1: subtitles off.
    std::optional<int> subtitle;

    static DefaultStreamChoice Choose(const QStringList &audioLanguages,
                                      const QStringList &subtitleLanguages,
                                      const QString &preferredAudio,
                                      const QString &preferredSubtitle);
    // The same for a Blu-ray playlist's streams, whose codes are three bytes of C text.
    static DefaultStreamChoice ForStreams(const QVector<MplsStream> &audio,
                                          const QVector<MplsStream> &subtitles,
                                          const QString &preferredAudio,
                                          const QString &preferredSubtitle);
    // Whether two codes name one language ("ger", "deu" and "de" do).
    static bool SameLanguage(const QString &a, const QString &b);

    friend bool operator==(const DefaultStreamChoice &a, const DefaultStreamChoice &b)
    {
        return a.audio == b.audio && a.subtitle == b.subtitle;
    }
};
