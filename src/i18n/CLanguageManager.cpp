#include "i18n/CLanguageManager.h"

#include "i18n/CPrivateProfile.h"
#include "i18n/QtTranslations.h"
#include "platform/AppFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>

namespace {

const QString defaultLanguageSection = QStringLiteral("DefaultLanguage");
const QString defaultLanguageKey = QStringLiteral("Default");
const QString languagesSection = QStringLiteral("Languages");
// The language used when no settings name one. It carries a leading slash like every name in
// the shipped list, so the composed file path has "//" before the file name; that is harmless
// and keeps the name equal to its list entry, which is what marks it as current in the menu.
const QString fallbackLanguage = QStringLiteral("/English");

} // namespace

CLanguageManager &CLanguageManager::Instance()
{
    static CLanguageManager instance(AppFolders::ProgramDataFolder(), DefaultUserConfigFolder());
    // Qt's own texts (dialog buttons, key names in menus) follow the program's language.
    static const bool qtTranslationsFollow =
        (instance.SetLanguageLoadedHandler(&QtTranslations::Install), true);
    Q_UNUSED(qtTranslationsFollow);
    return instance;
}

QString CLanguageManager::DefaultUserConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Orvel BluRay Player");
}

CLanguageManager::CLanguageManager(const QString &applicationFolder,
                                   const QString &userConfigFolder)
    : settingsPath(applicationFolder + QStringLiteral("/config.ini")),
      userSettingsPath(userConfigFolder.isEmpty()
                           ? QString()
                           : userConfigFolder + QStringLiteral("/config.ini")),
      languageFolder(applicationFolder + QStringLiteral("/Languages") + QStringLiteral("/"))
{
    ReadDefaultLanguage();
    ReadLanguageList();
    LoadLanguageFile();
}

void CLanguageManager::ReadDefaultLanguage()
{
    const QString shipped = CPrivateProfile::Load(settingsPath)
                                .ReadString(defaultLanguageSection, defaultLanguageKey,
                                            fallbackLanguage, LanguageNameBufferSize);
    if (userSettingsPath.isEmpty()) {
        currentLanguage = shipped;
        return;
    }
    currentLanguage = CPrivateProfile::Load(userSettingsPath)
                          .ReadString(defaultLanguageSection, defaultLanguageKey, shipped,
                                      LanguageNameBufferSize);
}

void CLanguageManager::ReadLanguageList()
{
    const QStringList entries =
        CPrivateProfile::Load(settingsPath).ReadSection(languagesSection, LanguageListBufferSize);
    for (const QString &entry : entries) {
        // A cut entry could name a language file that does not exist, so it is left out.
        if (entry.size() > LanguageListEntryLimit) {
            continue;
        }
        const auto [name, displayName] = CPrivateProfile::SplitEntry(entry);
        languageList.push_back({name, displayName});
    }
}

void CLanguageManager::LoadLanguageFile()
{
    textTable.clear();
    const CPrivateProfile file = CPrivateProfile::Load(LanguageFilePath());
    const QStringList sectionNames = file.ReadSectionNames(SectionNamesBufferSize);
    for (const QString &sectionName : sectionNames) {
        // Over-long names and entries are skipped rather than cut: a cut section name names
        // no section, and a cut text would show half a sentence.
        if (sectionName.size() > SectionNameLimit) {
            continue;
        }
        std::map<QString, QString> &section = textTable[sectionName];
        for (const QString &entry : file.ReadSection(sectionName, SectionBufferSize)) {
            if (entry.size() > TextEntryLimit) {
                continue;
            }
            auto [key, text] = CPrivateProfile::SplitEntry(entry);
            // emplace keeps the first text of a key that the file repeats.
            section.emplace(std::move(key), std::move(text));
        }
    }
    if (languageLoaded) {
        languageLoaded(Locale());
    }
}

void CLanguageManager::SetLanguageLoadedHandler(std::function<void(const QString &)> handler)
{
    languageLoaded = std::move(handler);
    if (languageLoaded) {
        languageLoaded(Locale());
    }
}

QString CLanguageManager::GetText(const char *key) const
{
    if (!key || std::strlen(key) > size_t(LookupKeyLimit)) {
        return QString();
    }
    const QString wideKey = QString::fromLocal8Bit(key);
    const qsizetype slash = wideKey.lastIndexOf(QLatin1Char('/'));
    const QString sectionName = slash < 0 ? wideKey : wideKey.left(slash);
    const QString keyName = slash < 0 ? QString() : wideKey.mid(slash + 1);

    const auto section = textTable.find(sectionName);
    if (section == textTable.end()) {
        return QString();
    }
    const auto text = section->second.find(keyName);
    return text == section->second.end() ? QString() : text->second;
}

void CLanguageManager::ChangeLanguage(const QString &name)
{
    if (!userSettingsPath.isEmpty()) {
        QDir().mkpath(QFileInfo(userSettingsPath).absolutePath());
        CPrivateProfile::WriteString(userSettingsPath, defaultLanguageSection, defaultLanguageKey,
                                     name);
    }
    ReadDefaultLanguage();
    LoadLanguageFile();
}
