#include "ui/DiscMenus.h"
#include "ui/TrackMenus.h"

#include "disc/StreamMenuName.h"
#include "player/TimeText.h"
#include "ui/WindowStyle.h"

#include <QAction>
#include <QMenu>

#include <memory>

namespace DiscMenus {

namespace {
const char pendingTitlesName[] = "pendingTitleEntries";
} // namespace

QMenu *DiscPopupMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setWindowFlags(menu->windowFlags() | Qt::FramelessWindowHint);
    menu->setAttribute(Qt::WA_TranslucentBackground);
    menu->setStyleSheet(WindowStyle::discPopupMenu);
    menu->setFont(WindowStyle::Font(20, true));
    menu->setPalette(WindowStyle::WhiteText(menu->palette()));
    return menu;
}

QAction *FillStreamMenus(QMenu *popup, QMenu *submenu, const QVector<MplsStream> &streams,
                         int activeIndex, int checkedIndex)
{
    if (streams.isEmpty()) {
        return nullptr;
    }
    QStringList texts{TrackMenus::DisableText()};
    for (const MplsStream &stream : streams) {
        texts << StreamMenuName(stream);
    }
    QAction *active = nullptr;
    for (int n = 0; n < texts.size(); ++n) {
        auto *entry = new QAction(texts[n], popup);
        entry->setData(n);
        entry->setCheckable(true);
        entry->setChecked(n == activeIndex);
        popup->addAction(entry);
        if (n == activeIndex) {
            active = entry;
        }
        auto *barEntry = new QAction(texts[n], submenu);
        barEntry->setData(n);
        if (n == checkedIndex) {
            barEntry->setCheckable(true);
            barEntry->setChecked(true);
        }
        submenu->addAction(barEntry);
    }
    popup->setActiveAction(active);
    return active;
}

void FillChapterMenus(QMenu *popup, QMenu *submenu, const QVector<quint32> &chaptersMs)
{
    for (int i = 0; i < chaptersMs.size(); ++i) {
        auto *entry = new QAction(
            QStringLiteral("%1. ").arg(i + 1) + TimeText(qint64(chaptersMs[i] / 1000)), popup);
        entry->setData(i);
        popup->addAction(entry);
        submenu->addAction(entry);
    }
}

void ForgetPendingTitles(QMenu *submenu)
{
    delete submenu->findChild<QObject *>(QLatin1String(pendingTitlesName),
                                         Qt::FindDirectChildrenOnly);
}

void FillTitleMenus(QMenu *popup, QMenu *submenu, const QVector<TitleEntry> &titles)
{
    // A disc may hold thousands of titles: their entries are made when one of the two menus
    // first opens, not while the disc page waits to be shown. The pending fill belongs to the
    // submenu and goes with the popup, or when the submenu is given other entries.
    ForgetPendingTitles(submenu);
    auto *pending = new QObject(submenu);
    pending->setObjectName(QLatin1String(pendingTitlesName));
    QObject::connect(popup, &QObject::destroyed, pending, &QObject::deleteLater);
    auto filled = std::make_shared<bool>(false);
    const auto fill = [popup, submenu, titles, pending, filled] {
        if (*filled)
            return;
        *filled = true;
        for (int i = 0; i < titles.size(); ++i) {
            auto *entry = new QAction(
                QStringLiteral("%1. ").arg(i + 1) + titles[i].record.durationText, popup);
            entry->setData(QVariant::fromValue(titles[i].record));
            entry->setEnabled(titles[i].playable);
            popup->addAction(entry);
            submenu->addAction(entry);
        }
        pending->deleteLater();
    };
    QObject::connect(popup, &QMenu::aboutToShow, pending, fill);
    QObject::connect(submenu, &QMenu::aboutToShow, pending, fill);
}

void FillDvdMenus(QMenu *titleSubmenu, QMenu *chapterSubmenu, const DvdTitles &titles,
                  const DvdTitle *playing)
{
    ForgetPendingTitles(titleSubmenu);
    titleSubmenu->clear();
    chapterSubmenu->clear();
    for (const DvdTitle &title : titles.titles) {
        auto *entry =
            new QAction(QStringLiteral("%1. ").arg(title.number) + TimeText(title.lengthMs / 1000),
                        titleSubmenu);
        entry->setData(title.number);
        entry->setCheckable(true);
        entry->setChecked(playing && title.number == playing->number);
        titleSubmenu->addAction(entry);
    }
    if (!playing)
        return;
    for (int i = 0; i < playing->chapterStartsMs.size(); ++i) {
        auto *entry = new QAction(QStringLiteral("%1. ").arg(i + 1) +
                                      TimeText(playing->chapterStartsMs[i] / 1000),
                                  chapterSubmenu);
        entry->setData(i);
        chapterSubmenu->addAction(entry);
    }
}

void MarkChoice(QMenu *popup, QAction *chosen)
{
    for (QAction *entry : popup->actions()) {
        entry->setCheckable(true);
        entry->setChecked(entry == chosen);
    }
}

ActiveEntries FillForTitle(QWidget *parent, const TitleMenus &menus, const TitleContents &contents,
                           const TitleChoices &choices)
{
    for (QMenu *submenu :
         {menus.subtitleSubmenu, menus.audioSubmenu, menus.chapterSubmenu, menus.titleSubmenu}) {
        submenu->clear();
    }
    const auto replacePopup = [parent](QAction *holder) {
        QMenu *old = holder->menu();
        holder->setMenu(nullptr);
        delete old;
        QMenu *popup = DiscPopupMenu(parent);
        holder->setMenu(popup);
        return popup;
    };
    ActiveEntries active;
    active.subtitle = FillStreamMenus(replacePopup(menus.subtitleHolder), menus.subtitleSubmenu,
                                      contents.subtitles, choices.subtitle, choices.subtitle);
    active.audio = FillStreamMenus(replacePopup(menus.audioHolder), menus.audioSubmenu,
                                   contents.audioStreams, choices.audio, choices.audio);
    FillChapterMenus(replacePopup(menus.chapterHolder), menus.chapterSubmenu, contents.chaptersMs);
    FillTitleMenus(replacePopup(menus.titlesHolder), menus.titleSubmenu, contents.titles);
    return active;
}

} // namespace DiscMenus
