#pragma once

#include "disc/BluRayScan.h"
#include "disc/DvdTitleSchedule.h"
#include "disc/DvdTitles.h"
#include "platform/ResultMailbox.h"
#include "player/AnswerPacer.h"
#include "player/PlayListInfo.h"
#include "player/PlaybackSession.h"
#include "player/RecentFiles.h"
#include "player/ResumeStore.h"
#include "player/SessionRequest.h"
#include "player/SourceKind.h"
#include "ui/PlayerPreferences.h"

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class DurationProbeQueue;
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

    // What plays: the window shows what the session says and asks it for everything else.
    PlaybackSession &Session() const { return *session; }
    // Every road (keys, buttons, menu rows and entries, the desktop's controls) ends here.
    void Request(const SessionRequest &request);

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
    void ChooseTitle(const QString &titleKey, int startSec);
    // DVD titles and chapters.
    void ReadDvdTitlesOf(const QString &disc);
    void ListDueDvdTitles();
    const DvdTitle *PlayingDvdTitle() const;
    void FillDvdMenus();
    void PlayDvdTitle(int number);
    void StepDvdChapter(bool forward);
    void FillDiscMenus();
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
    void TogglePlayNext();
    void StartOver();
    void SetResumePreference(bool on);
    // At the end of a source: the next playlist item when the user asked for that.
    bool PlayOnAfterTheEnd();
    void TakeSnapshot();

    // Session helpers.
    SessionLaunch FileLaunch(const QString &path) const;
    SessionLaunch TitleLaunch(const QString &titleKey, int startSec) const;
    void Launch(const SessionLaunch &launch);
    void ConnectSession();
    void SessionStateChanged(PlaybackSession::State state);
    void SeekTo(qint64 second);
    void MarkPlayingRow();
    void EndSessionDisplay();
    void ShowPlayEntry();
    void ShowPauseEntry();
    void ShowDuration(qint64 seconds);
    void ApplyStreamMenus();
    void KeepScreenshot(const QString &path);
    void LoadSubtitleFile();
    // Resume.
    std::optional<ResumeKey> ResumeKeyFor(const SessionLaunch &launch) const;
    void RememberWhereItIs(bool playedToEnd);
    SessionLaunch WithResumePoint(SessionLaunch launch);
    QString ResumeNotice() const;
    void StartResumeSaver();
    void SubtitleNotLoaded(const QString &path);
    void ToggleMute();

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
    QLabel *discProtectionLabel = nullptr;
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

    // The playback session outlives every rebuild of the widgets.
    PlaybackSession *session = nullptr;
    DurationProbeQueue *durationProbes = nullptr;
    QStringList unprobedFiles; // opened files whose length is still to be measured
    // What the window has open (a disc page counts before any title plays); the session says
    // what plays.
    SourceKind sourceKind = SourceKind::BluRay;
    bool isFullScreen = false;
    bool isMuted = false;
    int volumeBeforeMute = 50;
    // Position answers since the slider last moved; where a drag of the slider ends.
    AnswerPacer answerPacer;
    int seekTargetSec = 0;
    // The loaded Blu-ray disc, its page's current title and the user's stream choices per
    // title: what the next launch of a title is made from.
    BluRayScan loadedDisc;
    QString discArtKey; // names the disc picture's file for the desktop; empty without one
    QString currentTitleKey;
    QMap<QString, int> audioChoices;
    QMap<QString, int> subtitleChoices;
    // The titles of the DVD last read, and which disc they belong to.
    QString dvdTitlesDisc;
    DvdTitleSchedule dvdTitleSchedule;
    DvdTitles dvdTitles;
    // Counts the sources opened; a Blu-ray scan is shown only if nothing was opened since.
    quint64 discLoads = 0;
    // Where Blu-ray scans hand in their results; closed when the window goes.
    std::shared_ptr<ResultMailbox> scanMailbox = std::make_shared<ResultMailbox>(this);
    QString snapshotFormat = QStringLiteral("JPG");
    int snapshotFormatIndex = 0;
    QString appDataFolder;
    RecentFiles recentFiles{QString()};
    PlayerPreferences preferences;
    ResumeStore resumeStore{QString()};
    QTimer *resumeSaver = nullptr;
    int resumedAtSec = -1; // where the last launch resumed; -1 when it did not
    qint64 resumedUntilMs = 0;
    QVector<PLAY_LIST_INFO> playlist;

    friend class DRUITestAccess;
    friend class WindowRemote;
    friend class WindowMenus;
};
