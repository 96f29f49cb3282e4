// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <windows.h>

namespace platform {

QString systemLanguage()
{
    // The language of the user's Windows (its display language), not the formats of the region.
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID language = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (LCIDToLocaleName(language, name, LOCALE_NAME_MAX_LENGTH, 0) <= 0)
        return QString();
    const QString tag = QString::fromWCharArray(name);  // "ja-JP", "en-US", "zh-Hant-TW"
    return tag.left(tag.indexOf(u'-')).toLower();
}

// The toolkit's dialogs on Windows are the system's own, in the language of Windows.
int& withJapaneseToolkitLocale(int& argc)
{
    return argc;
}

void giveBackLocaleEnvironment()
{
    useLanguageLocale(interfaceLanguage());
}

}  // namespace platform
