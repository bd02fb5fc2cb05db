#include "DvdFolderBuilder.h"

#include "MediaMaker.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

bool RunDvdauthor(const QStringList &arguments, QString *error)
{
    QProcess dvdauthor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VIDEO_FORMAT"), QStringLiteral("PAL"));
    dvdauthor.setProcessEnvironment(environment);
    dvdauthor.start(QStringLiteral("dvdauthor"), arguments);
    if (!dvdauthor.waitForFinished(300000) || dvdauthor.exitStatus() != QProcess::NormalExit ||
        dvdauthor.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("dvdauthor failed: ") +
                     QString::fromLocal8Bit(dvdauthor.readAllStandardError()).trimmed() +
                     dvdauthor.errorString();
        dvdauthor.kill();
        dvdauthor.waitForFinished();
        return false;
    }
    return true;
}

} // namespace

bool DvdFolderBuilder::Build(const QString &discFolder, QString *error) const
{
    if (!QDir().mkpath(discFolder)) {
        if (error)
            *error = QStringLiteral("cannot make ") + discFolder;
        return false;
    }
    MediaMaker maker(streamCache);
    const QVector<Title> wanted = titles.isEmpty() ? QVector<Title>{{seconds, {}}} : titles;
    QStringList arguments{QStringLiteral("-o"), discFolder};
    for (const Title &title : wanted) {
        QString programStream;
        if (!maker.MakeDvdProgramStream(title.seconds, programStream, error))
            return false;
        arguments << QStringLiteral("-t");
        if (!title.chapterSeconds.isEmpty()) {
            QStringList starts{QStringLiteral("0")};
            for (const double start : title.chapterSeconds)
                starts << QString::number(start);
            arguments << QStringLiteral("-c") << starts.join(QLatin1Char(','));
        }
        arguments << programStream;
    }
    // First the title sets, then the video manager that lists them.
    return RunDvdauthor(arguments, error) &&
           RunDvdauthor({QStringLiteral("-o"), discFolder, QStringLiteral("-T")}, error);
}
