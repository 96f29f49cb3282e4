// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QFont;
class QLabel;
class QRect;
class QRegion;
class QString;
class QWidget;

namespace platform {
class FitLabel;
}

// Whether the screen shows the widget as it paints itself now, once the window painted what it had pending: the
// pixels of its window where it stands, against a fresh drawing of it. False when an earlier drawing was left
// standing (a part never repainted).
bool shownAsPainted(QWidget* widget);

// Judging what a label draws from its pixels.

// Whether the label draws its lines whole: their ink covers as wide and as tall a block as the same lines drawn
// with room all round (within the pixel or two of antialiasing), so nothing is cut at any side.
bool drawnWhole(platform::FitLabel* label);

// The rectangle the label's text covers as the label paints it, in its coordinates.
QRect inkOf(platform::FitLabel* label);

// The pixels of its text that the label paints outside its own rectangle, where they are lost, in the label's
// coordinates; empty when nothing is cut off, not even a pixel of antialiasing.
QRegion inkCutOff(platform::FitLabel* label);

// How readable the label's text is where it stands: its pixels, drawn over what lies behind them in the window,
// that stand out from that background by 3 : 1 or more, counted against the core of the same lines drawn black
// on white (the pixels they cover at least 80 %). 1 or more: the text's core, or an outline as large, stands out
// by 3 : 1; near 0: the text cannot be read.
double readableInkShare(platform::FitLabel* label);

// Whether a line of text is drawn whole in the given rectangle of a widget: its ink there covers as wide and as
// tall a block as the text drawn alone in the font with room all round.
bool drawnWhole(QWidget* widget, const QRect& rect, const QString& text, const QFont& font);
