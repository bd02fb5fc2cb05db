#include "i18n/CWebLinks.h"

#include "i18n/CLanguageManager.h"
#include "platform/AppFolders.h"

#include <QFileInfo>

const CWebLinks &CWebLinks::Instance()
{
    static const CWebLinks instance(AppFolders::ProgramDataFolder() + QStringLiteral("/guide"),
                                    [] { return CLanguageManager::Instance().CurrentLanguage(); });
    return instance;
}

CWebLinks::CWebLinks(const QString &guideFolder, std::function<QString()> currentLanguage)
    : guideFolder(guideFolder), currentLanguage(std::move(currentLanguage))
{
}

QUrl CWebLinks::PageFor(const QString &languageName, const QString &page) const
{
    // Language names carry a leading "/" (see the settings file); the folder does not.
    QString folder = languageName;
    while (folder.startsWith(QLatin1Char('/'))) {
        folder.remove(0, 1);
    }
    const QString translated = guideFolder + QLatin1Char('/') + folder + QLatin1Char('/') + page;
    if (!folder.isEmpty() && !folder.contains(QLatin1Char('/')) && QFileInfo::exists(translated)) {
        return QUrl::fromLocalFile(translated);
    }
    return QUrl::fromLocalFile(guideFolder + QStringLiteral("/English/") + page);
}
