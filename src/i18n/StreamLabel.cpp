#include "i18n/StreamLabel.h"

#include "i18n/GetText.h"

namespace StreamLabel {

namespace {

struct LanguageNames
{
    QLocale::Language language;
    const char *german;
    const char *french;
    const char *chinese;
};

// Capitalised as the first word of a menu entry.
constexpr LanguageNames Names[] = {
    {QLocale::English, "Englisch", "Anglais", "英语"},
    {QLocale::German, "Deutsch", "Allemand", "德语"},
    {QLocale::French, "Französisch", "Français", "法语"},
    {QLocale::Chinese, "Chinesisch", "Chinois", "中文"},
    {QLocale::Cantonese, "Kantonesisch", "Cantonais", "粤语"},
    {QLocale::Spanish, "Spanisch", "Espagnol", "西班牙语"},
    {QLocale::Italian, "Italienisch", "Italien", "意大利语"},
    {QLocale::Portuguese, "Portugiesisch", "Portugais", "葡萄牙语"},
    {QLocale::Russian, "Russisch", "Russe", "俄语"},
    {QLocale::Ukrainian, "Ukrainisch", "Ukrainien", "乌克兰语"},
    {QLocale::Japanese, "Japanisch", "Japonais", "日语"},
    {QLocale::Korean, "Koreanisch", "Coréen", "韩语"},
    {QLocale::Dutch, "Niederländisch", "Néerlandais", "荷兰语"},
    {QLocale::Swedish, "Schwedisch", "Suédois", "瑞典语"},
    {QLocale::Danish, "Dänisch", "Danois", "丹麦语"},
    {QLocale::NorwegianBokmal, "Norwegisch", "Norvégien", "挪威语"},
    {QLocale::NorwegianNynorsk, "Norwegisch (Nynorsk)", "Norvégien (nynorsk)", "新挪威语"},
    {QLocale::Finnish, "Finnisch", "Finnois", "芬兰语"},
    {QLocale::Polish, "Polnisch", "Polonais", "波兰语"},
    {QLocale::Czech, "Tschechisch", "Tchèque", "捷克语"},
    {QLocale::Hungarian, "Ungarisch", "Hongrois", "匈牙利语"},
    {QLocale::Romanian, "Rumänisch", "Roumain", "罗马尼亚语"},
    {QLocale::Greek, "Griechisch", "Grec", "希腊语"},
    {QLocale::Turkish, "Türkisch", "Turc", "土耳其语"},
    {QLocale::Arabic, "Arabisch", "Arabe", "阿拉伯语"},
    {QLocale::Hebrew, "Hebräisch", "Hébreu", "希伯来语"},
    {QLocale::Hindi, "Hindi", "Hindi", "印地语"},
    {QLocale::Thai, "Thailändisch", "Thaï", "泰语"},
    {QLocale::Vietnamese, "Vietnamesisch", "Vietnamien", "越南语"},
    {QLocale::Indonesian, "Indonesisch", "Indonésien", "印度尼西亚语"},
};

QString Capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

QStringList NamedLanguageCodes()
{
    QStringList codes;
    for (const LanguageNames &names : Names) {
        // Discs give ISO 639-2 codes; a language without one (Cantonese) takes its other code.
        QString code = QLocale::languageToCode(names.language, QLocale::ISO639Part2);
        if (code.isEmpty())
            code = QLocale::languageToCode(names.language);
        if (!code.isEmpty())
            codes << code;
    }
    return codes;
}

QLocale::Language LanguageOf(const QString &languageCode)
{
    const QString code = languageCode.trimmed().toLower();
    // "und" (undetermined), "mul" (several) and "zxx" (no speech) are codes for no language.
    if (code.isEmpty() || code == QLatin1String("und") || code == QLatin1String("mul") ||
        code == QLatin1String("zxx"))
        return QLocale::AnyLanguage;
    const QLocale::Language language = QLocale::codeToLanguage(code);
    return language == QLocale::C ? QLocale::AnyLanguage : language;
}

QString LanguageName(const QString &languageCode, const QString &interfaceLocale)
{
    const QLocale::Language language = LanguageOf(languageCode);
    if (language == QLocale::AnyLanguage)
        return QString();
    const QString interface = interfaceLocale.left(2).toLower();
    if (interface.isEmpty() || interface == QLatin1String("en"))
        return QLocale::languageToString(language);
    for (const LanguageNames &names : Names) {
        if (names.language != language)
            continue;
        if (interface == QLatin1String("de"))
            return QString::fromUtf8(names.german);
        if (interface == QLatin1String("fr"))
            return QString::fromUtf8(names.french);
        if (interface == QLatin1String("zh"))
            return QString::fromUtf8(names.chinese);
        break;
    }
    const QString own = Capitalised(QLocale(language).nativeLanguageName());
    return own.isEmpty() ? QLocale::languageToString(language) : own;
}

QString Text(Kind kind, int number, const QString &languageCode, const QString &title,
             const QString &interfaceLocale)
{
    // The word before the number comes from the language file; without one, English.
    QString pattern =
        GetText(kind == Kind::Audio ? "MainWnd/AudioNumber" : "MainWnd/SubtitleNumber");
    if (!pattern.contains(QLatin1String("%1")))
        pattern = kind == Kind::Audio ? QStringLiteral("Audio %1") : QStringLiteral("Subtitle %1");
    QString text = pattern.arg(number);
    const QString language = LanguageName(languageCode, interfaceLocale);
    const QString shownTitle = title.trimmed();
    if (language.isEmpty() && shownTitle.isEmpty())
        return text;
    text += QStringLiteral(": ");
    if (!language.isEmpty())
        text += language;
    if (!language.isEmpty() && !shownTitle.isEmpty())
        text += QStringLiteral(" \u2013 ");
    return text + shownTitle;
}

} // namespace StreamLabel
