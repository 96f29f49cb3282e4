// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace platform {

class Form;

// The item the training window presents: its name and the count asked for, as the window shows them.
struct PresentedItem {
    QString name;
    QString count;
};

// How the two windows reach each other without knowing each other's class: the program wires these once
// at start (src/app/Program.cpp), and every hand-over keeps the order of its steps.
struct Handover {
    std::function<Form&()> trainingWindow;
    std::function<Form&()> settingsWindow;
    // What the training window presents now (empty while it is not loaded).
    std::function<PresentedItem()> presentedItem;
    // Whether the training window is loaded with its pass as it came: no count entered or typed yet.
    std::function<bool()> passUntouched;
    // Sends the training window back to the task bar to wait the given seconds, as the settings window's
    // start does; its pass comes when the wait is over. Returns once it is.
    std::function<void(double seconds)> waitForPass;
};

Handover& handover();

}  // namespace platform
