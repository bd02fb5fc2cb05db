#include "ui/CProcessUI.h"

#include "i18n/CLanguageManager.h"
#include "i18n/GetText.h"
#include "i18n/StreamLabel.h"
#include "platform/AppFolders.h"
#include "player/SnapshotNaming.h"
#include "ui/WindowStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int dialogWidth = 680;
constexpr int dialogHeight = 290;

QPushButton *TextButton(const QString &text, QWidget *parent, const QRect &where)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(where);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFont(WindowStyle::Font(11, false));
    button->setStyleSheet(WindowStyle::dialogButton);
    return button;
}

QPushButton *ImageButton(const QString &resource, QWidget *parent, int x)
{
    const QPixmap pixmap(resource);
    auto *button = new QPushButton(parent);
    button->move(x, 0);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
    button->resize(pixmap.size());
    button->setFlat(true);
    button->setStyleSheet(QStringLiteral("border:none"));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLabel *FieldLabel(const QString &text, QWidget *parent, const QRect &where)
{
    auto *label = new QLabel(text + QStringLiteral(": "), parent);
    label->setGeometry(where);
    label->setWordWrap(true);
    label->setFont(WindowStyle::Font(11, false));
    return label;
}

// The disc's own choice first, then every language the player names, in the interface
// language; a code set by hand in the settings file that names none of them is kept as it is.
QComboBox *LanguageCombo(QWidget *parent, const QRect &where, const QString &chosen)
{
    auto *combo = new QComboBox(parent);
    combo->setGeometry(where);
    combo->setFont(WindowStyle::Font(12, false));
    combo->addItem(GetText("MainWnd/DiscOwnChoice"), QString());
    const QString locale = CLanguageManager::Instance().Locale();
    for (const QString &code : StreamLabel::NamedLanguageCodes())
        combo->addItem(StreamLabel::LanguageName(code, locale), code);
    int index = chosen.isEmpty() ? 0 : combo->findData(chosen);
    if (index < 0) {
        const QLocale::Language language = StreamLabel::LanguageOf(chosen);
        for (int i = 1; i < combo->count() && index < 0; ++i) {
            if (StreamLabel::LanguageOf(combo->itemData(i).toString()) == language &&
                language != QLocale::AnyLanguage)
                index = i;
        }
    }
    if (index < 0) {
        combo->addItem(chosen, chosen);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
    return combo;
}

} // namespace

CProcessUI::CProcessUI() : QDialog(nullptr)
{
    setObjectName(QStringLiteral("Dialog"));
    // A frameless top-level window: the window manager still lists it as a window of its
    // own, with the title below, as a task-bar entry.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(dialogWidth, dialogHeight);
    resize(dialogWidth, dialogHeight);
    setWindowTitle(GetText("MainWnd/RegisterTitle"));
    setWindowIcon(QIcon(QStringLiteral(":/image/logo.ico")));
}

CProcessUI::~CProcessUI() = default;

void CProcessUI::BuildLayout()
{
    // Title strip.
    auto *strip = new QLabel(this);
    strip->setMinimumSize(dialogWidth, 40);
    strip->setStyleSheet(WindowStyle::messageHeading);
    QPushButton *minimise = ImageButton(QStringLiteral(":/image/min.png"), strip, dialogWidth - 60);
    QPushButton *close = ImageButton(QStringLiteral(":/image/close.png"), strip, dialogWidth - 30);
    minimise->setObjectName(QStringLiteral("minimiseButton"));
    close->setObjectName(QStringLiteral("closeButton"));
    connect(minimise, &QPushButton::clicked, this, &CProcessUI::btnMinSlot);
    connect(close, &QPushButton::clicked, this, &CProcessUI::btnCloseSlot);
    auto *caption = new QLabel(GetText("MainWnd/Preferences"), strip);
    caption->setGeometry(150, 5, 300, 30);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFont(WindowStyle::Font(12, true));
    caption->setStyleSheet(QStringLiteral("color: white;"));
    auto *stripBox = new QHBoxLayout;
    stripBox->setSpacing(0);
    stripBox->setContentsMargins(0, 0, 0, 0);
    stripBox->addWidget(strip);

    // Body.
    auto *body = new QLabel(this);
    body->setMinimumSize(dialogWidth - 80, 180);
    FieldLabel(GetText("MainWnd/SnapshotFolder"), body, QRect(20, 10, 150, 25));
    folderPath = SnapshotFolder(AppFolders::AppDataFolder(), AppFolders::DocumentsFolder());
    folderEdit = new QLineEdit(folderPath, body);
    folderEdit->setObjectName(QStringLiteral("folderEdit"));
    folderEdit->setGeometry(180, 10, 250, 25);
    folderEdit->setEnabled(false);
    QPushButton *browse = TextButton(GetText("MainWnd/Browse"), body, QRect(440, 10, 80, 25));
    QPushButton *open = TextButton(GetText("MainWnd/Open"), body, QRect(530, 10, 80, 25));
    browse->setObjectName(QStringLiteral("browseButton"));
    open->setObjectName(QStringLiteral("openButton"));
    connect(browse, &QPushButton::clicked, this, &CProcessUI::btnChoosePath);
    connect(open, &QPushButton::clicked, this, &CProcessUI::btnOpenFolder);
    FieldLabel(GetText("MainWnd/SnapshotFormat"), body, QRect(20, 40, 150, 25));
    formatCombo = new QComboBox(body);
    formatCombo->setGeometry(180, 40, 150, 25);
    formatCombo->setFont(WindowStyle::Font(12, false));
    formatCombo->addItems({QStringLiteral("JPEG"), QStringLiteral("PNG"), QStringLiteral("BMP")});
    formatCombo->setCurrentIndex(formatIndex);
    resumeCheck = new QCheckBox(GetText("MainWnd/ResumePlayback"), body);
    resumeCheck->setObjectName(QStringLiteral("resumeCheck"));
    resumeCheck->setGeometry(20, 75, 400, 25);
    resumeCheck->setFont(WindowStyle::Font(12, false));
    resumeCheck->setChecked(resume);
    FieldLabel(GetText("MainWnd/AudioLanguage"), body, QRect(20, 105, 150, 25));
    audioLanguageCombo = LanguageCombo(body, QRect(180, 105, 250, 25), audioLanguage);
    audioLanguageCombo->setObjectName(QStringLiteral("audioLanguageCombo"));
    FieldLabel(GetText("MainWnd/SubtitleLanguage"), body, QRect(20, 135, 150, 25));
    subtitleLanguageCombo = LanguageCombo(body, QRect(180, 135, 250, 25), subtitleLanguage);
    subtitleLanguageCombo->setObjectName(QStringLiteral("subtitleLanguageCombo"));
    auto *bodyBox = new QVBoxLayout;
    bodyBox->setContentsMargins(20, 0, 0, 0);
    bodyBox->addWidget(body);

    // Buttons.
    auto *buttonRow = new QLabel(this);
    buttonRow->setMinimumSize(dialogWidth, 40);
    QPushButton *ok = TextButton(GetText("MainWnd/OK"), buttonRow, QRect(220, 0, 80, 30));
    QPushButton *cancel = TextButton(GetText("MainWnd/Cancel"), buttonRow, QRect(360, 0, 80, 30));
    ok->setObjectName(QStringLiteral("okButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &CProcessUI::btnOK);
    connect(cancel, &QPushButton::clicked, this, &CProcessUI::btnCloseSlot);
    auto *buttonBox = new QVBoxLayout;
    buttonBox->setContentsMargins(0, 0, 0, 0);
    buttonBox->addWidget(buttonRow);

    auto *bottom = new QLabel(this);
    bottom->setMinimumSize(dialogWidth, 10);

    auto *dialogBox = new QVBoxLayout;
    dialogBox->setContentsMargins(0, 0, 0, 0);
    dialogBox->addLayout(stripBox);
    dialogBox->addLayout(bodyBox);
    dialogBox->addLayout(buttonBox);
    dialogBox->addWidget(bottom);
    setLayout(dialogBox);
}

void CProcessUI::SetChosenFolder(const QString &folder)
{
    if (folder.isEmpty()) {
        return;
    }
    folderPath = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    if (folderEdit) {
        folderEdit->setText(folderPath);
    }
}

void CProcessUI::btnChoosePath()
{
    SetChosenFolder(
        QFileDialog::getExistingDirectory(this, QString(), QString(), QFileDialog::ShowDirsOnly));
}

void CProcessUI::btnOpenFolder()
{
    QDir().mkpath(folderPath);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folderPath));
}

void CProcessUI::btnOK()
{
    formatIndex = formatCombo->currentIndex();
    resume = resumeCheck->isChecked();
    audioLanguage = audioLanguageCombo->currentData().toString();
    subtitleLanguage = subtitleLanguageCombo->currentData().toString();
    // A folder that cannot be saved still lets the format apply, as it always has.
    WriteSnapshotFolder(AppFolders::AppDataFolder(), folderPath);
    resultFlag = 0;
    close();
}

void CProcessUI::btnCloseSlot()
{
    close();
}

void CProcessUI::btnMinSlot()
{
    showMinimized();
}

void CProcessUI::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
    }
}

void CProcessUI::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::LeftButton) {
        move(event->globalPosition().toPoint() - dragOffset);
        event->accept();
    }
}
