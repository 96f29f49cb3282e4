// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

#include "Dialogs.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace platform {
namespace {

// The user's roaming application data folder (%APPDATA%), made when missing; empty when there is none.
QString roamingAppData()
{
    PWSTR path = nullptr;
    const bool found = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &path));
    const QString folder = found ? QDir::fromNativeSeparators(QString::fromWCharArray(path)) : QString();
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

bool enterDataFolderAskedFor(const QStringList& arguments)
{
    if (!arguments.contains(kUserDataFolderArgument))
        return true;
    const QString base = roamingAppData();
    const QString folder = base.isEmpty() ? QString() : base + QStringLiteral("/Quillmora");
    // A folder made inside %APPDATA% takes its access list: the user's own.
    if (!folder.isEmpty() && QDir().mkpath(folder) && QDir::setCurrent(folder))
        return true;
    MsgBox(QCoreApplication::translate("platform", "データフォルダー「%1」を作れません。")
               .arg(QDir::toNativeSeparators(folder.isEmpty() ? QStringLiteral("%APPDATA%\\Quillmora") : folder)),
           vbCritical, QStringLiteral("Quillmora"));
    return false;
}

}  // namespace platform
