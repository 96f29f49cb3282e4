// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "platform/AppSetup.h"
#include "platform/Guard.h"
#include "platform/SingleInstance.h"
#include "shared/QmrM.h"

int main(int argc, char* argv[])
{
    platform::SingleInstance::keepLaunchToken();
    // Read while the toolkit starts: the font configuration is most of the first window's wait.
    std::thread fonts = platform::readFontConfiguration();
    platform::Application app(argc, argv);
    Program::setUp(app);
    if (fonts.joinable())
        fonts.join();
    const int exitCode = Program::start() ? app.exec() : (QmrM::gProgramEnding ? 1 : 0);
    Program::tearDown();
    return exitCode;
}
