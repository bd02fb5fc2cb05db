// Opening disc folders: DVDs play at once, Blu-rays show their disc page first.
#include "ui/DRUI.h"

#include "disc/BluRayScan.h"
#include "disc/DiscFolder.h"
#include "engine/FormatTime.h"
#include "engine/SlaveCommand.h"
#include "i18n/GetText.h"
#include "player/PlaylistRules.h"
#include "ui/CMessageBox.h"
#include "ui/DiscMenus.h"

#include <QApplication>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QMenu *ParentMenu(const QAction *action)
{
    return qobject_cast<QMenu *>(action->parent());
}

} // namespace

void DRUI::btnLoadBDPath()
{
    OpenDiscFolder(
        QFileDialog::getExistingDirectory(this, QString(), QString(), QFileDialog::ShowDirsOnly));
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
    const bool listed = !PlaylistRowsMatching(playlist, folder).isEmpty();
    const PLAY_LIST_INFO item{SourceKind::Dvd, 0, folder, QString()};
    loadedPath.clear();
    requestedPath = folder;
    // The engine tells a DVD's length once it plays.
    durationSec = 0;
    currentTitleKey.clear();
    if (!listed) {
        AddToPlaylist({item});
    }
    sourceKind = SourceKind::Dvd;
    VideoPlay();
}

void DRUI::LoadBluRayFolder(const QString &folder)
{
    // A disc with thousands of playlists takes a while to read; the window stays responsive
    // meanwhile and shows that it is busy. A newer load makes an older one's result moot.
    const quint64 load = ++discLoads;
    auto *watcher = new QFutureWatcher<BluRayScan>(this);
    connect(watcher, &QFutureWatcher<BluRayScan>::finished, this, [this, watcher, load] {
        watcher->deleteLater();
        QApplication::restoreOverrideCursor();
        if (load == discLoads) {
            ShowBluRayScan(watcher->result());
        }
    });
    QApplication::setOverrideCursor(Qt::BusyCursor);
    watcher->setFuture(QtConcurrent::run([folder] { return ScanBluRayFolder(folder); }));
}

void DRUI::ShowBluRayScan(const BluRayScan &scan)
{
    discNameLabel->setText(scan.discName);
    QPixmap picture;
    if (!scan.thumbnailPath.isEmpty()) {
        picture.load(scan.thumbnailPath);
    }
    discArtLabel->setPixmap(picture);

    titleNumbers.clear();
    titlePlayItems.clear();
    titleSubtitles.clear();
    titleAudioStreams.clear();
    titleChapters.clear();
    QVector<DiscMenus::TitleEntry> titleEntries;
    for (const BluRayTitle &title : scan.titles) {
        if (title.HasEngineTitle()) {
            titleNumbers.insert(title.key, title.engineTitle);
        }
        titlePlayItems.insert(title.key, title.playItems);
        titleSubtitles.insert(title.key, title.subtitles);
        titleAudioStreams.insert(title.key, title.audioStreams);
        titleChapters.insert(title.key, title.chapters);
        audioChoices.insert(title.key, title.audioChoice);
        subtitleChoices.insert(title.key, title.subtitleChoice);
        titleDiscFolders.insert(title.key, scan.folder);
        titleEntries.append({PLAY_LIST_INFO{SourceKind::BluRay, 0, title.key, title.durationText},
                             title.HasEngineTitle()});
    }
    if (scan.titles.isEmpty()) {
        currentTitleKey.clear();
        return;
    }
    currentTitleKey = scan.currentTitleKey;
    // The disc page's menu only shows for a Blu-ray, and Play now means this disc.
    sourceKind = SourceKind::BluRay;

    const DiscMenus::ActiveEntries active = DiscMenus::FillForTitle(
        this,
        {subtitleAction, audioAction, chapterAction, otherTitlesAction, subtitleTrackSubmenu,
         audioTrackSubmenu, chapterSubmenu, titleSubmenu},
        {titleSubtitles.value(currentTitleKey), titleAudioStreams.value(currentTitleKey),
         titleChapters.value(currentTitleKey), titleEntries});
    activeSubtitleAction = active.subtitle;
    activeAudioAction = active.audio;
    ShowPage(Page::Disc);
    update();
}

void DRUI::PlayBluRayTitle()
{
    if (currentTitleKey.isEmpty()) {
        return;
    }
    const QString folder = titleDiscFolders.value(currentTitleKey, currentTitleKey);
    const bool listed = !PlaylistRowsMatching(playlist, folder).isEmpty();
    qint64 lengthSec = 0;
    for (const MplsPlayItem &item : titlePlayItems.value(currentTitleKey)) {
        lengthSec += item.durationMs / 1000;
    }
    const PLAY_LIST_INFO item{SourceKind::BluRay, 0, folder, FormatTime(lengthSec)};
    loadedPath.clear();
    requestedPath = folder;
    durationSec = lengthSec;
    if (!listed) {
        AddToPlaylist({item});
    }
    sourceKind = SourceKind::BluRay;
    VideoPlay();
}

void DRUI::ChooseTitle(const QAction *action)
{
    sourceKind = SourceKind::BluRay;
    currentTitleKey = action->data().value<PLAY_LIST_INFO>().path;
    if (engineProcess) {
        refreshTimer->stop();
        SendCommand(SlaveCommand::Quit());
        isStopped = true;
    }
    titleChosen = true;
    PlayBluRayTitle();
}

void DRUI::BDMenuOperate(QAction *action)
{
    titleChosen = false;
    QMenu *parentMenu = ParentMenu(action);
    const QAction *holder = parentMenu ? parentMenu->menuAction() : nullptr;
    if (holder && holder == subtitleAction) {
        parentMenu->setActiveAction(action);
        activeSubtitleAction = action;
        subtitleChoices[currentTitleKey] = action->data().toInt();
        return;
    }
    if (holder && holder == audioAction) {
        parentMenu->setActiveAction(action);
        activeAudioAction = action;
        audioChoices[currentTitleKey] = action->data().toInt();
        return;
    }
    startPositionSec = 0;
    if (holder && holder == chapterAction) {
        startPositionSec = action->data().toInt() / 1000;
    } else if (holder && holder == otherTitlesAction) {
        currentTitleKey = action->data().value<PLAY_LIST_INFO>().path;
        titleChosen = true;
    }
    PlayBluRayTitle();
}
