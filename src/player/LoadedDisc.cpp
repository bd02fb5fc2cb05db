#include "player/LoadedDisc.h"

#include "disc/DvdTitleReader.h"
#include "platform/EngineLocator.h"
#include "platform/ResultMailbox.h"
#include "player/DefaultStreamChoice.h"

#include <QCryptographicHash>
#include <QTimer>
#include <malloc.h>

#include <thread>

namespace {

// The longest a DVD's title listing waits for the engine's picture.
constexpr int DvdListingDelayMs = 1500;

} // namespace

LoadedDisc::LoadedDisc(QObject *parent)
    : QObject(parent), mailbox(std::make_shared<ResultMailbox>(this))
{
}

LoadedDisc::~LoadedDisc()
{
    // A scan still running hands its result to nobody.
    mailbox->Close();
}

void LoadedDisc::ReadBluRay(const QString &folder)
{
    // A disc with thousands of playlists takes a while to read; the window stays responsive
    // meanwhile. A newer load makes an older one's result moot. The scan gets a thread that
    // nobody waits for: a disc that stalls must not keep Quit from ending the program.
    const quint64 load = ++loads;
    emit reading(true);
    std::thread([this, folder, load, box = mailbox] {
        auto scan = std::make_shared<BluRayScan>(ScanBluRayFolder(folder));
        box->Post([this, load, scan] {
            emit reading(false);
            if (load == loads)
                TakeBluRayScan(*scan);
            // The scan's thread has ended, but what it read and let go of stays in its own
            // allocation arena, resident, until it is handed back: a few megabytes for a
            // disc of thousands of playlists.
            malloc_trim(0);
        });
    }).detach();
}

void LoadedDisc::TakeBluRayScan(const BluRayScan &scan)
{
    // Play Movie plays the movie the scan picked, by its number: the engine's own choice
    // ("br://0") would be its longest reachable title, while the page would name another.
    const BluRayTitle *movie = scan.Find(scan.currentTitleKey);
    if (movie && !movie->HasEngineTitle())
        movie = nullptr;
    if (!movie) {
        emit notADisc(scan.folder);
        return;
    }
    disc = scan;
    // The desktop's cover art is named by the picture's own bytes, so that another disc in
    // the same drive never shows this one's.
    artKey = scan.thumbnailData.isEmpty()
                 ? QString()
                 : QString::fromLatin1(
                       QCryptographicHash::hash(scan.thumbnailData, QCryptographicHash::Sha1)
                           .toHex()
                           .left(16));
    // Only what the user chooses is kept; every other title has its own choice.
    audioChoices.clear();
    subtitleChoices.clear();
    currentTitleKey = movie->key;
    disc.currentTitleKey = movie->key;
    emit loaded();
}

bool LoadedDisc::MakeCurrent(const QString &titleKey)
{
    const bool changed = titleKey != currentTitleKey;
    currentTitleKey = titleKey;
    return changed;
}

int LoadedDisc::AudioChoiceOf(const QString &titleKey) const
{
    const BluRayTitle *title = disc.Find(titleKey);
    if (!title || audioChoices.contains(titleKey))
        return audioChoices.value(titleKey, SessionLaunch::NoChoice);
    const DefaultStreamChoice preferred = DefaultStreamChoice::ForStreams(
        title->audioStreams, title->subtitles, preferredAudioLanguage, preferredSubtitleLanguage);
    return preferred.audio ? *preferred.audio + 1 : title->audioChoice;
}

int LoadedDisc::SubtitleChoiceOf(const QString &titleKey) const
{
    const BluRayTitle *title = disc.Find(titleKey);
    if (!title || subtitleChoices.contains(titleKey))
        return subtitleChoices.value(titleKey, SessionLaunch::NoChoice);
    const DefaultStreamChoice preferred = DefaultStreamChoice::ForStreams(
        title->audioStreams, title->subtitles, preferredAudioLanguage, preferredSubtitleLanguage);
    return preferred.subtitle ? *preferred.subtitle + 1 : title->subtitleChoice;
}

void LoadedDisc::DvdOpened(const QString &folder)
{
    // The titles are listed once the picture is up (or a moment later without one): the
    // listing engine would otherwise slow the playing one's start.
    if (dvdTitleSchedule.Opened(folder) == DvdTitleSchedule::Step::ShowKnown) {
        ReadDvdTitlesOf(folder);
    } else {
        dvdTitlesDisc.clear();
        dvdTitles = DvdTitles();
        emit dvdTitlesChanged();
        QTimer::singleShot(DvdListingDelayMs, this, &LoadedDisc::ListDueDvdTitles);
    }
}

void LoadedDisc::ListDueDvdTitles()
{
    const QString due = dvdTitleSchedule.Due();
    if (!due.isEmpty())
        ReadDvdTitlesOf(due);
}

void LoadedDisc::ReadDvdTitlesOf(const QString &dvd)
{
    if (dvd == dvdTitlesDisc) {
        emit dvdTitlesChanged();
        return;
    }
    dvdTitlesDisc = dvd;
    dvdTitles = DvdTitles();
    emit dvdTitlesChanged();
    // The engine runs once over every title: seconds for a disc of many, so not here.
    const QString engine = EngineLocator::EnginePath();
    std::thread([this, dvd, engine, box = mailbox] {
        auto titles = std::make_shared<DvdTitles>(ReadDvdTitles(engine, dvd));
        box->Post([this, dvd, titles] {
            if (dvd == dvdTitlesDisc) {
                dvdTitles = *titles;
                emit dvdTitlesChanged();
            }
        });
    }).detach();
}

int LoadedDisc::PlayingDvdTitleNumber(const SessionLaunch &launch) const
{
    if (launch.kind != SourceKind::Dvd || launch.path != dvdTitlesDisc)
        return 0;
    return launch.engineTitle > 0 ? launch.engineTitle : 1;
}

const DvdTitle *LoadedDisc::PlayingDvdTitle(const SessionLaunch &launch) const
{
    const int number = PlayingDvdTitleNumber(launch);
    for (const DvdTitle &title : dvdTitles.titles) {
        if (number > 0 && title.number == number)
            return &title;
    }
    return nullptr;
}
