// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace platform {

// Places a top-level window about to be shown: centred over `over` when that is shown (else on the screen),
// and kept inside the available area of the screen (without panels and docks), frame and title bar
// included, so that its title bar and buttons can be reached. A resizable window larger than the area is
// made smaller. A fixed-size window that cannot fit (a large scale factor on a small screen) gets the
// whole area, keeps its title bar on the area, and shows its controls in a scrolling pane that follows
// the keyboard focus: the default button comes into view, and the rest is a scroll away.
void placeOnScreen(QWidget* window, const QWidget* over = nullptr);

// Shows a window of the program's own on top, restored if it was minimised, and asks for the focus (which
// the desktop may refuse): the user asked for it, so a window that waited for the user to turn to it
// (KeyGuard.h) takes keys again.
void bringToFront(QWidget* window);

}  // namespace platform
