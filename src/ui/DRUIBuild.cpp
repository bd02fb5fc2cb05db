// The widget tree of the main window and its menus.
#include "i18n/GetText.h"
#include "ui/DRUI.h"
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

namespace {

// Image buttons take their size from their picture, so the artwork decides the layout.
void SetImage(QPushButton *button, const QString &resource)
{
    const QPixmap pixmap(resource);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
    button->setFixedSize(pixmap.size());
}

QPushButton *ImageButton(QWidget *parent, const QString &resource)
{
    auto *button = new QPushButton(parent);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    SetImage(button, resource);
    return button;
}

} // namespace

void DRUI::BuildWindow()
{
    delete contentWidget;
    DeleteMenus();
    contentWidget = new QWidget(this);

    const QFont titleFont = WindowStyle::Font(40, false);
    const QFont bigBoldFont = WindowStyle::Font(20, true);
    const QFont timeFont = WindowStyle::Font(10, false);
    const QFont statusFont = WindowStyle::Font(10, true);
    const QPalette whiteText = WindowStyle::WhiteText(palette());

    // Menu strip: six buttons at fixed positions, whatever the window width.
    menuStrip = new QLabel;
    menuStrip->setStyleSheet(WindowStyle::menuStrip);
    menuStrip->setMinimumSize(width(), 22);
    for (int kind = 1; kind <= 6; ++kind) {
        BuildMenuButton(kind, (kind - 1) * 100, menuStrip);
    }
    auto *stripLayout = new QVBoxLayout;
    stripLayout->addWidget(menuStrip);

    auto *startPage = new QWidget(this);
    auto *discPage = new QWidget(this);
    auto *videoPage = new QWidget(this);

    videoSurface = new QLabel;
    // The engine paints into this widget's own X window, so it needs one of its own and
    // Qt must not paint over the engine's picture.
    videoSurface->setAttribute(Qt::WA_NativeWindow);
    videoSurface->setAttribute(Qt::WA_DontCreateNativeAncestors);
    videoSurface->setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 0);"));
    auto *videoBox = new QHBoxLayout;
    videoBox->setContentsMargins(0, 0, 0, 0);
    videoBox->setSpacing(0);
    videoBox->addWidget(videoSurface);
    videoPage->setLayout(videoBox);

    // Start page.
    startTitleLabel = new QLabel(GetText("MainWnd/ProTitle"));
    startTitleLabel->setFont(titleFont);
    startTitleLabel->setPalette(whiteText);
    startTitleLabel->setStyleSheet(WindowStyle::transparent);

    auto *openFileButton = new QPushButton(QStringLiteral("   ") + GetText("MainWnd/OpenFile"));
    auto *openFolderButton = new QPushButton(QStringLiteral("   ") + GetText("MainWnd/OpenFolder"));
    const QPair<QPushButton *, const char *> startButtons[] = {
        {openFileButton, ":/image/MoviesFolder.png"}, {openFolderButton, ":/image/disc.png"}};
    for (const auto &[button, image] : startButtons) {
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(WindowStyle::startPageButton);
        button->setFont(bigBoldFont);
        button->setMaximumWidth(300);
        button->setMinimumHeight(85);
        const QPixmap icon(QString::fromLatin1(image));
        button->setIcon(QIcon(icon));
        button->setIconSize(icon.size());
    }
    openFileButton->setObjectName(QStringLiteral("openFileButton"));
    openFolderButton->setObjectName(QStringLiteral("openFolderButton"));
    connect(openFileButton, &QPushButton::clicked, this, &DRUI::btnOpenFile);

    auto *titleColumn = new QVBoxLayout;
    titleColumn->addStretch(1);
    titleColumn->addWidget(startTitleLabel);
    titleColumn->addStretch(2);
    auto *buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(openFileButton);
    buttonColumn->addSpacing(50);
    buttonColumn->addWidget(openFolderButton);
    buttonColumn->addSpacing(100);
    buttonColumn->setContentsMargins(120, 0, 0, 0);
    auto *startColumns = new QVBoxLayout;
    startColumns->addLayout(titleColumn, 1);
    startColumns->addLayout(buttonColumn, 1);
    auto *startRow = new QHBoxLayout;
    startRow->addLayout(startColumns);

    // The background is reduced once to the size a fresh label has and then stretched
    // over the page, so resizing the window never rescales the source picture again.
    auto *startBackground = new QLabel;
    startBackground->setObjectName(QStringLiteral("startBackground"));
    startBackground->setScaledContents(true);
    startBackground->setPixmap(
        QPixmap(QStringLiteral(":/image/bg.jpg"))
            .scaled(QSize(640, 480), Qt::KeepAspectRatio, Qt::FastTransformation));
    startBackground->setLayout(startRow);
    auto *startPageBox = new QHBoxLayout;
    startPageBox->setContentsMargins(0, 0, 0, 0);
    startPageBox->addWidget(startBackground);
    startPage->setLayout(startPageBox);

    // Disc page.
    discArtLabel = new QLabel;
    discArtLabel->setScaledContents(true);
    discNameLabel = new QLabel(GetText("MainWnd/ProTitle"));
    discNameLabel->setFont(titleFont);
    discNameLabel->setPalette(whiteText);
    discNameLabel->setStyleSheet(WindowStyle::transparent);
    auto *discTitleBox = new QHBoxLayout;
    discTitleBox->addWidget(discNameLabel);

    discPageMenu = new QMenu;
    discPageMenu->setStyleSheet(WindowStyle::discPageMenu);
    discPageMenu->setFont(bigBoldFont);
    discPageMenu->setPalette(whiteText);
    playMovieAction = discPageMenu->addAction(GetText("MainWnd/PlayMovie"));
    chapterAction = discPageMenu->addAction(GetText("MainWnd/Chapter"));
    audioAction = discPageMenu->addAction(GetText("MainWnd/Audio"));
    subtitleAction = discPageMenu->addAction(GetText("MainWnd/Subtitle"));
    otherTitlesAction = discPageMenu->addAction(GetText("MainWnd/OtherTitles"));
    activeAudioAction = nullptr;
    activeSubtitleAction = nullptr;
    auto *discMenuBox = new QHBoxLayout;
    discMenuBox->setContentsMargins(0, 0, 0, 0);
    discMenuBox->setSpacing(0);
    // Taking the menu into a layout reparents it into the page, which turns the popup into
    // an embedded child; the paint handler shows it when the page is up.
    discMenuBox->addWidget(discPageMenu);
    discMenuBox->addStretch(5);
    discPageMenu->hide();
    auto *discColumns = new QVBoxLayout;
    discColumns->addLayout(discTitleBox, 3);
    discColumns->addLayout(discMenuBox, 7);
    discArtLabel->setLayout(discColumns);
    auto *discPageBox = new QHBoxLayout;
    discPageBox->setContentsMargins(0, 0, 0, 0);
    discPageBox->setSpacing(0);
    discPageBox->addWidget(discArtLabel);
    discPage->setLayout(discPageBox);

    pageStack->addWidget(startPage);
    pageStack->addWidget(discPage);
    pageStack->addWidget(videoPage);
    pageStack->setContentsMargins(0, 0, 0, 0);
    ShowPage(Page::Start);

    SetUpPlaylistTable();
    auto *centralRow = new QHBoxLayout;
    centralRow->setContentsMargins(0, 0, 0, 0);
    centralRow->setSpacing(0);
    centralRow->addLayout(pageStack, 8);
    centralRow->addWidget(playlistTable, 2);
    playlistTable->hide();

    // Seek row.
    elapsedLabel = new QLabel(QStringLiteral("   --:--:--"));
    totalLabel = new QLabel(QStringLiteral("   --:--:--"));
    for (QLabel *label : {elapsedLabel, totalLabel}) {
        label->setFont(timeFont);
        label->setPalette(whiteText);
        label->setStyleSheet(WindowStyle::timeLabel);
        label->setFixedWidth(50);
    }
    seekSlider = new QSlider(Qt::Horizontal);
    seekSlider->setRange(0, 100);
    seekSlider->setStyleSheet(WindowStyle::seekSlider);
    seekSlider->setEnabled(false);
    auto *seekRow = new QHBoxLayout;
    seekRow->setSpacing(0);
    seekRow->addWidget(elapsedLabel);
    seekRow->addWidget(seekSlider);
    seekRow->addWidget(totalLabel);

    // Control bar.
    auto *controlBar = new QWidget(this);
    controlBar->setStyleSheet(WindowStyle::controlBar);
    playButton = ImageButton(controlBar, QStringLiteral(":/image/play.png"));
    stopButton = ImageButton(controlBar, QStringLiteral(":/image/stop.png"));
    previousButton = ImageButton(controlBar, QStringLiteral(":/image/pre.png"));
    nextButton = ImageButton(controlBar, QStringLiteral(":/image/next.png"));
    auto *transportBox = new QHBoxLayout;
    transportBox->setSpacing(0);
    for (QPushButton *button : {stopButton, playButton, previousButton, nextButton}) {
        transportBox->addWidget(button);
    }
    volumeButton = ImageButton(controlBar, QStringLiteral(":/image/volume.png"));
    volumeSlider = new QSlider(Qt::Horizontal);
    volumeSlider->setRange(0, 100);
    volumeSlider->setValue(50);
    volumeSlider->setStyleSheet(WindowStyle::volumeSlider);
    fullScreenButton = ImageButton(controlBar, QStringLiteral(":/image/fullscreen.png"));
    auto *volumeBox = new QHBoxLayout;
    volumeBox->addWidget(volumeButton);
    volumeBox->addWidget(volumeSlider);
    volumeBox->addWidget(fullScreenButton);
    statusLabel = new QLabel;
    statusLabel->setStyleSheet(WindowStyle::statusLabel);
    statusLabel->setFont(statusFont);
    statusLabel->setWordWrap(true);
    auto *statusBox = new QHBoxLayout;
    statusBox->addWidget(statusLabel);
    auto *controlRow = new QHBoxLayout;
    controlRow->addLayout(statusBox);
    controlRow->addStretch(4);
    controlRow->addLayout(transportBox);
    controlRow->addStretch(4);
    controlRow->addLayout(volumeBox);
    controlBar->setLayout(controlRow);

    bottomPanel = new QLabel;
    bottomPanel->setFixedHeight(90);
    auto *bottomBox = new QVBoxLayout;
    bottomBox->setContentsMargins(0, 0, 0, 0);
    bottomBox->setSpacing(0);
    bottomBox->addLayout(seekRow, 1);
    bottomBox->addWidget(controlBar, 10);
    bottomPanel->setLayout(bottomBox);

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
