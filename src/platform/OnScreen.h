// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace platform {

// Places a top-level window about to be shown: centred over `over` when that is shown (else on the screen),
// and kept inside the available area of the screen (without panels and docks), frame and title bar
// included, so that its title bar and buttons can be reached. A resizable window larger than the area is
// made smaller. A fixed-size window that cannot fit (a large scale factor on a small screen) gets the
// whole area, keeps its title bar on the area, and shows its controls in a scrolling pane that follows
// the keyboard focus (see setLeadControls), and is fitted again to the frame the window manager gives it
// once it is shown.
void placeOnScreen(QWidget* window, const QWidget* over = nullptr);

// The controls a fixed-size window is about (the training window's item and count). Where the window shows
// its controls in a scrolling pane, the pane keeps the top of them in view as it scrolls to the focused
// control, as long as some of that control still shows; a control it would hide entirely comes whole into
// view. Call before placeOnScreen.
void setLeadControls(const QList<QWidget*>& controls);

// A control that stays in view by itself where the window shows its controls in a scrolling pane: it keeps
// its place from the window's top right corner, over the pane (the training window's 中断, the way out of
// the pass). Call before placeOnScreen.
void pinToCorner(QWidget* control);

// Shows a window of the program's own on top, restored if it was minimised, and asks for the focus (which
// the desktop may refuse): the user asked for it, so a window that waited for the user to turn to it
// (KeyGuard.h) takes keys again. `activationToken` is what the desktop handed over with the user's request
// (a launcher's, a notification's; empty if nothing): on Wayland the window comes to the front with the
// keyboard only with one (xdg-activation); without one it is mapped anew, which GNOME Shell puts in front.
void bringToFront(QWidget* window, const QString& activationToken = QString());

}  // namespace platform
