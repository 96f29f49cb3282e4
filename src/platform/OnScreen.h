// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace platform {

class FormWindow;

// Places a top-level window about to be shown: centred over `over` if shown (else on the screen), frame and
// title bar inside the screen's available area so they can be reached. A resizable window too large is made
// smaller; a fixed-size one (large scale on a small screen) gets the whole area, shows its controls in a pane
// scrolling to the focus (see setLeadControls), and is fitted again once the window manager's frame is known.
void placeOnScreen(QWidget* window, const QWidget* over = nullptr);

// The controls a fixed-size window is about (the training window's item and count): a scrolling pane keeps
// their top in view while some of the focused control still shows, else brings that control whole into view.
// Call before placeOnScreen.
void setLeadControls(const QList<QWidget*>& controls);

// A control kept at its place from the window's top right corner, over a scrolling pane (the training
// window's 中断, the way out of the pass). Call before placeOnScreen.
void pinToCorner(QWidget* control);

// Shows a window on top, restored, and asks for the focus: the user asked, so a window shown by
// showWithoutTakingKeys takes keys again. `activationToken` comes with the user's request (a launcher's, a
// notification's): Wayland raises a window with the keyboard only with one; without, it is mapped anew, which
// the desktop puts in front.
void bringToFront(QWidget* window, const QString& activationToken = QString());

// How a window that comes by itself arrives.
enum class Arrival {
    Quiet,            // at a pause in the user's input
    AfterALongPause,  // at a long pause, where the desktop hands every new window the keyboard
    OverFullScreen,   // over a full-screen window (nothing holds the pass): it asks for the keyboard to come above
};

// A window that comes by itself (a pass at the end of its wait) must not take what the user types or clicks
// in another program. It is shown on top without asking for the keyboard (on X11 with the user time 0). Given
// the keyboard anyway, it drops keys until the user pauses with it in front, and clicks in its first second
// (meant for what was there before). It takes input as usual once the user turns to it: a later click, or
// bringToFront (notification, tray, second start). Holding the keyboard after a long pause or over a full
// screen, its first key only turns to it.
void showWithoutTakingKeys(FormWindow* window, Arrival arrival = Arrival::Quiet);

// Enter and Space press a button once per press: a held key's repeats never do, even sent as fresh presses.
void dropHeldKeyRepeats(QWidget* window);

// Drops keys pressed before the window came (a doubled or held Enter that ended what was there before): every
// press in its first half second, and a held key's repeats until a key is pressed anew.
void dropEarlyKeys(QWidget* window);

}  // namespace platform
