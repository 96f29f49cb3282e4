// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace platform {

class Form;

// How the two windows reach each other without knowing each other's class: the program wires these once
// at start (src/app/Program.cpp), and every hand-over keeps the order of its steps.
struct Handover {
    std::function<Form&()> trainingWindow;
    std::function<Form&()> settingsWindow;
};

Handover& handover();

}  // namespace platform
