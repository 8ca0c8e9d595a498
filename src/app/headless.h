#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace dealcast::platform {
class Clipboard;
class Clock;
class UiLoop;
class WindowHost;
}  // namespace dealcast::platform

namespace dealcast::app {

class Application;

// The options every front-end accepts: `[--headless] [--home DIR] [--hosts FILE] [--script FILE]`.
struct CommandLine {
    bool headless = false;
    std::filesystem::path home;
    std::filesystem::path hosts;
    std::filesystem::path script;
    std::vector<std::string> errors;  // unknown options, missing values
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The running program's own file.
std::filesystem::path currentProgramPath(const char* argv0);

// Runs the program without a person: the start-up order, then the scenario if one is given (else the loop
// until the program is closed). Run-log lines go to `out` as they are written; notices and questions are
// printed as "[caption] text" and answered from the scenario. `attach` runs once start-up is done (a desktop
// front-end builds its widgets there); what it returns is kept until the program ends and released before
// the program's own objects. Returns the exit code: 0, or 1 when a scenario check failed, 2 for a bad command
// line or an unreadable script.
// `windows` and `clipboard` are the desktop's when a desktop front-end runs headless (its secondary windows are
// built but never shown); null for the core-only runner.
using HeadlessAttach = std::function<std::shared_ptr<void>(Application&)>;
struct HeadlessDesktop {
    platform::WindowHost* windows = nullptr;
    platform::Clipboard* clipboard = nullptr;
};
int runHeadless(const CommandLine& commandLine, const std::filesystem::path& programPath, platform::UiLoop& loop,
                const platform::Clock& clock, std::ostream& out, const HeadlessAttach& attach = {},
                const HeadlessDesktop& desktop = {});

}  // namespace dealcast::app
