#include "ui/CMessageBox.h"

#include "i18n/GetText.h"
#include "ui/WindowStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int boxWidth = 400;
constexpr int boxHeight = 180;
} // namespace

CMessageBox::CMessageBox() : QDialog(nullptr)
{
    setObjectName(QStringLiteral("Dialog"));
    // A frameless top-level window keeps its own task-bar entry on X11 desktops.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(GetText("MainWnd/FreeTitle"));
    setWindowIcon(QIcon(QStringLiteral(":/image/logo.ico")));
    setFixedSize(boxWidth, boxHeight);
    resize(boxWidth, boxHeight);
    resultFlag = 1;
}

CMessageBox::~CMessageBox() = default;

QRect CMessageBox::PlacementFor(const QRect &mainWindowGeometry)
{
    return QRect(mainWindowGeometry.x() + mainWindowGeometry.width() / 3,
                 mainWindowGeometry.y() + mainWindowGeometry.height() / 3, boxWidth, boxHeight);
}

void CMessageBox::ShowInformation(const QString &message)
{
    const QFont font = WindowStyle::Font(12, false);

    auto *headingStrip = new QLabel(this);
    headingStrip->setMinimumSize(boxWidth, 20);
    headingStrip->setStyleSheet(WindowStyle::messageHeading);
    auto *heading = new QLabel(QStringLiteral("  ") + GetText("Messages/MSG0403"), headingStrip);
    heading->setGeometry(0, 5, boxWidth, 20);
    heading->setAlignment(Qt::AlignLeft);
    heading->setFont(font);
    heading->setStyleSheet(QStringLiteral("color: white;"));
    auto *headingBox = new QHBoxLayout;
    headingBox->setSpacing(0);
    headingBox->setContentsMargins(0, 0, 0, 0);
    headingBox->addWidget(headingStrip);

    auto *icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/image/information.png")));
    icon->setAlignment(Qt::AlignCenter);
    messageLabel = new QLabel(message, this);
    messageLabel->setObjectName(QStringLiteral("messageLabel"));
    messageLabel->setMinimumSize(boxWidth - 80, 60);
    messageLabel->setFont(font);
    messageLabel->setStyleSheet(QStringLiteral("color: black;"));
    messageLabel->setWordWrap(true);
    auto *messageRow = new QHBoxLayout;
    messageRow->setContentsMargins(5, 0, 0, 0);
    messageRow->addWidget(icon);
    messageRow->addWidget(messageLabel);

    auto *buttonStrip = new QLabel(this);
    buttonStrip->setMinimumSize(boxWidth, 40);
    buttonStrip->setStyleSheet(WindowStyle::messageButtonStrip);
    auto *okButton = new QPushButton(GetText("MainWnd/OK"), buttonStrip);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setFlat(true);
    okButton->setCursor(Qt::PointingHandCursor);
    okButton->setStyleSheet(WindowStyle::messageOkButton);
    okButton->setFont(font);
    okButton->setGeometry(boxWidth / 3, 5, 80, 25);
    connect(okButton, &QPushButton::clicked, this, &CMessageBox::btnSlotOK);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->addLayout(messageRow);
    body->addWidget(buttonStrip);

    auto *top = new QVBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addLayout(headingBox);
    top->addSpacing(20);
    top->addLayout(body);
    setLayout(top);

    // Buttons and labels take mouse presses for themselves; watching them lets a
    // right-click anywhere close the box, as on its bare background.
    for (QWidget *child : findChildren<QWidget *>()) {
        child->installEventFilter(this);
    }
}

void CMessageBox::btnSlotOK()
{
    resultFlag = 0;
    close();
}

void CMessageBox::btnSlotNO()
{
    resultFlag = 1;
    close();
}

void CMessageBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
    } else if (event->button() == Qt::RightButton) {
        close();
    }
}

void CMessageBox::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::LeftButton) {
        move(event->globalPosition().toPoint() - dragOffset);
        event->accept();
    }
}

bool CMessageBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CMessageBox::Inform(const QRect &mainWindowGeometry, const QString &message)
{
    CMessageBox box;
    box.setGeometry(PlacementFor(mainWindowGeometry));
    box.ShowInformation(message);
    box.exec();
}
