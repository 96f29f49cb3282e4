// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <clocale>
#include <initializer_list>
#include <optional>
#include <utility>

namespace platform {

namespace {

// The first of the locale variables that is set, as the C library takes them ("en_GB.UTF-8"), without its
// code set and modifier ("en_GB").
QString firstLocaleSet(std::initializer_list<const char*> variables)
{
    for (const char* name : variables) {
        QByteArray locale = qgetenv(name);
        if (locale.isEmpty())
            continue;
        for (const char mark : {'.', '@'}) {
            if (const qsizetype at = locale.indexOf(mark); at >= 0)
                locale.truncate(at);
        }
        return QString::fromLatin1(locale);
    }
    return QString();
}

// The variable the toolkit and the C library read the locale from first, as the user's environment had it
// (nothing where it was not set), kept while the program's own replaces it.
std::optional<QByteArray> gUsersLcAll;
bool gLocaleReplaced = false;

}  // namespace

QString systemMessagesLocale()
{
    return firstLocaleSet({"LC_ALL", "LC_MESSAGES", "LANG"});
}

QString systemFormatsLocale()
{
    return firstLocaleSet({"LC_ALL", "LC_TIME", "LANG"});
}

int& withJapaneseToolkitLocale(int& argc)
{
    // The C library takes the user's locale now. The toolkit sets it again while it starts, from the
    // Japanese one: a system that has that locale gives it to the C library too, one that lacks it keeps
    // the user's (a locale is taken whole or not at all).
    std::setlocale(LC_ALL, "");
    // In another language the toolkit's dialogs follow the user's own locale.
    if (interfaceLanguage() != kSourceLanguage)
        return argc;
    gUsersLcAll = qEnvironmentVariableIsSet("LC_ALL") ? std::optional(qgetenv("LC_ALL")) : std::nullopt;
    qputenv("LC_ALL", "ja_JP.UTF-8");
    gLocaleReplaced = true;
    return argc;
}

void giveBackLocaleEnvironment()
{
    if (!std::exchange(gLocaleReplaced, false))
        return;
    if (gUsersLcAll)
        qputenv("LC_ALL", *gUsersLcAll);
    else
        qunsetenv("LC_ALL");
}

}  // namespace platform
