#pragma once

#include "i18n/LanguageEntry.h"

#include <QString>

#include <functional>
#include <map>
#include <vector>

// The process-wide store of interface texts. It reads the current language name and the list
// of languages from the settings, loads the texts of the current language into memory, and
// answers lookups by "Section/Key" without touching a file.
//
// The settings come in two layers. The "config.ini" shipped beside the executable names the
// default language and lists the languages offered; the program folder is not the user's to
// write, so the user's choice goes to a "config.ini" of the same layout in the user's own
// configuration folder, whose "DefaultLanguage" wins when it is there.
class CLanguageManager
{
public:
    // The fixed buffers the settings and language files were designed around, in characters.
    static constexpr int LanguageNameBufferSize = 64;
    static constexpr int LanguageListBufferSize = 10240;
    static constexpr int LanguageListEntryLimit = 127;
    static constexpr int SectionNamesBufferSize = 1024;
    static constexpr int SectionNameLimit = 255;
    static constexpr int SectionBufferSize = 10240;
    static constexpr int TextEntryLimit = 1023;
    static constexpr int LookupKeyLimit = 63;

    // The instance for the running program: settings and languages beside the executable,
    // the user's choice in the per-user configuration folder. Needs a QCoreApplication.
    static CLanguageManager &Instance();

    // A store over the given folders; runs the whole start-up reading.
    CLanguageManager(const QString &applicationFolder, const QString &userConfigFolder);
    CLanguageManager(const CLanguageManager &) = delete;
    CLanguageManager &operator=(const CLanguageManager &) = delete;

    // The text of "Section/Key" in the current language, empty when there is none. The key is
    // split at its last "/"; a key without "/" names a section and the empty key in it. Keys
    // longer than LookupKeyLimit find nothing.
    QString GetText(const char *key) const;
    QString CurrentLanguage() const { return currentLanguage; }
    const std::vector<LanguageEntry> &LanguageList() const { return languageList; }
    // Stores name as the user's language and loads its texts. When the choice cannot be
    // stored the language stays what the settings say, as it would on the next start.
    void ChangeLanguage(const QString &name);

    // The locale of the current language ("de", "zh_CN"), named by the language file itself
    // in "Language/Locale"; empty when the file names none.
    QString Locale() const { return GetText("Language/Locale"); }

    // Called with Locale() after every load of a language file, and once when set.
    void SetLanguageLoadedHandler(std::function<void(const QString &locale)> handler);

    // The per-user configuration folder of the running program.
    static QString DefaultUserConfigFolder();

    QString SettingsPath() const { return settingsPath; }
    QString UserSettingsPath() const { return userSettingsPath; }
    QString LanguageFolder() const { return languageFolder; }
    QString LanguageFilePath() const
    {
        return languageFolder + currentLanguage + QStringLiteral(".ini");
    }

private:
    void ReadDefaultLanguage();
    void ReadLanguageList();
    void LoadLanguageFile();

    QString settingsPath;
    QString userSettingsPath;
    QString languageFolder;
    QString currentLanguage;
    std::vector<LanguageEntry> languageList;
    // Section name to key to text; QString orders by UTF-16 code units, so matching is exact.
    std::map<QString, std::map<QString, QString>> textTable;
    std::function<void(const QString &)> languageLoaded;
};
