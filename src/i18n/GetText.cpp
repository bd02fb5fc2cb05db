#include "GetText.h"

#include "CLanguageManager.h"

QString GetText(const char *key)
{
    return CLanguageManager::Instance().GetText(key);
}
