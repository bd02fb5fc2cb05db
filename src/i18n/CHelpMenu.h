#pragma once

#include <QString>

class CLanguageManager;
class QAction;
class QMenu;
class QWidget;

// The Help menu of the main window: the user guide, the support page and the language choice.
// Entries are told apart by their data, an English keyword or a language name, never by their
// text, which changes with the language.
class CHelpMenu
{
public:
    // Data of the fixed entries.
    static const char *const HelpData;
    static const char *const SupportData;
    static const char *const LanguageData;
    // Marks the current language in the language submenu.
    static const char *const CurrentLanguageIcon;

    enum class Choice
    {
        None,     // not an entry of this menu that does anything
        Help,     // open the user guide
        Support,  // open the support page
        Language, // switch to languageName
    };

    struct Selection
    {
        Choice choice = Choice::None;
        QString languageName;
    };

    // Builds the menu with "Help", "Support" and "Language"; the last holds a submenu with one
    // entry per offered language, in list order, the current one marked with a dot and made
    // the default action. The submenu is a child of submenuParent (the main window); the menu
    // itself of menuParent. The caller connects the menu's triggered(QAction*), which also
    // brings the submenu's entries when the user picks them from the open menu.
    static QMenu *Build(QWidget *submenuParent, const CLanguageManager &languages,
                        QWidget *menuParent = nullptr);

    // What picking action asks for. An entry whose data is neither keyword is a language
    // choice, also when it names the current language; the entry that only opens the
    // language submenu, and anything without text data, asks for nothing.
    static Selection Classify(const QAction *action);
};
