// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The help windows of the program. On Windows they are the system's HTML help viewer
// (hhctrl.ocx); elsewhere our own viewer window shows the compiled help file.
namespace help {

// Shows a help file, at its start page or at `topic` ("/page.html", "page.html#anchor").
// caller: the window asking for help (the viewer opens over it and gets the focus back when
// the viewer closes). file: a bare name ("KvHelp.chm"), looked up along helpSearchDirs(), or
// a path. A help window already showing that file is brought forward instead of opening a
// second one.
// Returns our viewer window, or nullptr when the file could not be shown (the user has been
// told so). On Windows the window is the system's, not ours, and nullptr is returned always.
QWidget* showTopic(QWidget* caller, const QString& file, const QString& topic = {});

// Closes every help window the program opened.
void closeAll();

// Help windows open now (not closed yet). Always 0 on Windows.
int openWindowCount();

// The folders in which a bare help file name is looked for, in order: the current
// directory, the executable's directory, and the installed data folder.
QStringList helpSearchDirs();

// The help file found for a name as showTopic is given it (bare name or path); empty when
// there is none.
QString findHelpFile(const QString& name);

}  // namespace help
