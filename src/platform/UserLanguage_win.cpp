// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <windows.h>

namespace platform {

namespace {

// A Windows locale name as the toolkit takes it: "en_GB" of "en-GB", "zh_Hant_TW" of "zh-Hant-TW".
QString localeName(const wchar_t* name)
{
    return QString::fromWCharArray(name).replace(u'-', u'_');
}

}  // namespace

QString systemMessagesLocale()
{
    // The language of the user's Windows (its display language), not the formats of the region.
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID language = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    return LCIDToLocaleName(language, name, LOCALE_NAME_MAX_LENGTH, 0) > 0 ? localeName(name) : QString();
}

QString systemFormatsLocale()
{
    // The region's formats the user chose.
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    return GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0 ? localeName(name) : QString();
}

// The toolkit's dialogs on Windows are the system's own, in the language of Windows.
int& withJapaneseToolkitLocale(int& argc)
{
    return argc;
}

void giveBackLocaleEnvironment() {}

}  // namespace platform
