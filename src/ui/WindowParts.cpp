#include "ui/WindowParts.h"
#include "disc/BluRayScan.h"

#include "i18n/GetText.h"
#include "platform/PathBytes.h"
#include "player/PictureNotes.h"
#include "player/PlaylistRules.h"
#include "ui/VideoFrame.h"
#include "ui/WindowStyle.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace WindowParts {

namespace {

// Image buttons take their size from their picture, so the artwork decides the layout.
QPushButton *ImageButton(QWidget *parent, const QString &resource)
{
    const QPixmap pixmap(resource);
    auto *button = new QPushButton(parent);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
    button->setFixedSize(pixmap.size());
    return button;
}

} // namespace

StartPage BuildStartPage(QWidget *parent, const QPalette &whiteText)
{
    const QFont titleFont = WindowStyle::Font(40, false);
    const QFont bigBoldFont = WindowStyle::Font(20, true);
    StartPage parts;
    parts.page = new QWidget(parent);
    parts.title = new QLabel(GetText("MainWnd/ProTitle"));
    parts.title->setFont(titleFont);
    parts.title->setPalette(whiteText);
    parts.title->setStyleSheet(WindowStyle::transparent);

    parts.openFile = new QPushButton(QStringLiteral("   ") + GetText("MainWnd/OpenFile"));
    parts.openFolder = new QPushButton(QStringLiteral("   ") + GetText("MainWnd/OpenFolder"));
    const QPair<QPushButton *, const char *> startButtons[] = {
        {parts.openFile, ":/image/MoviesFolder.png"}, {parts.openFolder, ":/image/disc.png"}};
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
    parts.openFile->setObjectName(QStringLiteral("openFileButton"));
    parts.openFolder->setObjectName(QStringLiteral("openFolderButton"));

    auto *titleColumn = new QVBoxLayout;
    titleColumn->addStretch(1);
    titleColumn->addWidget(parts.title);
    titleColumn->addStretch(2);
    auto *buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(parts.openFile);
    buttonColumn->addSpacing(50);
    buttonColumn->addWidget(parts.openFolder);
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
    parts.page->setLayout(startPageBox);
    return parts;
}

DiscPage BuildDiscPage(QWidget *parent, const QPalette &whiteText)
{
    const QFont titleFont = WindowStyle::Font(40, false);
    const QFont bigBoldFont = WindowStyle::Font(20, true);
    DiscPage parts;
    parts.page = new QWidget(parent);
    parts.art = new QLabel;
    parts.art->setScaledContents(true);
    parts.name = new QLabel(GetText("MainWnd/ProTitle"));
    parts.name->setFont(titleFont);
    parts.name->setPalette(whiteText);
    parts.name->setStyleSheet(WindowStyle::transparent);
    auto *discTitleBox = new QHBoxLayout;
    discTitleBox->addWidget(parts.name);
    parts.protection = new QLabel;
    parts.protection->setFont(WindowStyle::Font(14, false));
    parts.protection->setPalette(whiteText);
    parts.protection->setStyleSheet(WindowStyle::transparent);
    parts.protection->setWordWrap(true);
    parts.protection->hide();

    parts.menu = new QMenu;
    parts.menu->setStyleSheet(WindowStyle::discPageMenu);
    parts.menu->setFont(bigBoldFont);
    parts.menu->setPalette(whiteText);
    parts.playMovie = parts.menu->addAction(GetText("MainWnd/PlayMovie"));
    parts.chapter = parts.menu->addAction(GetText("MainWnd/Chapter"));
    parts.audio = parts.menu->addAction(GetText("MainWnd/Audio"));
    parts.subtitle = parts.menu->addAction(GetText("MainWnd/Subtitle"));
    parts.otherTitles = parts.menu->addAction(GetText("MainWnd/OtherTitles"));
    auto *discMenuBox = new QHBoxLayout;
    discMenuBox->setContentsMargins(0, 0, 0, 0);
    discMenuBox->setSpacing(0);
    // Taking the menu into a layout reparents it into the page, which turns the popup into
    // an embedded child; the paint handler shows it when the page is up.
    discMenuBox->addWidget(parts.menu);
    discMenuBox->addStretch(5);
    parts.menu->hide();
    auto *discColumns = new QVBoxLayout;
    discColumns->addLayout(discTitleBox, 3);
    discColumns->addWidget(parts.protection);
    discColumns->addLayout(discMenuBox, 7);
    parts.art->setLayout(discColumns);
    auto *discPageBox = new QHBoxLayout;
    discPageBox->setContentsMargins(0, 0, 0, 0);
    discPageBox->setSpacing(0);
    discPageBox->addWidget(parts.art);
    parts.page->setLayout(discPageBox);
    return parts;
}

