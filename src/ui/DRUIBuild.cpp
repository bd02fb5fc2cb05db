// The widget tree of the main window and its menus.
#include "i18n/GetText.h"
#include "ui/DRUI.h"
#include "ui/VideoFrame.h"
#include "ui/WindowParts.h"
#include "ui/WindowStyle.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
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
    if (discPageMenu) {
        for (QAction *holder : discPageMenu->actions()) {
            delete holder->menu();
        }
    }
    delete contentWidget;
    DeleteMenus();
    contentWidget = new QWidget(this);

    // Menu strip: six buttons at fixed positions, whatever the window width.
    menuStrip = new QLabel;
    menuStrip->setStyleSheet(WindowStyle::menuStrip);
    menuStrip->setMinimumSize(width(), 22);
    for (int kind = 1; kind <= 6; ++kind) {
        BuildMenuButton(kind, (kind - 1) * 100, menuStrip);
    }
    auto *stripLayout = new QVBoxLayout;
    stripLayout->addWidget(menuStrip);

    const QPalette whiteText = WindowStyle::WhiteText(palette());
    const WindowParts::VideoPage video = WindowParts::BuildVideoPage(this);
    videoSurface = video.surface;
    videoFrame = video.page;

    const WindowParts::StartPage start = WindowParts::BuildStartPage(this, whiteText);
    startTitleLabel = start.title;
    connect(start.openFile, &QPushButton::clicked, this, &DRUI::btnOpenFile);
    connect(start.openFolder, &QPushButton::clicked, this, &DRUI::btnLoadBDPath);

    const WindowParts::DiscPage disc = WindowParts::BuildDiscPage(this, whiteText);
    discArtLabel = disc.art;
    discNameLabel = disc.name;
    discPageMenu = disc.menu;
    playMovieAction = disc.playMovie;
    chapterAction = disc.chapter;
    audioAction = disc.audio;
    subtitleAction = disc.subtitle;
    otherTitlesAction = disc.otherTitles;
    activeAudioAction = nullptr;
    activeSubtitleAction = nullptr;
    connect(discPageMenu, &QMenu::triggered, this, &DRUI::BDMenuOperate);

    pageStack->addWidget(start.page);
    pageStack->addWidget(disc.page);
    pageStack->addWidget(video.page);
    pageStack->setContentsMargins(0, 0, 0, 0);
    ShowPage(Page::Start);

    SetUpPlaylistTable();
    auto *centralRow = new QHBoxLayout;
    centralRow->setContentsMargins(0, 0, 0, 0);
    centralRow->setSpacing(0);
    centralRow->addLayout(pageStack, 8);
    centralRow->addWidget(playlistTable, 2);
    playlistTable->hide();

    const WindowParts::BottomPanel bottom = WindowParts::BuildBottomPanel(this, whiteText);
    bottomPanel = bottom.panel;
    elapsedLabel = bottom.elapsed;
    totalLabel = bottom.total;
    seekSlider = bottom.seek;
    statusLabel = bottom.status;
    stopButton = bottom.stop;
    playButton = bottom.play;
    previousButton = bottom.previous;
    nextButton = bottom.next;
    volumeButton = bottom.volume;
    volumeSlider = bottom.volumeSlider;
    fullScreenButton = bottom.fullScreen;

    auto *windowBox = new QVBoxLayout;
    windowBox->setContentsMargins(0, 0, 0, 0);
    windowBox->setSpacing(0);
    windowBox->addLayout(stripLayout, 1);
    windowBox->addLayout(centralRow, 60);
    windowBox->addWidget(bottomPanel, 10);
    contentWidget->setLayout(windowBox);

    ConnectControls();

    videoSurface->installEventFilter(this);
    seekSlider->installEventFilter(this);
    volumeSlider->installEventFilter(this);
}

void DRUI::DeleteMenus()
{
    // Submenus that belong to the window would otherwise pile up with every rebuild.
    for (QMenu *menu : std::as_const(ownedMenus)) {
        for (QAction *action : menu->actions()) {
            if (action->menu() && action->menu()->parent() == this) {
                delete action->menu();
            }
        }
    }
    qDeleteAll(ownedMenus);
    ownedMenus.clear();
}

QPushButton *DRUI::BuildMenuButton(int kind, int x, QWidget *parent)
{
    static const char *const textKeys[] = {"MainWnd/File",  "MainWnd/Controls", "MainWnd/Video",
                                           "MainWnd/Audio", "MainWnd/Tools",    "MainWnd/Help"};
    if (kind < 1 || kind > 6) {
        return nullptr;
    }
    auto *button = new QPushButton(GetText(textKeys[kind - 1]), parent);
    button->setObjectName(QStringLiteral("menuButton%1").arg(kind));
    QMenu *menu = nullptr;
    switch (kind) {
    case 1:
        menu = BuildFileMenu();
        break;
    case 2:
        menu = BuildControlsMenu();
        break;
    case 3:
        menu = BuildVideoMenu();
        break;
    case 4:
        menu = BuildAudioMenu();
        break;
    case 5:
        menu = BuildToolsMenu();
        break;
    default:
        menu = BuildHelpMenu();
        break;
    }
    ownedMenus.append(menu);
    button->setMenu(menu);
    button->setGeometry(x, 1, 100, 20);
    button->setFont(WindowStyle::Font(11, false));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(WindowStyle::menuButton);
    return button;
}

void DRUI::SetUpPlaylistTable()
{
    playlistTable = new QTableWidget(0, 1, this);
    playlistTable->setColumnWidth(0, 200);
    playlistTable->horizontalHeader()->setStretchLastSection(true);
    playlistTable->horizontalHeader()->setFixedHeight(0);
    playlistTable->verticalHeader()->hide();
    playlistTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    playlistTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    playlistTable->horizontalHeader()->setHighlightSections(false);
    playlistTable->setMouseTracking(true);
    playlistTable->setStyleSheet(WindowStyle::playlistTable);
    connect(playlistTable, &QTableWidget::cellDoubleClicked, this, &DRUI::PlayListItemDoubleClick);
}

Page DRUI::CurrentPage() const
{
    return Page(pageStack->currentIndex());
}

void DRUI::ShowPage(Page page)
{
    pageStack->setCurrentIndex(int(page));
}
