#pragma once

#include "disc/BluRayScan.h"
#include "disc/DvdTitleSchedule.h"
#include "disc/DvdTitles.h"
#include "player/SessionLaunch.h"

#include <QMap>
#include <QObject>
#include <QString>

#include <memory>

class ResultMailbox;

// The disc that is loaded: a Blu-ray disc's scan, its current title and the stream choices
// the user made per title, and a DVD's titles and chapters. Both are read on threads of
// their own that nobody waits for, so a disc that stalls never holds the window or Quit.
class LoadedDisc : public QObject
{
    Q_OBJECT
public:
    explicit LoadedDisc(QObject *parent = nullptr);
    ~LoadedDisc() override;

    // Another source was opened: a disc still being read is not shown over it.
    void OpenedElsewhere() { ++loads; }

    // Reads a Blu-ray disc; loaded() or notADisc() tells how it went.
    void ReadBluRay(const QString &folder);
    const BluRayScan &Disc() const { return disc; }
    // Names the disc picture's file for the desktop; empty without a picture.
    const QString &ArtKey() const { return artKey; }
    const QString &CurrentTitleKey() const { return currentTitleKey; }
    const BluRayTitle *CurrentTitle() const { return disc.Find(currentTitleKey); }
    // Whether the current title changed.
    bool MakeCurrent(const QString &titleKey);
    void ForgetCurrentTitle() { currentTitleKey.clear(); }
    // The user's stream choice for a title, else the title's own.
    // The languages a title starts with when the user has chosen no stream of it
    // (DefaultStreamChoice); empty leaves that choice to the disc.
    void SetPreferredLanguages(const QString &audio, const QString &subtitle)
    {
        preferredAudioLanguage = audio;
        preferredSubtitleLanguage = subtitle;
    }
    int AudioChoiceOf(const QString &titleKey) const;
    int SubtitleChoiceOf(const QString &titleKey) const;
    void ChooseAudio(const QString &titleKey, int choice) { audioChoices[titleKey] = choice; }
    void ChooseSubtitle(const QString &titleKey, int choice) { subtitleChoices[titleKey] = choice; }

    // A DVD started playing: its titles are listed now when known, else once the picture is
    // up or a moment has passed (ListDueDvdTitles).
    void DvdOpened(const QString &folder);
    void ListDueDvdTitles();
    const DvdTitles &DvdTitlesRead() const { return dvdTitles; }
    const QString &DvdTitlesDisc() const { return dvdTitlesDisc; }
    // The number of the DVD title the launch plays, when its disc's titles are the ones
    // read; 0 otherwise.
    int PlayingDvdTitleNumber(const SessionLaunch &launch) const;
    const DvdTitle *PlayingDvdTitle(const SessionLaunch &launch) const;

signals:
    // A Blu-ray scan runs (busy) or has ended.
    void reading(bool busy);
    void loaded();
    void notADisc(const QString &path);
    void dvdTitlesChanged();

private:
    void TakeBluRayScan(const BluRayScan &scan);
    void ReadDvdTitlesOf(const QString &disc);

    BluRayScan disc;
    QString artKey;
    QString currentTitleKey;
    QMap<QString, int> audioChoices;
    QMap<QString, int> subtitleChoices;
    QString preferredAudioLanguage;
    QString preferredSubtitleLanguage;
    QString dvdTitlesDisc;
    DvdTitles dvdTitles;
    DvdTitleSchedule dvdTitleSchedule;
    // Counts the sources opened; a Blu-ray scan is shown only if nothing was opened since.
    quint64 loads = 0;
    std::shared_ptr<ResultMailbox> mailbox;
};
