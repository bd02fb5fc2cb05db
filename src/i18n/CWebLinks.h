#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Where the Help menu and the about box send the user: the pages of the user guide that ship
// with the program, so that they work without a network and always describe the version
// installed. The guide holds one folder per language, named like the language file; a page
// missing in the current language is shown in English.
class CWebLinks
{
public:
    // The table for the running program, following the current language. Needs a
    // QCoreApplication.
    static const CWebLinks &Instance();

    CWebLinks(const QString &guideFolder, std::function<QString()> currentLanguage);

    QUrl HelpUrl() const { return PageFor(currentLanguage(), QStringLiteral("index.html")); }
    QUrl AboutUrl() const { return PageFor(currentLanguage(), QStringLiteral("about.html")); }
    QUrl SupportUrl() const { return PageFor(currentLanguage(), QStringLiteral("support.html")); }

    // The page of the guide in the language with this name ("/German").
    QUrl PageFor(const QString &languageName, const QString &page) const;

private:
    QString guideFolder;
    std::function<QString()> currentLanguage;
};
