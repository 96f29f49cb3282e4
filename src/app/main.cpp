#include "platform/AppSetup.h"
#include "platform/Guard.h"
#include "shared/QmrM.h"
#include "settings/frmSettei.h"
#include "training/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    platform::setUpApplication(app);
    // The training window is the startup window; with no items it hands over to the settings window.
    platform::runGuarded([] { frmMain::instance().Load(); });
    const int exitCode = QmrM::gProgramEnding ? 1 : app.exec();
    frmMain::destroyInstance();
    frmSettei::destroyInstance();
    return exitCode;
}
