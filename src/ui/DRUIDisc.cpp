// Opening disc folders: DVDs play at once, Blu-rays show their disc page first.
#include "ui/DRUI.h"

#include "disc/BluRayScan.h"
#include "disc/DiscFolder.h"
#include "disc/DiscProtection.h"
#include "i18n/GetText.h"
#include "platform/PathBytes.h"
#include "platform/ResultMailbox.h"
#include "player/PlaylistRules.h"
#include "ui/CMessageBox.h"
#include "ui/DiscMenus.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include <memory>
#include <thread>

namespace {

// The longest a DVD's title listing waits for the engine's picture.
constexpr int DvdListingDelayMs = 1500;

QMenu *ParentMenu(const QAction *action)
{
    return qobject_cast<QMenu *>(action->parent());
}

} // namespace

void DRUI::btnLoadBDPath()
{
    OpenDiscFolder(PathBytes::RecoverLossyPath(
        QFileDialog::getExistingDirectory(this, QString(), QString(), QFileDialog::ShowDirsOnly)));
}

void DRUI::OpenDiscFolder(const QString &folder)
{
    if (folder.isNull()) {
        return;
    }
    StopBtn();
    switch (DetectDiscFolder(folder)) {
    case DiscFolderKind::BluRay:
        LoadBluRayFolder(folder);
        break;
    case DiscFolderKind::Dvd:
        OpenDvdFolder(folder);
        break;
    case DiscFolderKind::None:
        CMessageBox::Inform(geometry(), GetText("Messages/MSG0102"));
        break;
    }
}

void DRUI::OpenDvdFolder(const QString &folder)
{
    ++discLoads; // a disc still being read is not shown over this one
    if (PlaylistRowsMatching(playlist, folder).isEmpty()) {
        AddToPlaylist({PLAY_LIST_INFO{SourceKind::Dvd, 0, folder, QString()}});
    }
    currentTitleKey.clear();
    // The engine tells a DVD's length once it plays.
    SessionLaunch launch;
    launch.kind = SourceKind::Dvd;
    launch.path = folder;
    launch.volume = session->Volume();
    Launch(launch);
    // The titles are listed once the picture is up (or a moment later without one): the
    // listing engine would otherwise slow the playing one's start.
    if (dvdTitleSchedule.Opened(folder) == DvdTitleSchedule::Step::ShowKnown) {
        FillDvdMenus();
    } else {
        QTimer::singleShot(DvdListingDelayMs, this, &DRUI::ListDueDvdTitles);
    }
}

void DRUI::LoadBluRayFolder(const QString &folder)
{
    // A disc with thousands of playlists takes a while to read; the window stays responsive
    // meanwhile and shows that it is busy. A newer load makes an older one's result moot.
    // The scan gets a thread that nobody waits for: a disc that stalls must not keep Quit
    // from ending the program. Its result is dropped when the window has gone by then.
    const quint64 load = ++discLoads;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    std::thread([this, folder, load, mailbox = scanMailbox] {
        auto scan = std::make_shared<BluRayScan>(ScanBluRayFolder(folder));
        mailbox->Post([this, load, scan] {
            QApplication::restoreOverrideCursor();
            if (load == discLoads) {
                ShowBluRayScan(*scan);
            }
        });
    }).detach();
}

