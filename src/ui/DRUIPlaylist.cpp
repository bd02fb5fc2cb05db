// Opening media files, the playlist, drag and drop, the File menu and the recent files.
#include "ui/DRUI.h"

#include "engine/DurationProbeQueue.h"
#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "platform/PathBytes.h"
#include "player/PlaylistRules.h"
#include "player/SourceCheck.h"
#include "ui/WindowMenus.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include <sys/stat.h>

namespace {

// The longest the length probe waits for the engine's picture before it runs anyway.
constexpr int ProbeDelayMs = 1500;

const QString OpenFileFilter = QStringLiteral(
    "*.rmvb *.rm *.mpeg *.mov *.avi *.wmv *.asf *.mp4 *.flv *.fla *.swf *.m4v *.3gp *.dv *.3g2 "
    "*.m4b *.mkv *.mts *.divx *.ogm *.moi *.vob *.ajp *.f4v *.mqv *.svi *.vid *.tod *.hdmov "
    "*.mod *.mxf *.m2ts *.lrv ;;Disc Image(*.iso);;All File(*)");

} // namespace

void DRUI::OpenMediaFiles(const QStringList &files)
{
    if (files.isEmpty()) {
        return;
    }
    // The engine starts at once. The lengths are measured once its picture is up (or after
    // a moment, if it never comes), so the probe does not compete with the engine's start,
    // and reach the seek slider, the length label and the playlist when they arrive.
    // A disc still being read is not shown over what the user opened since.
    ++discLoads;
    QVector<PLAY_LIST_INFO> batch;
    for (const QString &file : files) {
        batch.append(PLAY_LIST_INFO{SourceKind::MediaFile, 0, file, QString()});
    }
    AddToPlaylist(batch);
    currentTitleKey.clear();
    // Choosing the file that plays again toggles its pause, as the play button does.
    const SessionLaunch &current = session->CurrentLaunch();
    if (session->IsActive() && current.kind == SourceKind::MediaFile &&
        current.path == files.first()) {
        session->TogglePause();
        return;
    }
    unprobedFiles += files;
    Launch(FileLaunch(files.first()));
    QTimer::singleShot(ProbeDelayMs, this, &DRUI::ProbePendingFiles);
}

void DRUI::ProbePendingFiles()
{
    if (unprobedFiles.isEmpty()) {
        return;
    }
    if (!durationProbes) {
        durationProbes = new DurationProbeQueue(this);
        connect(durationProbes, &DurationProbeQueue::probed, this, &DRUI::TakeProbedDuration);
    }
    durationProbes->Enqueue(EngineLocator::ProbeToolToRun(appDataFolder), unprobedFiles);
    unprobedFiles.clear();
}

void DRUI::TakeProbedDuration(const QString &path, const ProbedDuration &probed)
{
    for (int row : PlaylistRowsMatching(playlist, path)) {
        if (playlist[row].kind == SourceKind::MediaFile && playlist[row].durationText.isEmpty()) {
            playlist[row].durationText = probed.text;
            if (QTableWidgetItem *cell = playlistTable->item(row, 0)) {
                cell->setData(Qt::UserRole, QVariant::fromValue(playlist[row]));
            }
        }
    }
    // A probe that failed leaves the length unknown, as it was.
    if (session->CurrentLaunch().path == path && session->IsActive()) {
        session->TakeDuration(probed.seconds);
    }
}

void DRUI::AddToPlaylist(const QVector<PLAY_LIST_INFO> &items)
{
    for (const PLAY_LIST_INFO &item : PlaylistItemsToAppend(playlist, items)) {
        WindowParts::AppendPlaylistRow(playlistTable, item);
        playlist.append(item);
    }
}

void DRUI::OpenPlaylistItem(const PLAY_LIST_INFO &item)
{
    if (item.kind == SourceKind::MediaFile) {
        OpenMediaFiles({item.path});
    } else {
        OpenDiscFolder(item.path);
    }
}

void DRUI::PlayListItemDoubleClick(int row, int column)
{
    QTableWidgetItem *cell = playlistTable->item(row, column);
    if (!cell) {
        return;
    }
    StopBtn();
    OpenPlaylistItem(cell->data(Qt::UserRole).value<PLAY_LIST_INFO>());
}

