// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLineEdit;
class QRect;
class QString;

namespace platform {

// Where a line edit lays its text out: its contents inside the frame and text margins, less the two pixels it
// keeps free on either side of the text.
QRect lineEditTextRect(const QLineEdit* box);

// Sets a text box's text and shows its start, as a text box does when the program sets its text. Qt's own
// setText puts the cursor, and with it the view, at the end, so a long text shows only its last characters.
void setTextShowingStart(QLineEdit* box, const QString& text);

// Keeps the box's text whole in view: whenever the text changes, the box shows it in the font it has now
// (its described font) when it fits, and otherwise at the largest smaller size at which it does, down to
// `minimumPoints`. The box needs no new type; the font follows every change of the text.
void keepTextWhole(QLineEdit* box, double minimumPoints);

}  // namespace platform
