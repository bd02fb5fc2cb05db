#pragma once

#include <QString>

// One language offered in the Help menu: name is what the settings store and what names the
// language file, displayName is the menu text.
struct LanguageEntry
{
    QString name;
    QString displayName;
};
