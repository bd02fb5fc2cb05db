#pragma once

#include "i18n/GetText.h"

#include <QAction>
#include <QDebug>
#include <QHash>
#include <QKeySequence>
#include <QMenu>
#include <QString>

#include <cstddef>

// One entry of a menu: what it shows, the English keyword its action carries as data, its
// shortcut, whether it starts enabled, and what it does. The same rows build the menu and
// dispatch its actions, so an entry and its behaviour cannot drift apart.
template <class Owner> struct MenuRow
{
    const char *textKey;  // language key of the shown text; nullptr: dispatch only, not shown
    const char *data;     // keyword the handler is found by
    const char *shortcut; // nullptr for none
    bool enabledWhenBuilt;
    void (Owner::*handler)(); // nullptr: the entry only holds a submenu
    const char *textSuffix;   // appended to the shown text, e.g. "..." for entries that ask more
};

// A menu's rows, in the order the menu shows them.
template <class Owner> struct MenuTable
{
    const char *menuName; // for the log
    const MenuRow<Owner> *first;
    std::size_t count;

    const MenuRow<Owner> *begin() const { return first; }
    const MenuRow<Owner> *end() const { return first + count; }
};

template <class Owner, std::size_t N>
MenuTable<Owner> MakeMenuTable(const char *menuName, const MenuRow<Owner> (&rows)[N])
{
    return MenuTable<Owner>{menuName, rows, N};
}

// Fills menu with the shown rows; returns their actions by keyword, so the caller can
// attach submenus and keep the entries it changes later.
template <class Owner>
QHash<QString, QAction *> BuildMenuFromTable(QMenu *menu, const MenuTable<Owner> &rows)
{
    QHash<QString, QAction *> built;
    for (const MenuRow<Owner> &row : rows) {
        if (!row.textKey) {
            continue;
        }
        QAction *action =
            menu->addAction(GetText(row.textKey) + QString::fromLatin1(row.textSuffix));
        const QString data = QString::fromLatin1(row.data);
        action->setData(data);
        if (row.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        }
        action->setEnabled(row.enabledWhenBuilt);
        built.insert(data, action);
    }
    return built;
}

// Runs the handler of the row whose keyword is the action's data. Holders of submenus do
// nothing; an action that matches no row is logged, so a misspelt keyword shows up.
template <class Owner>
void DispatchMenuAction(Owner *owner, const MenuTable<Owner> &rows, const QAction *action)
{
    const QString data = action->data().toString();
    for (const MenuRow<Owner> &row : rows) {
        if (data == QLatin1String(row.data)) {
            if (row.handler) {
                (owner->*row.handler)();
            }
            return;
        }
    }
    qDebug().noquote() << QStringLiteral("%1 menu: no entry handles \"%2\"")
                              .arg(QLatin1String(rows.menuName), data);
}
