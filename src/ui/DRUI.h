#pragma once

#include "player/PlayerController.h"
#include "player/PlayerRequest.h"
#include "ui/AnswerPacer.h"
#include "ui/Page.h"
#include "ui/WindowParts.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QVector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QStackedLayout;
class QTableWidget;
class QVBoxLayout;
class QWidget;
class FullScreenControls;
class VideoFrame;

// The main window: it draws what the player controller and its session say and turns every
// click, key, menu entry and drop into a request for the controller. It holds widgets only;
// what plays, the playlist, the disc and the resume places live in the controller.
class DRUI : public QMainWindow
{
    Q_OBJECT
public:
    explicit DRUI(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~DRUI() override;

    // Builds (or rebuilds, after a change of language) the whole widget tree.
    void InitMainWindow();
    // Brings the window forward when a second start of the program asks for it.
    void ShowFromOtherInstance();

    PlayerController &Controller() const { return *controller; }
    // Every road of the window ends here, and the desktop's controls end in the same place.
    bool Request(const PlayerRequest &request) { return controller->Handle(request); }

    // Thin callers for the roads that open sources.
    void OpenMediaFiles(const QStringList &files);
    void OpenDiscFolder(const QString &folder);
    // Paths from the command line or a later start of the program.
    void OpenPaths(const QStringList &paths);
    void PauseSession();
    void ResumeSession();
    // Marks the speed, deinterlacing and shape the session has in their menus.
    void ShowViewing();

public slots:
    void BDFileMenu(QAction *action);
    void BDControlsMenu(QAction *action);
    void BDVideoMenu(QAction *action);
    void BDAudioMenu(QAction *action);
    void BDToolMenu(QAction *action);
    void BDHelpMenu(QAction *action);
    void PlayPre();
    void PlayNext();
    void Navigation();
    void DoRefreshGui();
    void btnCloseSlot();
    void btnOpenUrl(const QString &url);
    void btnHelpSlot();
    void btnSupportSlot();
    void btnAboutSlot();
    void btnOpenFile();
    void btnLoadBDPath();
    void BDMenuOperate(QAction *action);
    void VideoPlay();
    void StopBtn();
    void FullScreenBtn();
    void VolumeBtn();
    void SliderSeek(int value);
    void SliderPress();
    void SliderRelease();
    void SliderMouseLButtonPress(QObject *slider, QEvent *event);
    void VolumeSliderSeek(int value);
    void btnOpenSnapshotFolder();
    void PlayListItemDoubleClick(int row, int column);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void BuildWindow();
    QPushButton *BuildMenuButton(int kind, int x, QWidget *parent);
    void ConnectControls();
    void ConnectController();
    Page CurrentPage() const;
    void ShowPage(Page page);

    // What the menu entries and their keys do.
    void PlayFromControls();
    void StepForward();
    void StepBackward();
    void StepForwardShort();
    void StepBackwardShort();
    void ToggleDeinterlace();
    void VolumeUp();
    void VolumeDown();
    void ResizeToHalfSize();
    void ResizeToNormalSize();
    void ResizeToDoubleSize();
    void FitToScreen();
    void TogglePlaylist();
    void ShowPreferences();
    void TogglePlayNext();
    void StartOver();
    void TakeSnapshot();
    void LoadSubtitleFile();
    void ClearRecentFiles();

    // What the controller says, drawn.
    void ShowChange(StateChanges what);
    void ShowLaunch(const SessionLaunch &launch);
    void ShowStopped(bool discPage);
    void ShowSessionState(const PlayerState &state);
    void ShowSeek(qint64 positionMs);
    void ShowDuration(qint64 seconds);
    void ShowVolume(int level, bool muted);
    void ShowStreamMenus();
    void ShowDisc();
    void FillDiscMenus();
    void FillDvdMenus();
    void FillPlaylist();
    void UpdatePlaylistRows();
    void RebuildRecentMenu();
    void MarkPlayingRow(const QString &path);
    void ShowPlayEntry(bool paused);
    void ShowVideoTrack(int track);
    void KeepSnapshot(const QString &screenshot);
    void ResetTimeDisplay();
    void SetFullScreen(bool on);
    void Inform(const QString &text);

    // Widgets, rebuilt from scratch by every BuildWindow().
    QWidget *contentWidget = nullptr;
    QStackedLayout *contentStack = nullptr;
    QVBoxLayout *centralBox = nullptr;
    QLabel *menuStrip = nullptr;
    QStackedLayout *pageStack = nullptr;
    QLabel *startTitleLabel = nullptr;
    WindowParts::DiscPage disc;
    QLabel *videoSurface = nullptr;
    VideoFrame *videoFrame = nullptr;
    QTableWidget *playlistTable = nullptr;
    WindowParts::BottomPanel bottom;

    // Menus, made by WindowMenus: the top-level ones have no Qt parent (a menu button does
    // not own its menu), so the window keeps and deletes them itself at every rebuild.
    QVector<QMenu *> ownedMenus;
    QMenu *fileMenu = nullptr;
    QMenu *recentMenu = nullptr;
    QMenu *controlsMenu = nullptr;
    QAction *playPauseAction = nullptr;
    QAction *playNextAction = nullptr;
    QMenu *titleSubmenu = nullptr;
    QMenu *chapterSubmenu = nullptr;
    QMenu *videoMenu = nullptr;
    QMenu *videoTrackSubmenu = nullptr;
    QMenu *subtitleTrackSubmenu = nullptr;
    QMenu *audioMenu = nullptr;
    QMenu *audioTrackSubmenu = nullptr;
    QMenu *audioChannelSubmenu = nullptr;
    QMenu *toolsMenu = nullptr;
    QAction *snapshotAction = nullptr;
    QMenu *helpMenu = nullptr;
    QMenu *speedSubmenu = nullptr;
    QMenu *aspectSubmenu = nullptr;
    QAction *deinterlaceAction = nullptr;

    // The controller outlives every rebuild of the widgets.
    PlayerController *controller = nullptr;
    bool isFullScreen = false;
    FullScreenControls *fullScreen = nullptr;
    // Position answers since the slider last moved; where a drag of the slider ends.
    AnswerPacer answerPacer;
    int seekTargetSec = 0;
    QString snapshotFormat = QStringLiteral("JPG");
    int snapshotFormatIndex = 0;
    // The Video Track choice the surface shows.
    int shownVideoTrack = 1;

    friend class DRUITestAccess;
    friend class WindowMenus;
};
