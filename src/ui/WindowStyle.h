#pragma once

#include <QFont>
#include <QPalette>
#include <QString>

// The look of the main window and its dialogs in one place.
namespace WindowStyle {

inline const QString centralGradient =
    QStringLiteral("background-color:qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 "
                   "#020407,stop:0.5 #151c26 ,stop:1 #283345)");

inline const QString menuStrip = QStringLiteral("background-color: rgb(239, 242, 249);");

inline const QString menuButton =
    QStringLiteral("QPushButton{border-style:outset;text-align:center;}"
                   "QPushButton:hover{border:1px groove rgb(153, 157, 169);}"
                   "QPushButton:pressed{border:1px groove rgb(153, 157, 169);border-style:inset;}"
                   "QPushButton::menu-indicator{image:none;}");

inline const QString startPageButton = QStringLiteral(
    "QPushButton{background-color:rgb(20, 50, 80);color:white;border-radius:15px;"
    "border:3px groove SlateGrey;border-style:solid;}"
    "QPushButton:hover{background-color:rgb(156, 156, 156);}"
    "QPushButton:pressed{background-color:rgb(156, 156, 156);border:3px groove SlateGrey;"
    "border-style:solid;}");

inline const QString transparent = QStringLiteral("background:transparent");

inline const QString discPageMenu =
    QStringLiteral("QMenu{background:rgba(0, 0, 0, 80);color: white;}QMenu::item:selected "
                   "{background-color: rgba(0, 0, 0,120);}");

// The disc page's popups look like the disc page menu they hang from.
inline const QString discPopupMenu = discPageMenu;

// The menu's colour would paint disabled entries (titles the engine cannot reach) like the
// others; they are greyed.
inline const QString navigationSubmenu =
    QStringLiteral("QMenu{background:rgba(255, 255, 255, 255);color: black;}QMenu::item:selected "
                   "{background-color: rgba(0, 0, 0,30);}QMenu::item:disabled{color: gray;}");

inline const QString timeLabel = QStringLiteral("background-color: rgb(0, 0, 0);");

inline const QString controlBar = QStringLiteral("background-color: rgb(205, 201, 201);");

inline const QString statusLabel = QStringLiteral(
    "min-width: 200px; min-height: 50px;max-width:200px; max-height: 50px;border-radius: 20px;  "
    "border:2px solid grey;background-color:rgb(156, 156, 156)");

inline const QString sliderParts = QStringLiteral(
    "QSlider::groove:horizontal{height:5px;border:1px solid #4A708B;background:#C0C0C0;"
    "border-radius:1px;padding-left:-1px;padding-right:-1px;}"
    "QSlider::sub-page:horizontal{height:10px;background:qlineargradient(spread:pad, x1:0, "
    "y1:0.2, x2:1, y2:1, stop:0 #5DCCFF, stop:1 #1874CD);border:1px solid #4A708B;"
    "border-radius:2px;}"
    "QSlider::add-page:horizontal{height:10px;background:#575757;border:0px solid #777;"
    "border-radius:2px;}"
    "QSlider::handle:horizontal{width:11px;margin-top:-3px;margin-bottom:-3px;"
    "border-radius:5px;background:qradialgradient(spread:pad, cx:0.5, cy:0.5, radius:0.5, "
    "fx:0.5, fy:0.5, stop:0.6 #45ADED, stop:0.778409 rgba(255, 255, 255, 255));}"
    "QSlider::handle:horizontal:hover{width:11px;margin-top:-3px;margin-bottom:-3px;"
    "border-radius:5px;background:qradialgradient(spread:pad, cx:0.5, cy:0.5, radius:0.5, "
    "fx:0.5, fy:0.5, stop:0.6 #2A8BDA, stop:0.778409 rgba(255, 255, 255, 255));}");

inline const QString seekSlider = sliderParts + QStringLiteral("QSlider{background:rgb(0,0,0);}");

inline const QString volumeSlider = sliderParts;

inline const QString playlistTable = QStringLiteral("border:1px solid rgb(0, 0, 0);");

inline const QString messageHeading = QStringLiteral("background-color: rgb(69, 78, 93);");
inline const QString messageButtonStrip = QStringLiteral("background-color: rgb(220, 220, 220);");
inline const QString messageOkButton =
    QStringLiteral("QPushButton{background-color:rgb(191, 191, 191);border-radius:10px;"
                   "border:2px groove white;border-style:outset;}"
                   "QPushButton:hover{background-color:rgb(156, 156, 156);}"
                   "QPushButton:pressed{background-color:rgb(156, 156, 156);border-style:inset;}");

inline const QString dialogButton =
    QStringLiteral("QPushButton{background-color:rgb(48, 81, 109);color:white;border-radius:5px;"
                   "border:2px groove white;border-style:outset;}"
                   "QPushButton:hover{background-color:rgb(156, 156, 156);}"
                   "QPushButton:pressed{background-color:rgb(156, 156, 156);border-style:inset;}");

// Every text of the program is set in Calibri; where it is missing the metric-compatible
// Carlito takes its place through fontconfig.
inline QFont Font(int pointSize, bool bold)
{
    QFont font(QStringLiteral("Calibri"));
    font.setPointSize(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    return font;
}

inline QPalette WhiteText(QPalette palette)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::WindowText, Qt::white);
    }
    return palette;
}

} // namespace WindowStyle
