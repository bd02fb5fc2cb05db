#include "player/SubtitleHandOver.h"

#include "platform/RegularFileReader.h"
#include "platform/WholeFileWriter.h"
#include "player/SubtitleText.h"

#include <QDir>
#include <QRegularExpression>

SubtitleHandOver::SubtitleHandOver() = default;

SubtitleHandOver::~SubtitleHandOver() = default;

std::optional<QString> SubtitleHandOver::Prepare(const QString &path,
                                                 SubtitleFileCheck::Verdict *verdict)
{
    SubtitleFileCheck::Verdict outcome = SubtitleFileCheck::Check(path);
    // Read without waiting and within the limit again: the name may have changed since.
    std::optional<QByteArray> bytes;
    if (outcome == SubtitleFileCheck::Verdict::Fine) {
        bytes = ReadRegularFile(path, SubtitleFileCheck::SizeLimit);
        if (!bytes)
            outcome = SubtitleFileCheck::Verdict::Unreadable;
        else if (bytes->isEmpty())
            outcome = SubtitleFileCheck::Verdict::Empty;
    }
    if (outcome == SubtitleFileCheck::Verdict::Fine && !folder) {
        // The engine takes its file list split at commas, so the folder's name holds none.
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/orvel-subtitles-XXXXXX");
        if (!folder->isValid() || folder->path().contains(QLatin1Char(','))) {
            qWarning("no private folder for subtitle files: %s",
                     qUtf8Printable(folder->errorString()));
            folder.reset();
            outcome = SubtitleFileCheck::Verdict::Unreadable;
        }
    }
    if (verdict)
        *verdict = outcome;
    if (outcome != SubtitleFileCheck::Verdict::Fine)
        return std::nullopt;

    const std::optional<QByteArray> text = SubtitleText::ToUtf8(*bytes);
    // The extension tells the engine the format of some files; only a plain one is kept.
    QString extension = path.section(QLatin1Char('.'), -1).toLower();
    static const QRegularExpression Plain(QStringLiteral("^[a-z0-9-]{1,8}$"));
    if (!Plain.match(extension).hasMatch())
        extension = QStringLiteral("srt");
    const QString copy = folder->filePath(QStringLiteral("%1.%2").arg(++copies).arg(extension));
    if (!WriteWholeFile(copy, text ? *text : *bytes)) {
        if (verdict)
            *verdict = SubtitleFileCheck::Verdict::Unreadable;
        return std::nullopt;
    }
    originals.insert(copy, path);
    return copy;
}

QString SubtitleHandOver::OriginalOf(const QString &engineName) const
{
    return originals.value(engineName, engineName);
}
