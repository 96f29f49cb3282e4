// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace platform {

// The program keeps its files in the folder it is started in. Started with this argument (the Start menu's
// entry on Windows) it first makes and enters the user's own data folder, %APPDATA%\Quillmora; elsewhere
// the launcher (packaging/quillmora-launcher) does that before the program starts.
inline const QString kUserDataFolderArgument = QStringLiteral("--user-data-folder");

// Enters the user's data folder when the arguments ask for it. False, once the user has been told why,
// when the folder can be neither made nor entered.
bool enterDataFolderAskedFor(const QStringList& arguments);

}  // namespace platform
