// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "chart/ProgressActions.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/Handover.h"
#include "platform/SingleInstance.h"
#include "settings/frmSettei.h"
#include "shared/DataFiles.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"
#include "training/frmMain.h"
#include "tray/WaitView.h"

#include <QApplication>
#include <QDir>

namespace Program {
namespace {

std::unique_ptr<platform::SingleInstance> gInstance;
std::unique_ptr<tray::WaitView> gWaitView;

}  // namespace

void anotherStartRequested()
{
    if (QmrM::StartWait* wait = QmrM::StartWaits::current()) {
        // The windows wait on the task bar; say when the pass comes instead of showing one early.
        if (!gWaitView)
            showTheWait();
        gWaitView->tellTimeLeft(*wait);
        return;
    }
    for (platform::Form* form : {&platform::handover().trainingWindow(), &platform::handover().settingsWindow()}) {
        if (form->isLoaded()) {
            form->bringForward();
            return;
        }
    }
}

bool claimDataFolder()
{
    gInstance = std::make_unique<platform::SingleInstance>(QDir::currentPath());
    switch (gInstance->claim()) {
    case platform::SingleInstance::Outcome::HandedOver:
        return false;
    case platform::SingleInstance::Outcome::OtherSilent:
        platform::MsgBox(QStringLiteral("このフォルダーでは Quillmora が既に動いています。"), platform::vbExclamation,
                         QStringLiteral("Quillmora"));
        return false;
    case platform::SingleInstance::Outcome::Running:
        break;
    }
    QObject::connect(gInstance.get(), &platform::SingleInstance::anotherStart,
                     [] { platform::runGuarded(anotherStartRequested); });
    // Only the one running copy may clear what interrupted rewrites of its files left behind.
    removeLeftoverTemporaryFiles({QmrM::kItemsFile, QmrM::kSettingsFile});
    return true;
}

void wireWindows()
{
    platform::handover().trainingWindow = []() -> platform::Form& { return frmMain::instance(); };
    platform::handover().settingsWindow = []() -> platform::Form& { return frmSettei::instance(); };
    // The progress chart and the CSV export are reached from the settings window's lists.
    QObject::connect(&frmSettei::instance(), &platform::Form::controlsCreated, &frmSettei::instance(),
                     [](QWidget* window) { chart::attachToSettingsWindow(window); });
    platform::handover().presentedItem = [] { return frmMain::instance().presentedItem(); };
}

void showTheWait()
{
    gWaitView = std::make_unique<tray::WaitView>();
}

void setUp(QApplication& app)
{
    platform::setUpApplication(app);
    wireWindows();
    showTheWait();
}

bool start()
{
    if (!claimDataFolder())
        return false;
    // The training window is the startup window; with no items it hands over to the settings window.
    platform::runGuarded([] { frmMain::instance().Load(); });
    return !QmrM::gProgramEnding;
}

void tearDown()
{
    gWaitView.reset();
    gInstance.reset();
    frmMain::destroyInstance();
    frmSettei::destroyInstance();
}

}  // namespace Program
