#pragma once

#include "disc/DiscProtection.h"

struct BluRayTitle;
#include "player/PlayerController.h"

#include "player/PlayListInfo.h"

#include <QList>
#include <QPalette>
#include <QSize>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QTableWidget;
class QWidget;
class VideoFrame;

// The pieces of the main window, each built with its fonts, styles and layout. The window
// keeps the pointers it works with and makes the connections.
namespace WindowParts {

struct StartPage
{
    QWidget *page = nullptr;
    QLabel *title = nullptr;
    QPushButton *openFile = nullptr;
    QPushButton *openFolder = nullptr;
};
StartPage BuildStartPage(QWidget *parent, const QPalette &whiteText);

struct DiscPage
{
    QWidget *page = nullptr;
    QLabel *art = nullptr; // the disc's picture; holds the name and the menu
    QLabel *name = nullptr;
    QLabel *protection = nullptr; // a protected disc's line, hidden for others
    QMenu *menu = nullptr;        // embedded in the page
    QAction *playMovie = nullptr;
    QAction *chapter = nullptr;
    QAction *audio = nullptr;
    QAction *subtitle = nullptr;
    QAction *otherTitles = nullptr;
};
DiscPage BuildDiscPage(QWidget *parent, const QPalette &whiteText);

struct VideoPage
{
    VideoFrame *page = nullptr; // keeps the surface at the film's shape
    QLabel *surface = nullptr;  // the engine draws into its native window
};
VideoPage BuildVideoPage(QWidget *parent);

struct BottomPanel
{
    QLabel *panel = nullptr;
    QLabel *elapsed = nullptr;
    QLabel *total = nullptr;
    QSlider *seek = nullptr;
    QLabel *status = nullptr;
    QPushButton *stop = nullptr;
    QPushButton *play = nullptr;
    QPushButton *previous = nullptr;
    QPushButton *next = nullptr;
    QPushButton *volume = nullptr;
    QSlider *volumeSlider = nullptr;
    QPushButton *fullScreen = nullptr;
};
BottomPanel BuildBottomPanel(QWidget *parent, const QPalette &whiteText);

// A button of the menu strip at x, showing text and opening menu.
QPushButton *BuildMenuButton(const QString &text, int x, QMenu *menu, QWidget *parent);

// The playlist: one column, whole rows selected, nothing editable.
QTableWidget *BuildPlaylistTable(QWidget *parent);
// A row for item at the end; the row's cell holds the record.
void AppendPlaylistRow(QTableWidget *table, const PLAY_LIST_INFO &item);
// Selects the given rows and gives them the playing mark, which every other row loses.
void MarkPlayingRows(QTableWidget *table, const QList<int> &rows);

// The play button shows what a click does: pause while playing, play otherwise.
void ShowPlayIcon(QPushButton *button, bool playing);
void ShowVolumeIcon(QPushButton *button, bool muted);
// The status box keeps its size; a long name is elided to fit it.
void ShowStatusName(QLabel *status, const QString &name, const QString &notice = QString());

// Resizes window to size, but never past the free area of its screen, frame included.
void ResizeWithinScreen(QWidget *window, QSize size);

// A protected disc's line on the disc page: whether it plays here; hidden for other discs.
void ShowProtection(QLabel *line, const DiscProtectionInfo &info);
// Adds to that line what the title's picture asks of this computer (PictureNotes): an Ultra
// HD picture it may not decode in time, an HDR picture shown without tone mapping.
void AddPictureNotes(QLabel *line, const BluRayTitle *title);

// The texts said over the picture, in the interface language.
OnScreenTexts OnScreenTextsOfLanguage();

} // namespace WindowParts
