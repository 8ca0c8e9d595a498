#include "app/headless.h"
#include "platform/clock.h"
#include "platform/event_loop.h"

#include <iostream>

int main(int argc, char** argv)
{
    using namespace dealcast;
    const app::CommandLine commandLine = app::parseCommandLine(argc, argv);
    platform::EventLoop loop(platform::systemClock());
    return app::runHeadless(commandLine, app::currentProgramPath(argv[0]), loop, platform::systemClock(), std::cout);
}
