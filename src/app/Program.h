// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QApplication;

// The program as a whole: what main does, in the core library so that tests start it the same way.
namespace Program {

// The hand-over between the windows. Tests call it too.
void wireWindows();

// Shows the start wait on the task bar, in the tray and by desktop notifications. Tests call it too.
void showTheWait();

// Everything before the first window: application set-up, wireWindows() and showTheWait().
void setUp(QApplication& app);

// Becomes the one running copy of the current folder (or hands this start over to it and returns false),
// then removes the leftovers of interrupted rewrites of the data files.
bool claimDataFolder();

// Shows this copy to a user who started the program again in its folder; `activationToken` is from the desktop's
// launcher.
void anotherStartRequested(const QString& activationToken = QString());

// Claims the data folder and loads the startup window. False when another copy runs in the folder or the
// program is already ending.
bool start();

void tearDown();

}  // namespace Program
