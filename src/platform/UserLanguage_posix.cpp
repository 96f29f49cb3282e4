// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <algorithm>
#include <clocale>

namespace platform {

QString systemLanguage()
{
    // The message language as the C library takes it: LC_ALL, else LC_MESSAGES, else LANG ("en_US.UTF-8").
    QByteArray locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qgetenv(name);
        if (!locale.isEmpty())
            break;
    }
    const QString language = QString::fromLatin1(locale.left(locale.indexOf('_'))).toLower();
    const bool named = language.size() >= 2 && language.size() <= 3 &&
                       std::all_of(language.begin(), language.end(), [](QChar c) { return c.isLower(); });
    return named ? language : QString();
}

namespace {

// The variable the toolkit and the C library read the locale from first, as the user's environment had it.
struct SavedVariable {
    bool set = false;
    QByteArray value;
};
SavedVariable gUsersLcAll;
bool gLocaleReplaced = false;

}  // namespace

int& withJapaneseToolkitLocale(int& argc)
{
    // The C library takes the user's locale now. The toolkit sets it again while it starts, from the
    // Japanese one: a system that has that locale gives it to the C library too, one that lacks it keeps
    // the user's (a locale is taken whole or not at all).
    std::setlocale(LC_ALL, "");
    // In another language the toolkit's dialogs follow the user's own locale.
    if (interfaceLanguage() != kSourceLanguage)
        return argc;
    gUsersLcAll = {qEnvironmentVariableIsSet("LC_ALL"), qgetenv("LC_ALL")};
    qputenv("LC_ALL", "ja_JP.UTF-8");
    gLocaleReplaced = true;
    return argc;
}

void giveBackLocaleEnvironment()
{
    if (gLocaleReplaced) {
        if (gUsersLcAll.set)
            qputenv("LC_ALL", gUsersLcAll.value);
        else
            qunsetenv("LC_ALL");
        gLocaleReplaced = false;
    }
    useLanguageLocale(interfaceLanguage());
}

}  // namespace platform
