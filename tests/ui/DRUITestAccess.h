#pragma once

#include "PlayerControllerTestAccess.h"
#include "ui/DRUI.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTimer>

// How many colours a window grab of the widget shows: colour bars give many, an empty
// surface one or two.
inline int ColoursOnScreen(QWidget *surface)
{
    const QImage image = surface->screen()
                             ->grabWindow(surface->winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            colours.insert(image.pixel(x, y) & 0xF0F0F0);
        }
    }
    return int(colours.size());
}

// The entry of the Help menu's language submenu for a language name, or null.
inline QAction *LanguageAction(QMenu *helpMenu, const QString &name)
{
    for (QAction *entry : helpMenu->actions()) {
        if (entry->menu()) {
            for (QAction *language : entry->menu()->actions()) {
                if (language->data().toString() == name) {
                    return language;
                }
            }
        }
    }
    return nullptr;
}

// Lets the window's tests look at what the user would see and drive its private steps.
class DRUITestAccess
{
public:
    explicit DRUITestAccess(DRUI &window) : w(window) {}

    QStackedLayout *PageStack() const { return w.pageStack; }
    QLabel *MenuStrip() const { return w.menuStrip; }
    QLabel *StartTitle() const { return w.startTitleLabel; }
    QLabel *Elapsed() const { return w.bottom.elapsed; }
    QLabel *Total() const { return w.bottom.total; }
    QLabel *Status() const { return w.bottom.status; }
    QLabel *VideoSurface() const { return w.videoSurface; }
    QLabel *BottomPanel() const { return w.bottom.panel; }
    QSlider *Seek() const { return w.bottom.seek; }
    QSlider *Volume() const { return w.bottom.volumeSlider; }
    QTableWidget *Playlist() const { return w.playlistTable; }
    QPushButton *PlayButton() const { return w.bottom.play; }
    QPushButton *StopButton() const { return w.bottom.stop; }
    QPushButton *VolumeButton() const { return w.bottom.volume; }
    QMenu *AudioMenu() const { return w.audioMenu; }
    QMenu *HelpMenu() const { return w.helpMenu; }
    QMenu *FileMenu() const { return w.fileMenu; }
    QMenu *RecentMenu() const { return w.recentMenu; }
    QMenu *ControlsMenu() const { return w.controlsMenu; }
    QMenu *VideoMenu() const { return w.videoMenu; }
    QMenu *AudioTracks() const { return w.audioTrackSubmenu; }
    QMenu *SubtitleTracks() const { return w.subtitleTrackSubmenu; }
    QMenu *AudioChannels() const { return w.audioChannelSubmenu; }
    QMenu *ToolsMenu() const { return w.toolsMenu; }
    QAction *PlayPause() const { return w.playPauseAction; }
    QMenu *DiscPageMenu() const { return w.disc.menu; }
    QAction *PlayMovieEntry() const { return w.disc.playMovie; }
    QAction *ChapterEntry() const { return w.disc.chapter; }
    QAction *AudioEntry() const { return w.disc.audio; }
    QAction *SubtitleEntry() const { return w.disc.subtitle; }
    // The title menus make their entries when they open, as for a person opening them.
    QAction *OtherTitlesEntry() const
    {
        if (QMenu *popup = w.disc.otherTitles->menu())
            emit popup->aboutToShow();
        return w.disc.otherTitles;
    }
    QMenu *TitleSubmenu() const
    {
        emit w.titleSubmenu->aboutToShow();
        return w.titleSubmenu;
    }
    QMenu *ChapterSubmenu() const { return w.chapterSubmenu; }
    QMenu *SpeedMenu() const { return w.speedSubmenu; }
    QMenu *AspectMenu() const { return w.aspectSubmenu; }
    QAction *DeinterlaceEntry() const { return w.deinterlaceAction; }
    QLabel *DiscName() const { return w.disc.name; }
    QLabel *DiscArt() const { return w.disc.art; }
    QLabel *DiscProtectionLine() const { return w.disc.protection; }
    QString CurrentTitleKey() const { return w.controller->State().currentTitleKey; }
    int PlaylistSize() const { return int(w.controller->State().playlist.size()); }
    QStringList RecentEntries() const { return w.controller->State().recentFiles; }
    bool HasEngine() const { return Session().Engine() != nullptr; }
    EngineProcess *Engine() const { return Session().Engine(); }
    PlaybackSession &Session() const { return SessionOf(*w.controller); }
    bool IsPlaying() const
    {
        return Session().CurrentState() == PlaybackSession::State::Playing ||
               Session().CurrentState() == PlaybackSession::State::Starting;
    }
    bool IsStopped() const { return !Session().IsActive(); }
    qint64 ClockMs() const { return Session().PositionMs(); }
    qint64 DurationSec() const { return Session().DurationSec(); }
    ::SourceKind Kind() const { return w.controller->State().openKind; }
    Page CurrentPage() const { return w.CurrentPage(); }
    void ShowPage(Page page) { w.ShowPage(page); }
    // The source of the session that runs; empty when none does.
    QString LoadedPath() const
    {
        return Session().IsActive() ? Session().CurrentLaunch().path : QString();
    }
    QString SnapshotFormat() const { return w.snapshotFormat; }
    void SetSnapshotFormat(const QString &format) { w.snapshotFormat = format; }
    bool TimerActive() const { return Session().IsPolling(); }
    void Drop(QDropEvent *event) { w.dropEvent(event); }
    void VideoPlay() { w.VideoPlay(); }

    // The six menu buttons, left to right.
    QList<QPushButton *> MenuButtons() const
    {
        QList<QPushButton *> buttons;
        for (int kind = 1; kind <= 6; ++kind) {
            buttons << w.menuStrip->findChild<QPushButton *>(
                QStringLiteral("menuButton%1").arg(kind));
        }
        return buttons;
    }

private:
    DRUI &w;
};
