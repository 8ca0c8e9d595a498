#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::platform {

// Other programs on the desktop: starting one, and asking whether one runs.
class Processes {
public:
    virtual ~Processes() = default;

    // Starts a program detached from this one (it outlives us); false when it could not be started.
    virtual bool start(const std::filesystem::path& program, const std::vector<std::string>& arguments = {}) = 0;
    // True when a process with that program name (its file name, as the process list shows it) runs.
    virtual bool isRunning(std::string_view programName) const = 0;
    // True when a top-level window with that class and title exists.
    virtual bool hasTopLevelWindow(std::string_view windowClass, std::string_view title) const = 0;
};

// This machine's processes: fork and exec for start, /proc for the process list. Top-level windows are
// looked up by the desktop layer that knows the display; without one there are none.
class LocalProcesses final : public Processes {
public:
    bool start(const std::filesystem::path& program, const std::vector<std::string>& arguments = {}) override;
    bool isRunning(std::string_view programName) const override;
    bool hasTopLevelWindow(std::string_view windowClass, std::string_view title) const override;
};

}  // namespace dealcast::platform