void DRUI::PlayNext()
{
    StepThroughSources(true);
}

void DRUI::PlayPre()
{
    StepThroughSources(false);
}

void DRUI::StepThroughSources(bool forward)
{
    if (session->CurrentState() == PlaybackSession::State::Paused) {
        session->Resume();
    }
    if (!session->IsActive()) {
        return;
    }
    // A Blu-ray title steps between its chapters; everything else between playlist entries.
    const SessionLaunch &launch = session->CurrentLaunch();
    if (launch.kind == SourceKind::BluRay) {
        const BluRayTitle *title = loadedDisc.Find(launch.titleKey);
        if (!title) {
            return;
        }
        const qint64 position = session->PositionMs() / 1000;
        const std::optional<qint64> target = forward
                                                 ? NextChapterSecond(title->chapters, position)
                                                 : PreviousChapterSecond(title->chapters, position);
        if (target) {
            SeekTo(*target);
        }
        return;
    }
    if (launch.kind == SourceKind::Dvd && PlayingDvdTitle()) {
        StepDvdChapter(forward);
        return;
    }
    const int index = forward ? NextPlaylistIndex(playlist, launch.path)
                              : PreviousPlaylistIndex(playlist, launch.path);
    if (index >= 0) {
        StopBtn();
        OpenPlaylistItem(playlist[index]);
    }
}

void DRUI::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void DRUI::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) {
        return;
    }
    // Only local files can be handed to the engine; the first one dropped is opened, by
    // the exact bytes of its name.
    if (!urls.first().isLocalFile()) {
        return;
    }
    const QString path = PathBytes::FromFileUrl(urls.first());
    if (path.isEmpty()) {
        return;
    }
    OpenSourcePath(path);
}

void DRUI::OpenSourcePath(const QString &path)
{
    if (PathBytes::IsFolder(path) || SourceCheck::IsDiscImage(path)) {
        OpenDiscFolder(path);
    } else {
        OpenMediaFiles({path});
    }
}

void DRUI::OpenPaths(const QStringList &paths)
{
    QStringList files;
    QString folder;
    for (const QString &path : paths) {
        if (PathBytes::IsFolder(path) || SourceCheck::IsDiscImage(path)) {
            if (folder.isEmpty()) {
                folder = path;
            }
        } else {
            files << path;
        }
    }
    if (files.isEmpty() && folder.isEmpty()) {
        return;
    }
    // Opening the file that already plays would pause it, as a second pick in the open
    // dialog does; a file handed over from outside starts again instead, as a recent file
    // does.
    if (session->IsActive()) {
        StopBtn();
    }
    if (!files.isEmpty()) {
        OpenMediaFiles(files);
        return;
    }
    // A folder takes the road of a folder dropped on the window.
    OpenSourcePath(folder);
}

void DRUI::btnOpenFile()
{
    // Destroying the dialog waits for its folder model's file-info thread; the engine
    // starts first and the dialog goes once the event loop runs again.
    auto *dialog = new QFileDialog(this, QString(), QStringLiteral("."), OpenFileFilter);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    QStringList files =
        dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
    dialog->hide();
    dialog->deleteLater();
    // The dialog decodes names that are not UTF-8 lossily; the real names are looked up.
    for (QString &file : files) {
        file = PathBytes::RecoverLossyPath(file);
    }
    // A disc image chosen here opens as a disc.
    if (files.size() == 1 && SourceCheck::IsDiscImage(files.first())) {
        OpenDiscFolder(files.first());
        return;
    }
    OpenMediaFiles(files);
}

void DRUI::LoadRecentFiles()
{
    // The menus are built before the start-up prepares the data folder, so the path is
    // composed here rather than taken from the member.
    recentFiles = RecentFiles(RecentFiles::FilePathIn(AppFolders::AppDataFolder()));
    recentFiles.Load();
}

void DRUI::RebuildRecentMenu()
{
    WindowMenus::FillRecentMenu(recentMenu, recentFiles.Entries());
}

void DRUI::AddRecentFile(const QString &path)
{
    if (recentFiles.AddRecentFile(path)) {
        RebuildRecentMenu();
    }
}

void DRUI::ClearRecentFiles()
{
    recentFiles.Clear();
    recentMenu->clear();
}