VideoPage BuildVideoPage(QWidget *parent)
{
    VideoPage parts;
    parts.page = new VideoFrame(parent);
    parts.surface = parts.page->Surface();
    return parts;
}

BottomPanel BuildBottomPanel(QWidget *parent, const QPalette &whiteText)
{
    const QFont timeFont = WindowStyle::Font(10, false);
    const QFont statusFont = WindowStyle::Font(10, true);
    BottomPanel parts;
    // Seek row.
    parts.elapsed = new QLabel(QStringLiteral("   --:--:--"));
    parts.total = new QLabel(QStringLiteral("   --:--:--"));
    for (QLabel *label : {parts.elapsed, parts.total}) {
        label->setFont(timeFont);
        label->setPalette(whiteText);
        label->setStyleSheet(WindowStyle::timeLabel);
        label->setFixedWidth(50);
    }
    parts.seek = new QSlider(Qt::Horizontal);
    parts.seek->setRange(0, 100);
    parts.seek->setStyleSheet(WindowStyle::seekSlider);
    parts.seek->setEnabled(false);
    auto *seekRow = new QHBoxLayout;
    seekRow->setSpacing(0);
    seekRow->addWidget(parts.elapsed);
    seekRow->addWidget(parts.seek);
    seekRow->addWidget(parts.total);

    // Control bar.
    auto *controlBar = new QWidget(parent);
    controlBar->setStyleSheet(WindowStyle::controlBar);
    parts.play = ImageButton(controlBar, QStringLiteral(":/image/play.png"));
    parts.stop = ImageButton(controlBar, QStringLiteral(":/image/stop.png"));
    parts.previous = ImageButton(controlBar, QStringLiteral(":/image/pre.png"));
    parts.next = ImageButton(controlBar, QStringLiteral(":/image/next.png"));
    auto *transportBox = new QHBoxLayout;
    transportBox->setSpacing(0);
    for (QPushButton *button : {parts.stop, parts.play, parts.previous, parts.next}) {
        transportBox->addWidget(button);
    }
    parts.volume = ImageButton(controlBar, QStringLiteral(":/image/volume.png"));
    parts.volumeSlider = new QSlider(Qt::Horizontal);
    parts.volumeSlider->setRange(0, 100);
    parts.volumeSlider->setValue(50);
    parts.volumeSlider->setStyleSheet(WindowStyle::volumeSlider);
    parts.fullScreen = ImageButton(controlBar, QStringLiteral(":/image/fullscreen.png"));
    auto *volumeBox = new QHBoxLayout;
    volumeBox->addWidget(parts.volume);
    volumeBox->addWidget(parts.volumeSlider);
    volumeBox->addWidget(parts.fullScreen);
    parts.status = new QLabel;
    parts.status->setStyleSheet(WindowStyle::statusLabel);
    parts.status->setFont(statusFont);
    parts.status->setWordWrap(true);
    auto *statusBox = new QHBoxLayout;
    statusBox->addWidget(parts.status);
    auto *controlRow = new QHBoxLayout;
    controlRow->addLayout(statusBox);
    controlRow->addStretch(4);
    controlRow->addLayout(transportBox);
    controlRow->addStretch(4);
    controlRow->addLayout(volumeBox);
    controlBar->setLayout(controlRow);

    parts.panel = new QLabel;
    parts.panel->setFixedHeight(90);
    auto *bottomBox = new QVBoxLayout;
    bottomBox->setContentsMargins(0, 0, 0, 0);
    bottomBox->setSpacing(0);
    bottomBox->addLayout(seekRow, 1);
    bottomBox->addWidget(controlBar, 10);
    parts.panel->setLayout(bottomBox);
    return parts;
}

QPushButton *BuildMenuButton(const QString &text, int x, QMenu *menu, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setMenu(menu);
    button->setGeometry(x, 1, 100, 20);
    button->setFont(WindowStyle::Font(11, false));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(WindowStyle::menuButton);
    return button;
}

QTableWidget *BuildPlaylistTable(QWidget *parent)
{
    auto *table = new QTableWidget(0, 1, parent);
    table->setColumnWidth(0, 200);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setFixedHeight(0);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setHighlightSections(false);
    table->setMouseTracking(true);
    table->setStyleSheet(WindowStyle::playlistTable);
    return table;
}

