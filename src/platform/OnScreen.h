// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace platform {

class FormWindow;

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
// (showWithoutTakingKeys) takes keys again. `activationToken` is what the desktop handed over with the user's request
// (a launcher's, a notification's; empty if nothing): on Wayland the window comes to the front with the
// keyboard only with one (xdg-activation); without one it is mapped anew, which GNOME Shell puts in front.
void bringToFront(QWidget* window, const QString& activationToken = QString());

// How a window that comes by itself arrives.
enum class Arrival {
    Quiet,            // at a pause in the user's input
    AfterALongPause,  // at a long pause, where the desktop hands every new window the keyboard
    OverFullScreen,   // over a full-screen window (nothing holds the pass): it asks for the keyboard to come above
};

// A window that comes up by itself (a pass at the end of its wait) while the user works in another
// program must not take what the user types or clicks there. It is shown on top without asking for the
// keyboard (on X11 a fresh window with the user time 0 that the window manager does not focus, kept
// above the others). Should the desktop give it the keyboard all the same, it drops every key until the
// user has stopped typing for a moment with it in front, and drops clicks in its first second, when a
// click meant for what was there before lands on it. It takes keys and clicks as usual once the user
// turns to it: a click on it after that first second, or bringToFront (the notification, the tray, a
// second start). Where it has the keyboard after a long pause (the desktop gave it, or it asked for it to
// come over a full-screen window), the first key only turns to it, consumed.
void showWithoutTakingKeys(FormWindow* window, Arrival arrival = Arrival::Quiet);

// Enter and Space press a button of the window once per press: a held key's repeats never do, also where the
// system sends them as fresh presses.
void dropHeldKeyRepeats(QWidget* window);

// Keys pressed before the window came up (a doubled or held Enter that ended what was there before) are
// dropped: every key press in its first half second, and a held key's repeats until a key is pressed anew.
void dropEarlyKeys(QWidget* window);

}  // namespace platform
