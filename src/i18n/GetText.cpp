#include "i18n/GetText.h"

#include "i18n/CLanguageManager.h"

QString GetText(const char *key)
{
    return CLanguageManager::Instance().GetText(key);
}