void AppendPlaylistRow(QTableWidget *table, const PLAY_LIST_INFO &item)
{
    const int row = table->rowCount();
    table->insertRow(row);
    auto *cell = new QTableWidgetItem(PathBytes::Readable(PlaylistRowText(item.path)));
    cell->setFont(WindowStyle::Font(10, false));
    cell->setForeground(Qt::white);
    cell->setData(Qt::UserRole, QVariant::fromValue(item));
    table->setItem(row, 0, cell);
    table->setRowHeight(row, 20);
}

void MarkPlayingRows(QTableWidget *table, const QList<int> &rows)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (QTableWidgetItem *item = table->item(row, 0)) {
            item->setIcon(QIcon());
        }
    }
    for (int row : rows) {
        if (QTableWidgetItem *item = table->item(row, 0)) {
            table->selectRow(row);
            table->setFocus();
            item->setIcon(QIcon(QStringLiteral(":/image/playstatus.png")));
        }
    }
}

void ShowPlayIcon(QPushButton *button, bool playing)
{
    button->setIcon(
        QIcon(playing ? QStringLiteral(":/image/pause.png") : QStringLiteral(":/image/play.png")));
}

void ShowVolumeIcon(QPushButton *button, bool muted)
{
    const QPixmap pixmap(muted ? QStringLiteral(":/image/no-volume.png")
                               : QStringLiteral(":/image/volume.png"));
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
    button->setFixedSize(pixmap.size());
}

void ShowStatusName(QLabel *status, const QString &name, const QString &notice)
{
    const QString shown = QStringLiteral("    ") + PathBytes::Readable(name);
    const int room = status->contentsRect().width() - 2 * status->margin();
    const QFontMetrics metrics = status->fontMetrics();
    if (notice.isEmpty()) {
        status->setText(metrics.elidedText(shown, Qt::ElideRight, room));
        return;
    }
    // The notice (a time) is shown whole; the name gives way.
    const QString tail = QStringLiteral("   \u00b7   ") + notice;
    const int nameRoom = room - metrics.horizontalAdvance(tail);
    if (nameRoom < metrics.horizontalAdvance(QStringLiteral("    \u2026"))) {
        status->setText(metrics.elidedText(QStringLiteral("    ") + notice, Qt::ElideRight, room));
        return;
    }
    status->setText(metrics.elidedText(shown, Qt::ElideRight, nameRoom) + tail);
}

void ResizeWithinScreen(QWidget *window, QSize size)
{
    // A window taller than the screen's free area would push the control bar out of reach;
    // the frame the window manager adds counts too.
    const QScreen *where = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QSize limit = where->availableGeometry().size() -
                        (window->frameGeometry().size() - window->geometry().size());
    window->resize(qMin(size.width(), qMax(limit.width(), 1)),
                   qMin(size.height(), qMax(limit.height(), 1)));
}

void ShowProtection(QLabel *line, const DiscProtectionInfo &info)
{
    const char *key = DiscProtection::PageLineKey(DiscProtection::Decide(info));
    line->setText(key ? GetText(key).arg(DiscProtection::SchemeNames(info)) : QString());
    line->setVisible(key != nullptr);
}

void AddPictureNotes(QLabel *line, const BluRayTitle *title)
{
    if (!title)
        return;
    const int notes =
        PictureNotes::Decide({title->videoCodingType, title->videoFormat, title->videoRangeColour},
                             QThread::idealThreadCount());
    QStringList texts;
    if (!line->text().isEmpty())
        texts << line->text();
    if (notes & PictureNotes::MayNotKeepUp)
        texts << GetText("MainWnd/UhdSoftware");
    if (notes & PictureNotes::HdrWithoutToneMapping)
        texts << GetText("MainWnd/UhdHdr");
    line->setText(texts.join(QLatin1Char('\n')));
    line->setVisible(!texts.isEmpty());
}

OnScreenTexts OnScreenTextsOfLanguage()
{
    OnScreenTexts texts;
    texts.position = GetText("MainWnd/OsdPosition");
    texts.volume = GetText("MainWnd/OsdVolume");
    texts.speed = GetText("MainWnd/OsdSpeed");
    texts.audioDelay = GetText("MainWnd/OsdAudioDelay");
    texts.subtitleDelay = GetText("MainWnd/OsdSubtitleDelay");
    texts.snapshot = GetText("MainWnd/OsdSnapshot");
    texts.chapter = GetText("MainWnd/OsdChapter");
    texts.title = GetText("MainWnd/OsdTitle");
    texts.deinterlaceOn = GetText("MainWnd/OsdDeinterlaceOn");
    texts.deinterlaceOff = GetText("MainWnd/OsdDeinterlaceOff");
    texts.aspect = GetText("MainWnd/OsdAspect");
    texts.aspectAuto = GetText("MainWnd/AspectAuto");
    return texts;
}

} // namespace WindowParts
