// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include "platform/Guard.h"

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    Program::setUp(app);
    const int exitCode = Program::start() ? app.exec() : 1;
    Program::tearDown();
    return exitCode;
}
