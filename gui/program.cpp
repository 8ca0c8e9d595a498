#include "gui/program.h"

#include "app/app_controls.h"
#include "app/application.h"
#include "app/headless.h"
#include "gui/main_window_view.h"
#include "gui/qt_clipboard.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_ui_loop.h"
#include "gui/qt_window_host.h"
#include "gui/style.h"
#include "gui/web_browser.h"
#include "platform/clock.h"
#include "platform/edit_box.h"
#include "platform/processes.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace dealcast::gui {
namespace {

constexpr char kUsage[] =
    "usage: dealcast [--home DIR] [--hosts FILE] | dealcast --headless --script FILE [--home DIR] "
    "[--hosts FILE]";

// Milliseconds since this process started, from the kernel's record of its start (10 ms steps).
long msSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) {
            timespec boot{};
            clock_gettime(CLOCK_BOOTTIME, &boot);
            const double started = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
            return static_cast<long>((static_cast<double>(boot.tv_sec) + boot.tv_nsec / 1e9 - started) * 1000.0);
        }
    }
    return -1;
}

// The resident memory of this process in KiB, -1 when unknown.
long residentKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// With DEALCAST_REPORT_STARTUP set, tells on stderr when the main window first painted and how much memory
// the program holds, and again once the announcement page has loaded; "exit" ends the program after the last
// report (for measuring the start-up).
bool reportingStartup()
{
    return std::getenv("DEALCAST_REPORT_STARTUP") != nullptr;
}
bool exitAfterReport()
{
    return reportingStartup() && std::string_view(std::getenv("DEALCAST_REPORT_STARTUP")) == "exit";
}

// Runs `then` once, after the window's first paint: later start-up work must not delay it.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, std::function<void()> then)
        : m_then(std::move(then))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_then) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(m_then, {}));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_then;
};

std::optional<std::string> readScript(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

std::optional<ProgramOptions> parseProgramOptions(const std::vector<std::string>& arguments, std::string& error)
{
    ProgramOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (word == "--headless") {
            options.headless = true;
        } else if (word == "--home" || word == "--hosts" || word == "--script") {
            if (!hasValue || arguments[i + 1].empty()) {
                error = word + " needs a value";
                return std::nullopt;
            }
            const std::filesystem::path value = arguments[++i];
            (word == "--home" ? options.home : word == "--hosts" ? options.hosts : options.script) = value;
        } else {
            error = "unknown argument \"" + word + "\"";
            return std::nullopt;
        }
    }
    if (options.headless && options.script.empty()) {
        error = "--headless needs --script FILE";
        return std::nullopt;
    }
    if (!options.headless && !options.script.empty()) {
        error = "--script runs only with --headless";
        return std::nullopt;
    }
    return options;
}

int runProgram(int argc, char** argv)
{
    std::string error;
    const auto options = parseProgramOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "dealcast: " << error << "\n" << kUsage << "\n";
        return 2;
    }
    std::optional<std::string> script;
    if (options->headless) {
        script = readScript(options->script);
        if (!script) {
            std::cerr << "dealcast: cannot read the script " << options->script << "\n";
            return 2;
        }
        // Real widgets, built but never shown: no display needed.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // The hosts file is read before the QApplication: the browser engine takes its routing switches once.
    const std::filesystem::path programPath = app::currentProgramPath(argc > 0 ? argv[0] : nullptr);
    const settings::Folders folders = settings::Folders::resolve(programPath, options->home);
    std::vector<std::string> hostProblems;
    const web::Hosts hosts =
        web::Hosts::load(options->hosts.empty() ? folders.runFolder / "hosts.ini" : options->hosts, &hostProblems);
    std::vector<std::string> qtArguments(argv, argv + argc);
    for (std::string& engineSwitch : WebBrowser::routeToSandbox(hosts))
        qtArguments.push_back(std::move(engineSwitch));
    std::vector<char*> qtArgv;
    for (std::string& argument : qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = static_cast<int>(qtArguments.size());

    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qtApp(qtArgc, qtArgv.data());
    // The close question decides when the program ends, not the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    qtApp.setStyleSheet(styleSheet());

    const platform::Clock& clock = platform::systemClock();
    QtUiLoop loop(clock);
    platform::LocalProcesses processes;
    QtWindowHost windows;
    QtClipboard clipboard;

    if (options->headless) {
        // The same run as the core's headless program, on the real widgets: built, never shown.
        app::CommandLine commandLine;
        commandLine.headless = true;
        commandLine.home = options->home;
        commandLine.hosts = options->hosts;
        commandLine.script = options->script;
        return app::runHeadless(
            commandLine, programPath, loop, clock, std::cout,
            [](app::Application& application) {
                return std::static_pointer_cast<void>(std::make_shared<MainWindowView>(application.mainWindow()));
            },
            {&windows, &clipboard});
    }

    QtDialogs dialogs;
    app::Application application(
        {clock, loop, dialogs, processes, folders, hosts, programPath, true, &windows, &clipboard});
    if (!application.start())
        return 0;
    MainWindowView view(application.mainWindow());
    dialogs.setOwner(&view);
    windows.setOwner(&view);
    application.minimise = [&view] { view.showMinimized(); };
    for (const std::string& problem : hostProblems)
        application.runLog().write(problem);
    std::unique_ptr<WebBrowser> announcement;
    const bool announce = hosts.isSet(web::role::kVendorHost);
    AfterFirstPaint afterPaint(view, [&] {
        if (reportingStartup())
            std::fprintf(stderr, "first paint %ld ms after process start, resident %ld KiB\n", msSinceProcessStart(),
                         residentKib());
        if (!announce) {
            if (exitAfterReport())
                loop.quit(0);
            return;
        }
        // The announcement page loads after the window is on screen.
        announcement = std::make_unique<WebBrowser>();
        view.embedAnnouncement(announcement->view());
        QObject::connect(announcement->view(), &QWebEngineView::loadFinished, [&loop](bool ok) {
            if (reportingStartup())
                std::fprintf(stderr, "announcement %s %ld ms after process start, resident %ld KiB\n",
                             ok ? "loaded" : "failed", msSinceProcessStart(), residentKib());
            if (exitAfterReport())
                loop.quit(0);
        });
        announcement->navigate(hosts.url(web::role::kVendorHost, app::controls::kAnnouncementPath));
    });
    view.show();
    const int code = application.run();
    announcement.reset();
    return code;
}

}  // namespace dealcast::gui
