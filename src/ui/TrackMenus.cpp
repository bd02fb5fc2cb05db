#include "ui/TrackMenus.h"

#include "i18n/GetText.h"

#include "engine/SlaveCommand.h"

#include <QAction>
#include <QMenu>

namespace TrackMenus {

void CheckOnly(QMenu *submenu, QAction *entry)
{
    for (QAction *action : submenu->actions()) {
        action->setChecked(false);
    }
    entry->setCheckable(true);
    entry->setChecked(true);
}

void ResetToFirst(QMenu *menu)
{
    const QList<QAction *> entries = menu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        entries[i]->setCheckable(i == 0);
        entries[i]->setChecked(i == 0);
    }
}

QString DisableText()
{
    const QString text = GetText("MainWnd/Disable");
    return text.isEmpty() ? QStringLiteral("Disable") : text;
}

void ShowStreams(QMenu *menu, const QStringList &names, int checked)
{
    menu->clear();
    if (names.isEmpty()) {
        return;
    }
    for (int n = 0; n <= names.size(); ++n) {
        auto *entry = new QAction(n == 0 ? DisableText() : names[n - 1], menu);
        entry->setData(n);
        entry->setCheckable(true);
        entry->setChecked(n == checked);
        menu->addAction(entry);
    }
}

} // namespace TrackMenus
