// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

class Form;

// The item the training window presents: its name and the count asked for.
struct PresentedItem {
    QString name;
    QString count;
};

// How the windows, side by side above this layer, reach each other without knowing each other's class: the wiring
// (src/app/Program.cpp) defines these, and every hand-over keeps the order of its steps.
Form& trainingWindow();
Form& settingsWindow();
// What the training window presents now (empty while it is not loaded).
PresentedItem presentedItem();
// Whether the training window is loaded with its pass as it came: no count entered or typed yet.
bool passUntouched();

}  // namespace platform
