// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QApplication;

// The program as a whole: what main does, in the core library so that tests start it the same way.
namespace Program {

// Links the windows to each other (the hand-over between them). Tests call it too.
void wireWindows();

// Shows the start wait on the task bar, in the tray and by desktop notifications. Tests call it too.
void showTheWait();

// Everything before the first window: application set-up, the links between the windows and the view
// of the start wait.
void setUp(QApplication& app);

// Becomes the one running copy of the current folder (or hands this start over to it and returns false),
// then removes the leftovers of interrupted rewrites of the data files.
bool claimDataFolder();

// Shows the running copy to a user who started the program again in its folder; `activationToken` is what
// the desktop's launcher gave that start (empty if nothing).
void anotherStartRequested(const QString& activationToken = QString());

// Claims the data folder and loads the startup window. Returns false when the program is not to run
// (another copy runs in the folder) or is already ending.
bool start();

// Drops the windows' objects and the view of the wait at the end of the run.
void tearDown();

}  // namespace Program
