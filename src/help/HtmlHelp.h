// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The help windows of the program, and the HTML help function as the settings window calls it. On
// Windows the windows are the system's HTML help viewer (hhctrl.ocx); elsewhere our own viewer window
// shows the compiled help file. One file per platform (HtmlHelp_win.cpp, HtmlHelp_viewer.cpp) opens and
// closes them; the rest is common.
namespace help {

// The program's help file, passed by bare name: in the language of the windows ("KvHelp_en.chm" in English)
// where it is installed, else the program's own, "KvHelp.chm", in Japanese, the language its pages are written in.
QString programHelpFile();

// Commands, with the values of the HTML help interface.
enum class HelpCommand : int {
    DisplayTopic = 0,  // open the file at its start page
    CloseAll = 18,     // close every help window the program opened
};

// Typed: the command names what is wanted and the file is a name, never a pointer or encoded bytes.
// caller: the window asking for help. file: the help file, a bare name or a path (unused by
// CloseAll); for DisplayTopic it may name a page of the file after "::", as the HTML help
// interface does ("KvHelp.chm::/training.html"). Returns the help window for DisplayTopic as
// showTopic does, nullptr otherwise.
QWidget* HtmlHelpA(QWidget* caller, const QString& file, HelpCommand command);
// When the seams replace the help viewer (shared/Seams.h), every call goes there instead.

// Ends the program as 終了 does: the help windows close first, then the program ends (platform::endProgram).
// caller and file as for HtmlHelpA.
void endProgramClosingHelp(QWidget* caller, const QString& file);

// Makes F1 in `window` (its own shortcut: the key works in any of its controls) open the program's
// help at `page` of it ("training.html", "overview.html#buttons").
void offerHelpKey(QWidget* window, const QString& page);

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

// The folders in which a bare help file name is looked for, in order: the current
// directory, the executable's directory, and the installed data folder.
QStringList helpSearchDirs();

// The help file found for a name as showTopic is given it (bare name or path); empty when
// there is none.
QString findHelpFile(const QString& name);

namespace detail {
// Tells the user that a help file cannot be shown, through the message box seam (for the platform files).
void reportCannotOpen(const QString& name);
}  // namespace detail

}  // namespace help
