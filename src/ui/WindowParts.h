#pragma once

#include <QPalette>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
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
    QMenu *menu = nullptr; // embedded in the page
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

} // namespace WindowParts
