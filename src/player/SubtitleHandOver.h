#pragma once

#include "player/SubtitleFileCheck.h"

#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// The subtitle files of one launch as the engine gets them. Each file is checked as
// File > Load Subtitle checks it, read once, turned into UTF-8 (SubtitleText) and written
// into a private folder; the engine opens only that copy and reads it as UTF-8. So the
// engine never guesses an encoding, and a pipe or a device put in the file's place after the
// check never reaches it. The copies go when the object goes.
class SubtitleHandOver
{
public:
    SubtitleHandOver();
    ~SubtitleHandOver();
    SubtitleHandOver(const SubtitleHandOver &) = delete;
    SubtitleHandOver &operator=(const SubtitleHandOver &) = delete;

    // The copy for the engine, or nothing when the file fails the checks (verdict tells
    // which; Unreadable also when the copy cannot be written).
    std::optional<QString> Prepare(const QString &path,
                                   SubtitleFileCheck::Verdict *verdict = nullptr);
    // The user's file that a name the engine printed stands for; the name itself when it is
    // no copy of ours.
    QString OriginalOf(const QString &engineName) const;

private:
    std::unique_ptr<QTemporaryDir> folder;
    QHash<QString, QString> originals;
    int copies = 0;
};
