// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The HTML help function as the settings window calls it, typed: the command names what is
// wanted and the file is a name, never a pointer or encoded bytes. It hands over to the help
// windows of HelpWindows.h.
namespace help {

// The program's own help file, passed by bare name.
inline const QString kProgramHelpFile = QStringLiteral("KvHelp.chm");

// Commands, with the values of the HTML help interface.
enum class HelpCommand : int {
    DisplayTopic = 0,  // open the file at its start page
    CloseAll = 18,     // close every help window the program opened
};

// caller: the window asking for help. file: the help file, a bare name or a path (unused by
// CloseAll); for DisplayTopic it may name a page of the file after "::", as the HTML help
// interface does ("KvHelp.chm::/training.html"). Returns the help window for DisplayTopic as
// showTopic does, nullptr otherwise.
QWidget* HtmlHelpA(QWidget* caller, const QString& file, HelpCommand command);
// When the seams replace the help viewer (shared/Seams.h), every call goes there instead.

// Makes F1 in `window` (its own shortcut: the key works in any of its controls) open the program's
// help at `page` of it ("training.html", "overview.html#buttons").
void offerHelpKey(QWidget* window, const QString& page);
}  // namespace help
