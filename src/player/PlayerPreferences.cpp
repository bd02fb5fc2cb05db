#include "player/PlayerPreferences.h"

#include "i18n/CPrivateProfile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Section = QStringLiteral("Player");
const QString PlayNextKey = QStringLiteral("PlayNext");
const QString ResumeKey = QStringLiteral("Resume");
const QString AudioLanguageKey = QStringLiteral("AudioLanguage");
const QString SubtitleLanguageKey = QStringLiteral("SubtitleLanguage");

// "1" and "0"; anything else (a hand-edited or damaged value) keeps the default.
bool ReadSwitch(const CPrivateProfile &profile, const QString &key, bool fallback)
{
    const QString value = profile.ReadString(Section, key, QString(), 16).trimmed();
    if (value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("0"))
        return false;
    return fallback;
}

} // namespace

PlayerPreferences::PlayerPreferences(const QString &path) : settingsPath(path)
{
    if (settingsPath.isEmpty())
        return;
    const CPrivateProfile profile = CPrivateProfile::Load(settingsPath);
    playNext = ReadSwitch(profile, PlayNextKey, playNext);
    resume = ReadSwitch(profile, ResumeKey, resume);
    // A code is a few letters (and a region after "-"); anything longer is not one.
    audioLanguage = profile.ReadString(Section, AudioLanguageKey, QString(), 16).trimmed();
    subtitleLanguage = profile.ReadString(Section, SubtitleLanguageKey, QString(), 16).trimmed();
}

bool PlayerPreferences::SetPlayNext(bool on)
{
    playNext = on;
    return Store(PlayNextKey, on);
}

bool PlayerPreferences::SetResume(bool on)
{
    resume = on;
    return Store(ResumeKey, on);
}

bool PlayerPreferences::SetLanguages(const QString &audio, const QString &subtitle)
{
    audioLanguage = audio.trimmed();
    subtitleLanguage = subtitle.trimmed();
    // Both are tried: one that fails must not keep the other from being kept.
    const bool audioKept = StoreText(AudioLanguageKey, audioLanguage);
    const bool subtitleKept = StoreText(SubtitleLanguageKey, subtitleLanguage);
    return audioKept && subtitleKept;
}

bool PlayerPreferences::Store(const QString &key, bool on)
{
    return StoreText(key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool PlayerPreferences::StoreText(const QString &key, const QString &value)
{
    if (settingsPath.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(settingsPath).absolutePath());
    return CPrivateProfile::WriteString(settingsPath, Section, key, value);
}
