// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "platform/Guard.h"
#include "shared/QmrM.h"

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    Program::setUp(app);
    const int exitCode = Program::start() ? app.exec() : (QmrM::gProgramEnding ? 1 : 0);
    Program::tearDown();
    return exitCode;
}
