#include "i18n/CHelpMenu.h"

#include "i18n/CLanguageManager.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

const char *const CHelpMenu::HelpData = "Help";
const char *const CHelpMenu::SupportData = "Support";
const char *const CHelpMenu::LanguageData = "Language";
const char *const CHelpMenu::CurrentLanguageIcon = ":/image/dot.png";

QMenu *CHelpMenu::Build(QWidget *submenuParent, const CLanguageManager &languages,
                        QWidget *menuParent)
{
    auto *menu = new QMenu(menuParent);
    menu->addAction(languages.GetText("MainWnd/Help"))->setData(QString::fromLatin1(HelpData));
    menu->addAction(languages.GetText("MainWnd/Support"))
        ->setData(QString::fromLatin1(SupportData));
    QAction *languageAction = menu->addAction(languages.GetText("MainWnd/Language"));
    languageAction->setData(QString::fromLatin1(LanguageData));

    auto *languageMenu = new QMenu(submenuParent);
    const QString current = languages.CurrentLanguage();
    for (const LanguageEntry &entry : languages.LanguageList()) {
        QAction *action = languageMenu->addAction(entry.displayName);
        action->setData(entry.name);
        if (entry.name == current) {
            action->setIcon(QIcon(QString::fromLatin1(CurrentLanguageIcon)));
            languageMenu->setDefaultAction(action);
        }
    }
    languageAction->setMenu(languageMenu);
    return menu;
}

CHelpMenu::Selection CHelpMenu::Classify(const QAction *action)
{
    Selection selection;
    if (!action || action->menu() || action->data().typeId() != QMetaType::QString) {
        return selection;
    }
    const QString data = action->data().toString();
    if (data == QLatin1String(HelpData)) {
        selection.choice = Choice::Help;
    } else if (data == QLatin1String(SupportData)) {
        selection.choice = Choice::Support;
    } else {
        selection.choice = Choice::Language;
        selection.languageName = data;
    }
    return selection;
}
