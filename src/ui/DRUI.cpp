// Life cycle of the main window: construction, (re)building, closing, and the Help menu.
#include "ui/DRUI.h"
#include "ui/WindowParts.h"

#include "i18n/CHelpMenu.h"
#include "i18n/CLanguageManager.h"
#include "i18n/CWebLinks.h"
#include "i18n/GetText.h"
#include "platform/AppFolders.h"
#include "platform/EngineLocator.h"
#include "ui/FullScreenControls.h"
#include "ui/VideoFrame.h"
#include "ui/WindowDialogs.h"
#include "ui/WindowMenus.h"
#include "ui/WindowStyle.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

DRUI::DRUI(QWidget *parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    Q_INIT_RESOURCE(resources);
    setObjectName(QStringLiteral("DRUIClass"));
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    resize(800, 600);

    central->setStyleSheet(WindowStyle::centralGradient);
    setWindowTitle(GetText("MainWnd/ProTitle"));
    resize(1000, 680);
    setAcceptDrops(true);
    setWindowIcon(QIcon(QStringLiteral(":/image/logo.ico")));

    // The data folder holds the recent files, the resume places and the probe copy; an
    // existing probe copy is kept even when the shipped tool is newer: the user may have put
    // a tool of their own there.
    const QString dataFolder = AppFolders::AppDataFolder();
    AppFolders::EnsureFolder(dataFolder);
    EngineLocator::PrepareProbeToolCopy(dataFolder);
    // The preferences are kept beside the language choice.
    controller =
        new PlayerController(dataFolder, CLanguageManager::Instance().UserSettingsPath(), this);
    fullScreen = new FullScreenControls(this);
    ConnectController();
}

DRUI::~DRUI()
{
    // The controller's signals must not reach a window that is half gone.
    controller->disconnect(this);
    delete controller;
    controller = nullptr;
    WindowMenus::DeleteAll(*this);
}

void DRUI::InitMainWindow()
{
    // The stacked layouts are replaced first. The old page stack needs no deleting here: it
    // lives inside the old content widget, which the build deletes.
    delete contentStack;
    contentStack = new QStackedLayout;
    pageStack = new QStackedLayout;

    BuildWindow();

    contentStack->addWidget(contentWidget);
    contentStack->setCurrentWidget(contentWidget);
    contentStack->setContentsMargins(0, 0, 0, 0);
    if (!centralBox) {
        centralBox = new QVBoxLayout;
        centralBox->setSpacing(0);
        centralBox->setContentsMargins(0, 0, 0, 0);
        centralWidget()->setLayout(centralBox);
    }
    centralBox->addLayout(contentStack);
    controller->SetOnScreenTexts(WindowParts::OnScreenTextsOfLanguage());
    ShowViewing();
    // A new window starts with an empty playlist.
    Request(Ask::ClearPlaylist{});
    RebuildRecentMenu();
    raise();
}

void DRUI::ShowFromOtherInstance()
{
    showNormal();
    raise();
    activateWindow();
}

void DRUI::BDHelpMenu(QAction *action)
{
    const CHelpMenu::Selection selection = CHelpMenu::Classify(action);
    switch (selection.choice) {
    case CHelpMenu::Choice::Help:
        btnHelpSlot();
        break;
    case CHelpMenu::Choice::Support:
        btnSupportSlot();
        break;
    case CHelpMenu::Choice::Language:
        CLanguageManager::Instance().ChangeLanguage(selection.languageName);
        StopBtn();
        // The menu that sent this signal is deleted by the rebuild, so the rebuild waits
        // until the menu has finished delivering it.
        QTimer::singleShot(0, this, [this] {
            setWindowTitle(GetText("MainWnd/ProTitle"));
            InitMainWindow();
        });
        break;
    case CHelpMenu::Choice::None:
        break;
    }
}

void DRUI::btnOpenUrl(const QString &url)
{
    WindowDialogs::OpenOrSay(this, QUrl(url));
}

void DRUI::btnHelpSlot()
{
    WindowDialogs::OpenOrSay(this, CWebLinks::Instance().HelpUrl());
}

void DRUI::btnSupportSlot()
{
    WindowDialogs::OpenOrSay(this, CWebLinks::Instance().SupportUrl());
}

void DRUI::btnAboutSlot()
{
    WindowDialogs::OpenOrSay(this, CWebLinks::Instance().AboutUrl());
}

void DRUI::btnCloseSlot()
{
    close();
}

void DRUI::closeEvent(QCloseEvent *event)
{
    // The window system's close request also ends a running engine, and the place where the
    // source was left is kept as it is now.
    Request(Ask::Quit{});
    event->accept();
    QCoreApplication::quit();
}

void DRUI::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QMainWindow::mousePressEvent(event);
}

void DRUI::resizeEvent(QResizeEvent *event)
{
    centralWidget()->resize(size());
    QMainWindow::resizeEvent(event);
}
