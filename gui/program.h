#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dealcast::gui {

// The command line of the desktop program:
//   dealcast [--home DIR] [--hosts FILE]
//   dealcast --headless --script FILE [--home DIR] [--hosts FILE]
struct ProgramOptions {
    std::filesystem::path home;   // empty: the program's own folder
    std::filesystem::path hosts;  // empty: hosts.ini in the run folder
    bool headless = false;
    std::filesystem::path script;
};

// Empty, with the reason in `error`, for a command line it does not understand.
std::optional<ProgramOptions> parseProgramOptions(const std::vector<std::string>& arguments, std::string& error);

// The whole program; returns its exit code. The QApplication must not exist yet.
int runProgram(int argc, char** argv);

}  // namespace dealcast::gui