void DRUI::ShowBluRayScan(const BluRayScan &scan)
{
    // Play Movie plays the movie the scan picked, by its number: the engine's own choice
    // ("br://0") would be its longest reachable title, while the page would name another.
    const BluRayTitle *movie = scan.Find(scan.currentTitleKey);
    if (!movie || !movie->HasEngineTitle()) {
        CMessageBox::Inform(geometry(), GetText("Messages/MSG0102"));
        return;
    }
    loadedDisc = scan;
    discNameLabel->setText(scan.discName);
    const DiscProtectionVerdict protection = DiscProtection::Decide(scan.protection);
    const char *protectionLine = DiscProtection::PageLineKey(protection);
    discProtectionLabel->setText(
        protectionLine ? GetText(protectionLine).arg(DiscProtection::SchemeNames(scan.protection))
                       : QString());
    discProtectionLabel->setVisible(protectionLine != nullptr);
    QPixmap picture;
    picture.loadFromData(scan.thumbnailData);
    discArtLabel->setPixmap(picture);
    // The desktop's cover art is named by the picture's own bytes, so that another disc in
    // the same drive never shows this one's.
    discArtKey = picture.isNull()
                     ? QString()
                     : QString::fromLatin1(
                           QCryptographicHash::hash(scan.thumbnailData, QCryptographicHash::Sha1)
                               .toHex()
                               .left(16));

    audioChoices.clear();
    subtitleChoices.clear();
    for (const BluRayTitle &title : scan.titles) {
        audioChoices.insert(title.key, title.audioChoice);
        subtitleChoices.insert(title.key, title.subtitleChoice);
    }
    currentTitleKey = movie->key;
    loadedDisc.currentTitleKey = movie->key;
    // The disc page's menu only shows for a Blu-ray, and Play now means this disc.
    sourceKind = SourceKind::BluRay;
    FillDiscMenus();
    ShowPage(Page::Disc);
    update();
}

void DRUI::FillDiscMenus()
{
    QVector<DiscMenus::TitleEntry> titleEntries;
    for (const BluRayTitle &title : loadedDisc.titles) {
        titleEntries.append({PLAY_LIST_INFO{SourceKind::BluRay, 0, title.key, title.durationText},
                             title.HasEngineTitle()});
    }
    const BluRayTitle *title = loadedDisc.Find(currentTitleKey);
    if (!title) {
        return;
    }
    const DiscMenus::ActiveEntries active = DiscMenus::FillForTitle(
        this,
        {subtitleAction, audioAction, chapterAction, otherTitlesAction, subtitleTrackSubmenu,
         audioTrackSubmenu, chapterSubmenu, titleSubmenu},
        {title->subtitles, title->audioStreams, title->chapters, titleEntries},
        {audioChoices.value(currentTitleKey), subtitleChoices.value(currentTitleKey)});
    activeSubtitleAction = active.subtitle;
    activeAudioAction = active.audio;
}

void DRUI::PlayBluRayTitle()
{
    ChooseTitle(currentTitleKey, 0);
}

void DRUI::ChooseTitle(const QString &titleKey, int startSec)
{
    const BluRayTitle *title = loadedDisc.Find(titleKey);
    if (!title || !title->HasEngineTitle()) {
        return;
    }
    if (titleKey != currentTitleKey) {
        // The page and the menus follow the title that plays. They are refilled once the
        // entry that asked for it has finished delivering its signal, as the refill deletes it.
        currentTitleKey = titleKey;
        QTimer::singleShot(0, this, &DRUI::FillDiscMenus);
    }
    if (PlaylistRowsMatching(playlist, loadedDisc.folder).isEmpty()) {
        AddToPlaylist(
            {PLAY_LIST_INFO{SourceKind::BluRay, 0, loadedDisc.folder, title->durationText}});
    }
    Launch(TitleLaunch(titleKey, startSec));
}

void DRUI::BDMenuOperate(QAction *action)
{
    QMenu *parentMenu = ParentMenu(action);
    const QAction *holder = parentMenu ? parentMenu->menuAction() : nullptr;
    if (holder && holder == subtitleAction) {
        parentMenu->setActiveAction(action);
        activeSubtitleAction = action;
        subtitleChoices[currentTitleKey] = action->data().toInt();
        DiscMenus::MarkChoice(parentMenu, action);
        return;
    }
    if (holder && holder == audioAction) {
        parentMenu->setActiveAction(action);
        activeAudioAction = action;
        audioChoices[currentTitleKey] = action->data().toInt();
        DiscMenus::MarkChoice(parentMenu, action);
        return;
    }
    if (holder && holder == chapterAction) {
        ChooseTitle(currentTitleKey, action->data().toInt() / 1000);
    } else if (holder && holder == otherTitlesAction) {
        ChooseTitle(action->data().value<PLAY_LIST_INFO>().path, 0);
    } else {
        // Play Movie: the disc's movie, whichever title played last.
        ChooseTitle(loadedDisc.currentTitleKey, 0);
    }
}
