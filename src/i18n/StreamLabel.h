#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// The menu text of one audio or subtitle stream: its number as the menus have always shown it
// ("Audio 2"), then what the engine says of the stream, its language named in the interface
// language and its title: "Audio 2: German – Commentary", "Subtitle 1: Französisch". A
// stream with neither a known language nor a title keeps the bare number.
namespace StreamLabel {

enum class Kind
{
    Audio,
    Subtitle,
};

// number: the entry's number from 1. languageCode: as the engine prints it, ISO 639-2/B
// ("ger"), 639-2/T ("deu") or 639-1 ("de"), in any case; empty, "und" or a code no language
// answers to counts as unknown. interfaceLocale: CLanguageManager::Locale() ("de", "fr",
// "zh_CN"; empty for English).
QString Text(Kind kind, int number, const QString &languageCode, const QString &title,
             const QString &interfaceLocale);

// The language's name in the interface language, empty when the code names none.
//
// Qt's locale data names each language in English and in itself only, not in a third
// language, so the names in German, French and Chinese of the languages films most often
// carry are kept here; for any other language those interfaces show the language's own name
// ("Kiswahili"), which its speakers recognise, rather than an English one.
QString LanguageName(const QString &languageCode, const QString &interfaceLocale);

// The languages the player names in every interface language, as ISO 639-2 codes ("fra"), in
// the order a chooser offers them.
QStringList NamedLanguageCodes();

// The language a code names, AnyLanguage when none.
QLocale::Language LanguageOf(const QString &languageCode);

} // namespace StreamLabel
