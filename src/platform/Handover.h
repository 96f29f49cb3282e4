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
};

Handover& handover();

}  // namespace platform
