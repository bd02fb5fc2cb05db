#include "engine/EngineScreenshot.h"

#include "engine/EngineCommandLine.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The filter numbers its files "%04d" from 0001 and never reaches five digits in practice:
// each file is converted and removed as soon as the engine reports it.
bool IsFilterName(const QString &name, const QString &namePrefix)
{
    const QString suffix = QStringLiteral(".png");
    constexpr int digitCount = 4;
    if (name.size() != namePrefix.size() + digitCount + suffix.size())
        return false;
    if (!name.startsWith(namePrefix) || !name.endsWith(suffix))
        return false;
    for (int i = 0; i < digitCount; ++i) {
        const QChar c = name.at(namePrefix.size() + i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

EngineScreenshot EngineScreenshot::Check(const QString &enginePath, const QString &screenshotFolder)
{
    if (enginePath.isEmpty())
        return EngineScreenshot(Verdict::Missing, QString());
    // The engine names its files relative to its working directory, the screenshot folder.
    const QDir engineFolder(screenshotFolder);
    const QFileInfo file(engineFolder.filePath(enginePath));
    if (!file.isFile())
        return EngineScreenshot(Verdict::Missing, QString());

    const QString prefix = engineFolder.filePath(EngineScreenshotPrefix);
    const qsizetype cut = prefix.lastIndexOf(QLatin1Char('/'));
    const QString folder = prefix.left(cut + 1);
    const QString namePrefix = prefix.mid(cut + 1);

    const QString canonicalFolder = QDir(folder).canonicalPath();
    const QFileInfo canonicalFile(file.canonicalFilePath());
    if (canonicalFolder.isEmpty() || canonicalFile.absolutePath() != canonicalFolder)
        return EngineScreenshot(Verdict::OutsideScreenshotFolder, QString());
    // The name is checked after links are resolved, so that a link with a filter-like name
    // cannot point at something else in the folder.
    if (!IsFilterName(canonicalFile.fileName(), namePrefix) ||
        file.fileName() != canonicalFile.fileName())
        return EngineScreenshot(Verdict::NotFilterName, QString());
    return EngineScreenshot(Verdict::Accepted, canonicalFile.absoluteFilePath());
}
