#pragma once

#include <QString>

// The user's playback preferences, kept in the per-user settings file beside the language
// choice: whether the next playlist item plays at the end of one, and whether a source
// starts where it was left.
class PlayerPreferences
{
public:
    // settingsPath: the per-user settings file; empty keeps the choices for this run only.
    explicit PlayerPreferences(const QString &settingsPath = QString());

    bool PlayNext() const { return playNext; }
    // The languages a Blu-ray title starts with ("AudioLanguage", "SubtitleLanguage": a
    // language code); empty, the default, leaves the choice to the disc.
    QString AudioLanguage() const { return audioLanguage; }
    QString SubtitleLanguage() const { return subtitleLanguage; }
    bool Resume() const { return resume; }
    // The settings file; empty when the choices hold for this run only.
    const QString &FilePath() const { return settingsPath; }
    // Each returns whether the choice was stored; it holds for this run either way.
    bool SetPlayNext(bool on);
    bool SetResume(bool on);
    // Codes as the stream lists give them ("fra"); empty leaves the choice to the disc.
    bool SetLanguages(const QString &audio, const QString &subtitle);

private:
    bool Store(const QString &key, bool on);
    bool StoreText(const QString &key, const QString &value);

    QString settingsPath;
    bool playNext = false;
    bool resume = true;
    QString audioLanguage;
    QString subtitleLanguage;
};
