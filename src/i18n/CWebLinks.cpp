#include "i18n/CWebLinks.h"

#include <QCoreApplication>

const CWebLinks &CWebLinks::Instance()
{
    static const CWebLinks instance(QCoreApplication::applicationDirPath());
    return instance;
}

CWebLinks::CWebLinks(const QString &applicationFolder)
    : helpUrl(QUrl::fromLocalFile(applicationFolder + QStringLiteral("/guide/index.html"))),
      aboutUrl(QUrl::fromLocalFile(applicationFolder + QStringLiteral("/guide/about.html"))),
      supportUrl(QUrl::fromLocalFile(applicationFolder + QStringLiteral("/guide/support.html")))
{
}
