// The widget tree of the main window and its menus.
#include "i18n/GetText.h"
#include "ui/DRUI.h"

#include "ui/PlaylistPanel.h"
#include "ui/VideoFrame.h"
#include "ui/WindowMenus.h"
#include "ui/WindowParts.h"
#include "ui/WindowStyle.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QVBoxLayout>

void DRUI::BuildWindow()
{
    // The disc page's popups belong to the window, not to the page that is replaced.
    if (disc.menu) {
        for (QAction *holder : disc.menu->actions())
            delete holder->menu();
    }
    delete contentWidget;
    WindowMenus::DeleteAll(*this);
    contentWidget = new QWidget(this);

    // Menu strip: six buttons at fixed positions, whatever the window width.
    menuStrip = new QLabel;
    menuStrip->setStyleSheet(WindowStyle::menuStrip);
    menuStrip->setMinimumSize(width(), 22);
    for (int kind = 1; kind <= 6; ++kind)
        BuildMenuButton(kind, (kind - 1) * 100, menuStrip);
    auto *stripLayout = new QVBoxLayout;
    stripLayout->addWidget(menuStrip);

    const QPalette whiteText = WindowStyle::WhiteText(palette());
    const WindowParts::VideoPage video = WindowParts::BuildVideoPage(this);
    videoSurface = video.surface;
    videoFrame = video.page;
    connect(videoFrame, &VideoFrame::surfaceResized, this,
            [this] { Request(Ask::SurfaceResized{}); });
    shownVideoTrack = 1;

    const WindowParts::StartPage start = WindowParts::BuildStartPage(this, whiteText);
    startTitleLabel = start.title;
    connect(start.openFile, &QPushButton::clicked, this, &DRUI::btnOpenFile);
    connect(start.openFolder, &QPushButton::clicked, this, &DRUI::btnLoadBDPath);

    disc = WindowParts::BuildDiscPage(this, whiteText);
    connect(disc.menu, &QMenu::triggered, this, &DRUI::BDMenuOperate);

    pageStack->addWidget(start.page);
    pageStack->addWidget(disc.page);
    pageStack->addWidget(video.page);
    pageStack->setContentsMargins(0, 0, 0, 0);
    ShowPage(Page::Start);

    playlistTable = WindowParts::BuildPlaylistTable(this);
    connect(playlistTable, &QTableWidget::cellDoubleClicked, this, &DRUI::PlayListItemDoubleClick);
    PlaylistPanel::Attach(playlistTable, controller);
    auto *centralRow = new QHBoxLayout;
    centralRow->setContentsMargins(0, 0, 0, 0);
    centralRow->setSpacing(0);
    centralRow->addLayout(pageStack, 8);
    centralRow->addWidget(playlistTable, 2);
    playlistTable->hide();

    bottom = WindowParts::BuildBottomPanel(this, whiteText);

    auto *windowBox = new QVBoxLayout;
    windowBox->setContentsMargins(0, 0, 0, 0);
    windowBox->setSpacing(0);
    windowBox->addLayout(stripLayout, 1);
    windowBox->addLayout(centralRow, 60);
    windowBox->addWidget(bottom.panel, 10);
    contentWidget->setLayout(windowBox);

    ConnectControls();

    videoSurface->installEventFilter(this);
    bottom.seek->installEventFilter(this);
    bottom.volumeSlider->installEventFilter(this);
}

QPushButton *DRUI::BuildMenuButton(int kind, int x, QWidget *parent)
{
    static const char *const textKeys[] = {"MainWnd/File",  "MainWnd/Controls", "MainWnd/Video",
                                           "MainWnd/Audio", "MainWnd/Tools",    "MainWnd/Help"};
    if (kind < 1 || kind > 6)
        return nullptr;
    QPushButton *button = WindowParts::BuildMenuButton(
        GetText(textKeys[kind - 1]), x, WindowMenus::Build(*this, WindowMenus::Menu(kind)), parent);
    button->setObjectName(QStringLiteral("menuButton%1").arg(kind));
    return button;
}

Page DRUI::CurrentPage() const
{
    return Page(pageStack->currentIndex());
}

void DRUI::ShowPage(Page page)
{
    pageStack->setCurrentIndex(int(page));
}
