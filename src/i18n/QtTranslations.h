#pragma once

#include <QString>

// Qt's own translations: the buttons of its dialogs and the key names that menus show beside
// their entries. Without them a German window would still offer "Cancel" and "Space".
namespace QtTranslations {

// Replaces the installed Qt translation with the one for locale ("de", "zh_CN"); an empty
// locale leaves Qt's English. Returns whether a translation for locale was found.
bool Install(const QString &locale);

} // namespace QtTranslations
