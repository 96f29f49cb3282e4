// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace platform {

class FormWindow;

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

namespace detail {
// Gives the window the keyboard as usual again: called by bringToFront.
void endKeyGuard(QWidget* window);
}  // namespace detail

}  // namespace platform
