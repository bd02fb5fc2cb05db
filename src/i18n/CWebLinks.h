#pragma once

#include <QString>
#include <QUrl>

// Where the Help menu and the about box send the user: the pages of the user guide that ship
// in the "guide" folder beside the executable, so that they work without a network and always
// describe the version installed.
class CWebLinks
{
public:
    // The table for the running program. Needs a QCoreApplication.
    static const CWebLinks &Instance();

    explicit CWebLinks(const QString &applicationFolder);

    QUrl HelpUrl() const { return helpUrl; }
    QUrl AboutUrl() const { return aboutUrl; }
    QUrl SupportUrl() const { return supportUrl; }

private:
    QUrl helpUrl;
    QUrl aboutUrl;
    QUrl supportUrl;
};
