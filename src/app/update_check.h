#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace dealcast::platform {
class Dialogs;
class Processes;
}  // namespace dealcast::platform
namespace dealcast::settings {
struct Folders;
}
namespace dealcast::web {
class HttpClient;
class Hosts;
}  // namespace dealcast::web

namespace dealcast::app {

struct UpdateContext {
    const web::HttpClient& http;
    const web::Hosts& hosts;
    const settings::Folders& folders;
    platform::Dialogs& dialogs;
    platform::Processes& processes;
    std::filesystem::path programPath;  // the running program's file, removed once the updater runs
    // Lines for the run log; the update check runs before the log exists, so they are kept for it.
    std::function<void(const std::string&)> log;
};

enum class UpdateOutcome {
    Continue,  // start-up goes on
    Exit,      // the updater runs; the program ends with code 0
};

// Asks the update page for the current version and offers the updater when it differs.
UpdateOutcome checkForUpdate(const UpdateContext& context);

// The "按钮_更新插件" action: downloads the robot host's plug-in unless the robot host is running.
void updatePlugin(const UpdateContext& context);

// The script that waits a second, then removes the program file and itself.
std::string removalScript(const std::filesystem::path& program, const std::filesystem::path& script);

}  // namespace dealcast::app
