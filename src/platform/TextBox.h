// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QFont;
class QLineEdit;
class QString;

namespace platform {

// Sets a text box's text and shows its start, as a text box does when the program sets its text. Qt's own
// setText puts the cursor, and with it the view, at the end, so a long text shows only its last characters.
void setTextShowingStart(QLineEdit* box, const QString& text);

// Keeps the box's text whole in view: whenever the text changes, the box shows it in the font it has now
// (its described font) when it fits, and otherwise at the largest smaller size at which it does, down to
// `minimumPoints`. The box needs no new type; the font follows every change of the text.
void keepTextWhole(QLineEdit* box, double minimumPoints);

// Whether the text shows whole in the box at the font, with room for the cursor after it.
bool textFitsBox(const QLineEdit* box, const QFont& font, const QString& text);

}  // namespace platform
