// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "platform/AppSetup.h"
#include "platform/Guard.h"
#include "platform/Handover.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QApplication>

namespace Program {

void wireWindows()
{
    platform::handover().trainingWindow = []() -> platform::Form& { return frmMain::instance(); };
    platform::handover().settingsWindow = []() -> platform::Form& { return frmSettei::instance(); };
}

void setUp(QApplication& app)
{
    platform::setUpApplication(app);
    wireWindows();
}

bool start()
{
    // The training window is the startup window; with no items it hands over to the settings window.
    platform::runGuarded([] { frmMain::instance().Load(); });
    return !QmrM::gProgramEnding;
}

void tearDown()
{
    frmMain::destroyInstance();
    frmSettei::destroyInstance();
}

}  // namespace Program
