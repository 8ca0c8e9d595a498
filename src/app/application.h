#pragma once

#include "app/main_window.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "settings/folders.h"
#include "web/hosts.h"
#include "web/http_client.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dealcast::platform {
class Clipboard;
class Clock;
class Dialogs;
class Processes;
class TimerDriver;
class UiLoop;
class WindowHost;
class Worker;
}  // namespace dealcast::platform

namespace dealcast::app {

class Persistence;

// What the program is given by the front-end that runs it: the desktop or a headless runner.
struct Environment {
    const platform::Clock& clock;
    platform::UiLoop& loop;
    platform::Dialogs& dialogs;
    platform::Processes& processes;
    settings::Folders folders;
    web::Hosts hosts;
    std::filesystem::path programPath;
    // Off in tests, which share the process with others.
    bool pinToFirstProcessor = true;
    // The desktop's secondary windows with their browsers, and its clipboard; without them the program runs
    // with windows that are only remembered as shown, no browser and no clipboard.
    platform::WindowHost* windows = nullptr;
    platform::Clipboard* clipboard = nullptr;
};

// The program: its start-up order, the main window, and the close question. Features of later subsystems
// attach to the hooks and the main window model.
class Application {
public:
    explicit Application(Environment environment);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the start-up order up to the event loop, on the UI thread. False when the update check handed over
    // to the updater: the caller then ends the program with code 0.
    bool start();
    // Runs the event loop until the program is closed; returns the exit code.
    int run();

    MainWindow& mainWindow() { return *m_main; }
    RunLog& runLog() { return *m_log; }
    StartupValues& values() { return m_values; }
    const StartupValues& values() const { return m_values; }
    const web::HttpClient& http() const { return m_http; }
    const Environment& environment() const { return m_env; }
    Persistence& persistence() { return *m_persistence; }

    // Waits for the start-up's background work (the short-link host fetch) to end.
    void joinBackgroundWork();

    // The close question of the close button and the window's close request; ends the loop when the user
    // chooses to leave.
    void requestClose();

    // Start-up hooks that later subsystems fill: opening the affiliate login window (its creation starts the
    // first login) and starting the follow-send link. Unset hooks do nothing.
    std::function<void()> openLoginWindow;
    std::function<void()> startFollowSend;
    // Runs once the main window model exists, before its first run-log line: a front-end attaches here.
    std::function<void(MainWindow&)> mainWindowCreated;
    // The desktop minimises the window; headless runs have nothing to minimise.
    std::function<void()> minimise;

private:
    void createMainWindow();
    void startShortLinkHostFetch();

    Environment m_env;
    web::HttpClient m_http;
    StartupValues m_values;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<RunLog> m_log;
    std::unique_ptr<Persistence> m_persistence;
    std::unique_ptr<platform::TimerDriver> m_timers;
    std::unique_ptr<platform::Worker> m_shortLinkFetch;
    std::vector<std::string> m_earlyLog;  // lines written before the run log exists
    bool m_closing = false;
};

}  // namespace dealcast::app
