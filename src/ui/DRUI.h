#pragma once

#include "disc/MplsPlayItem.h"
#include "disc/MplsStream.h"
#include "engine/EngineEvent.h"
#include "platform/ResultMailbox.h"
#include "player/AnswerPacer.h"
#include "player/PlayListInfo.h"
#include "player/RecentFiles.h"
#include "player/SessionClock.h"
#include "player/SourceKind.h"
#include "player/StreamTally.h"

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class DurationProbeQueue;
class EngineProcess;
struct BluRayScan;
struct ProbedDuration;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QStackedLayout;
class QTableWidget;
class QTimer;
class QVBoxLayout;
class QWidget;
class VideoFrame;

// The main window. Everything the user sees is drawn by widgets built here inside the
// central widget; the work behind each control is handed to GUI-free classes.
class DRUI : public QMainWindow
{
    Q_OBJECT
public:
    explicit DRUI(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~DRUI() override;

    // Builds (or rebuilds, after a change of language) the whole widget tree, prepares the
    // application-data folder and the probe copy, and empties the playlist.
    void InitMainWindow();

    // Brings the window forward when a second start of the program asks for it.
    void ShowFromOtherInstance();

    QString AppDataFolder() const { return appDataFolder; }

    // Openers: each prepares the session and starts it.
    void OpenMediaFiles(const QStringList &files);
    void AddToPlaylist(const QVector<PLAY_LIST_INFO> &items);
    void OpenPlaylistItem(const PLAY_LIST_INFO &item);
    // Every road that opens a folder: a DVD plays, a Blu-ray shows its disc page, anything
    // else gets a message.
    void OpenDiscFolder(const QString &folder);

    void PauseSession();
    void ResumeSession();
    void AddRecentFile(const QString &path);
    void TakeProbedDuration(const QString &path, const ProbedDuration &probed);
    void ProbePendingFiles();

    // Opens absolute paths from the command line, a later start of the program or the
    // desktop: the files as the open dialog would, else the first folder as a disc.
    void OpenPaths(const QStringList &paths);

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
    void MPlayerDataRecieve(const EngineEvent &event);
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
    void PrepareAppDataFolder();
    Page CurrentPage() const;
    void ShowPage(Page page);

    // What the menu entries and their keys do.
    void PlayFromControls();
    void PlayBluRayTitle();
    void OpenDvdFolder(const QString &folder);
    void LoadBluRayFolder(const QString &folder);
    void ShowBluRayScan(const BluRayScan &scan);
    void ChooseTitle(const QAction *action);
    void StepForward();
    void StepBackward();
    void StepSeek(int seconds);
    void VolumeUp();
    void VolumeDown();
    void ResizeToHalfSize();
    void ResizeToNormalSize();
    void ResizeToDoubleSize();
    void FitToScreen();
    void TogglePlaylist();
    void ShowPreferences();
    void TakeSnapshot();

    // Session helpers.
    void LaunchEngine();
    void EndEngine();
    void SendCommand(const QByteArray &command);
    void SeekTo(int second);
    void MarkPlayingRow();
    void EndSessionDisplay();
    void ShowPlayEntry();
    void StartClockWithThePicture();
    void EngineEnded();
    void EngineFailedToStart(const QString &program);
    void ApplyStreamMenus();
    void HandleScreenshotLine(const EngineEvent &event);

    // Recent files.
    void LoadRecentFiles();
    void RebuildRecentMenu();
    void ClearRecentFiles();
    void OpenSourcePath(const QString &path);
    void StepThroughSources(bool forward);

    // Widgets, rebuilt from scratch by every BuildWindow().
    QWidget *contentWidget = nullptr;
    QStackedLayout *contentStack = nullptr;
    QVBoxLayout *centralBox = nullptr;
    QLabel *menuStrip = nullptr;
    QStackedLayout *pageStack = nullptr;
    QLabel *startTitleLabel = nullptr;
    QLabel *discArtLabel = nullptr;
    QLabel *discNameLabel = nullptr;
    QMenu *discPageMenu = nullptr;
    QAction *playMovieAction = nullptr;
    QAction *chapterAction = nullptr;
    QAction *audioAction = nullptr;
    QAction *subtitleAction = nullptr;
    QAction *otherTitlesAction = nullptr;
    QAction *activeAudioAction = nullptr;
    QAction *activeSubtitleAction = nullptr;
    QLabel *videoSurface = nullptr;
    VideoFrame *videoFrame = nullptr;
    QTableWidget *playlistTable = nullptr;
    QLabel *elapsedLabel = nullptr;
    QLabel *totalLabel = nullptr;
    QSlider *seekSlider = nullptr;
    QLabel *bottomPanel = nullptr;
    QLabel *statusLabel = nullptr;
    QPushButton *stopButton = nullptr;
    QPushButton *playButton = nullptr;
    QPushButton *previousButton = nullptr;
    QPushButton *nextButton = nullptr;
    QPushButton *volumeButton = nullptr;
    QSlider *volumeSlider = nullptr;
    QPushButton *fullScreenButton = nullptr;

    // Menus, made by WindowMenus: the top-level ones have no Qt parent (a menu button does
    // not own its menu), so the window keeps and deletes them itself at every rebuild.
    QVector<QMenu *> ownedMenus;
    QMenu *fileMenu = nullptr;
    QAction *recentFilesAction = nullptr;
    QMenu *recentMenu = nullptr;
    QMenu *controlsMenu = nullptr;
    QAction *playPauseAction = nullptr;
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

    // Session state.
    EngineProcess *engineProcess = nullptr;
    DurationProbeQueue *durationProbes = nullptr;
    QStringList unprobedFiles; // opened files whose length is still to be measured
    QTimer *refreshTimer = nullptr;
    QString requestedPath;
    QString loadedPath;
    bool isPlaying = false;
    bool isStopped = false;
    bool isFullScreen = false;
    bool isMuted = false;
    SourceKind sourceKind = SourceKind::BluRay;
    qint64 durationSec = 0;
    int startPositionSec = 0;
    qint64 clockMs = 0; // the shown position; follows sessionClock at every tick and seek
    SessionClock sessionClock;
    bool waitingForPicture = false; // launched, but the engine has not shown its picture yet
    QString positionText;
    // Position answers since the slider last moved, and the streams the engine announced.
    AnswerPacer answerPacer;
    int seekTargetSec = 0;
    StreamTally streamTally;
    int pendingAudioTrack = -1;
    int pendingSubtitleTrack = -1;
    bool titleChosen = false;
    QString currentTitleKey;
    QMap<QString, int> titleNumbers;
    QMap<QString, int> audioChoices;
    QMap<QString, int> subtitleChoices;
    QMap<QString, QVector<quint32>> titleChapters;
    QMap<QString, QString> titleDiscFolders;
    // Counts the sources opened; a Blu-ray scan is shown only if nothing was opened since.
    quint64 discLoads = 0;
    // Where Blu-ray scans hand in their results; closed when the window goes.
    std::shared_ptr<ResultMailbox> scanMailbox = std::make_shared<ResultMailbox>(this);
    QMap<QString, QVector<MplsPlayItem>> titlePlayItems;
    QMap<QString, QVector<MplsStream>> titleSubtitles;
    QMap<QString, QVector<MplsStream>> titleAudioStreams;
    QString snapshotFormat = QStringLiteral("JPG");
    int snapshotFormatIndex = 0;
    QString appDataFolder;
    RecentFiles recentFiles{QString()};
    QVector<PLAY_LIST_INFO> playlist;

    friend class DRUITestAccess;
    friend class WindowRemote;
    friend class WindowMenus;
};
