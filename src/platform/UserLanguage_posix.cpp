// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include <clocale>
#include <initializer_list>
#include <optional>
#include <utility>

namespace platform {

namespace {

// The first locale variable set, as the C library takes them ("en_GB.UTF-8"), without code set and modifier ("en_GB").
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

// The user's LC_ALL (nothing where unset), which the toolkit and C library read first, kept while ours replaces it.
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
    // The C library takes the user's locale now; the toolkit sets it again from the Japanese one while it starts,
    // which a system lacking that locale leaves as the user's (a locale is taken whole or not at all).
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
