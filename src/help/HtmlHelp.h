// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The program's help windows, and the HTML help function the settings window calls: on Windows the system's HTML
// help viewer (hhctrl.ocx), elsewhere our own viewer of the compiled help file. One file per platform
// (HtmlHelp_win.cpp, HtmlHelp_viewer.cpp) opens and closes them; the rest is common.
namespace help {

// The program's help file, passed by bare name: in the language of the windows ("KvHelp_en.chm" in English)
// where it is installed, else the program's own, "KvHelp.chm", in Japanese, the language its pages are written in.
QString programHelpFile();

// Commands, with the values of the HTML help interface.
enum class HelpCommand : int {
    DisplayTopic = 0,  // open the file at its start page
    CloseAll = 18,     // close every help window the program opened
};

// Typed: the command names what is wanted and the file is a name, never a pointer or encoded bytes. caller and file
// as for showTopic (file unused by CloseAll); for DisplayTopic, file may name a page after "::", as the HTML help
// interface does ("KvHelp.chm::/training.html"). Returns the help window for DisplayTopic as showTopic does.
QWidget* HtmlHelpA(QWidget* caller, const QString& file, HelpCommand command);
// When the seams replace the help viewer (shared/Seams.h), every call goes there instead.

// Ends the program as 終了 does: the help windows close first, then the program ends (platform::endProgram).
// caller and file as for HtmlHelpA.
void endProgramClosingHelp(QWidget* caller, const QString& file);

// Makes F1 in `window` (its own shortcut: the key works in any of its controls) open the program's
// help at `page` of it ("training.html", "overview.html#buttons").
void offerHelpKey(QWidget* window, const QString& page);

// Shows a help file at its start page or at `topic` ("/page.html", "page.html#anchor"), over `caller`, the window
// asking for help, which gets the focus back when the viewer closes. file: a bare name ("KvHelp.chm") looked up along
// helpSearchDirs(), or a path. A help window already showing the file is brought forward instead. Returns our viewer
// window; nullptr when the file could not be shown (the user was told), and on Windows (the system's viewer).
QWidget* showTopic(QWidget* caller, const QString& file, const QString& topic = {});

// Closes every help window the program opened.
void closeAll();

// Where a bare help file name is looked for, in order: the current, the executable's and the installed data folder.
QStringList helpSearchDirs();

// The help file found for a name as showTopic is given it (bare name or path); empty when there is none.
QString findHelpFile(const QString& name);

namespace detail {
// Tells the user that a help file cannot be shown, through the message box seam (for the platform files).
void reportCannotOpen(const QString& name);
}  // namespace detail

}  // namespace help
