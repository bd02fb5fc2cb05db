#pragma once

#include <QString>

// The text of "Section/Key" in the current language, empty when the language file lacks it.
QString GetText(const char *key);
