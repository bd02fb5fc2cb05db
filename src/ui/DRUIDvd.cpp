// A DVD's titles and chapters: read once per disc from the engine, aside from the window, and
// offered in Controls > Title and Chapter; Previous and Next step by chapter.
#include "ui/DRUI.h"

#include "disc/DvdTitleReader.h"
#include "engine/FormatTime.h"
#include "platform/EngineLocator.h"
#include "player/PlaylistRules.h"

#include <QAction>
#include <QMenu>

#include <memory>
#include <thread>

void DRUI::ReadDvdTitlesOf(const QString &disc)
{
    if (disc == dvdTitlesDisc) {
        FillDvdMenus();
        return;
    }
    dvdTitlesDisc = disc;
    dvdTitles = DvdTitles();
    // The engine runs once over every title: seconds for a disc of many, so not here.
    const QString engine = EngineLocator::EnginePath();
    std::thread([this, disc, engine, mailbox = scanMailbox] {
        auto titles = std::make_shared<DvdTitles>(ReadDvdTitles(engine, disc));
        mailbox->Post([this, disc, titles] {
            if (disc == dvdTitlesDisc) {
                dvdTitles = *titles;
                FillDvdMenus();
            }
        });
    }).detach();
}

void DRUI::ListDueDvdTitles()
{
    const QString disc = dvdTitleSchedule.Due();
    if (!disc.isEmpty()) {
        ReadDvdTitlesOf(disc);
    }
}

const DvdTitle *DRUI::PlayingDvdTitle() const
{
    const SessionLaunch &launch = session->CurrentLaunch();
    if (launch.kind != SourceKind::Dvd || launch.path != dvdTitlesDisc) {
        return nullptr;
    }
    const int number = launch.engineTitle > 0 ? launch.engineTitle : 1;
    for (const DvdTitle &title : dvdTitles.titles) {
        if (title.number == number) {
            return &title;
        }
    }
    return nullptr;
}

void DRUI::FillDvdMenus()
{
    if (session->CurrentLaunch().kind != SourceKind::Dvd) {
        return;
    }
    titleSubmenu->clear();
    chapterSubmenu->clear();
    const DvdTitle *playing = PlayingDvdTitle();
    for (const DvdTitle &title : std::as_const(dvdTitles.titles)) {
        auto *entry = new QAction(QStringLiteral("%1. ").arg(title.number) +
                                      FormatTime(title.lengthMs / 1000),
                                  titleSubmenu);
        entry->setData(title.number);
        entry->setCheckable(true);
        entry->setChecked(playing && title.number == playing->number);
        titleSubmenu->addAction(entry);
    }
    if (!playing) {
        return;
    }
    for (int i = 0; i < playing->chapterStartsMs.size(); ++i) {
        auto *entry = new QAction(QStringLiteral("%1. ").arg(i + 1) +
                                      FormatTime(playing->chapterStartsMs[i] / 1000),
                                  chapterSubmenu);
        entry->setData(i);
        chapterSubmenu->addAction(entry);
    }
}

void DRUI::PlayDvdTitle(int number)
{
    const QString disc = session->CurrentLaunch().kind == SourceKind::Dvd
                             ? session->CurrentLaunch().path
                             : dvdTitlesDisc;
    if (disc.isEmpty()) {
        return;
    }
    SessionLaunch launch;
    launch.kind = SourceKind::Dvd;
    launch.path = disc;
    launch.engineTitle = number;
    launch.volume = session->Volume();
    Launch(launch);
    FillDvdMenus();
}

void DRUI::StepDvdChapter(bool forward)
{
    const DvdTitle *title = PlayingDvdTitle();
    if (!title || title->chapterStartsMs.isEmpty()) {
        return;
    }
    QVector<quint32> starts;
    for (qint64 start : title->chapterStartsMs) {
        starts << quint32(qBound<qint64>(0, start, 0xFFFFFFFF));
    }
    const qint64 position = session->PositionMs() / 1000;
    const std::optional<qint64> target =
        forward ? NextChapterSecond(starts, position) : PreviousChapterSecond(starts, position);
    if (!target) {
        return;
    }
    for (int i = 0; i < starts.size(); ++i) {
        if (starts[i] / 1000 == *target) {
            session->SeekChapter(i, *target);
            return;
        }
    }
}
