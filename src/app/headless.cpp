#include "app/headless.h"

#include "app/app_controls.h"
#include "app/application.h"
#include "app/run_log_feed.h"
#include "app/scenario.h"
#include "app/scenario_dialogs.h"
#include "app/scenario_output.h"
#include "platform/edit_box.h"
#include "platform/processes.h"
#include "platform/ui_loop.h"
#include "settings/text_file.h"

#include <algorithm>
#include <memory>
#include <ostream>

namespace dealcast::app {

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::filesystem::path& target) {
            if (i + 1 >= argc)
                result.errors.push_back(arg + " needs a value");
            else
                target = argv[++i];
        };
        if (arg == "--headless")
            result.headless = true;
        else if (arg == "--home")
            value(result.home);
        else if (arg == "--hosts")
            value(result.hosts);
        else if (arg == "--script")
            value(result.script);
        else
            result.errors.push_back("unknown option " + arg);
    }
    return result;
}

std::filesystem::path currentProgramPath(const char* argv0)
{
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self;
    return std::filesystem::absolute(argv0 ? argv0 : "dealcast", ec);
}

int runHeadless(const CommandLine& commandLine, const std::filesystem::path& programPath, platform::UiLoop& loop,
                const platform::Clock& clock, std::ostream& out, const HeadlessAttach& attach,
                const HeadlessDesktop& desktop)
{
    if (!commandLine.errors.empty()) {
        for (const std::string& error : commandLine.errors)
            out << error << '\n';
        out << "usage: [--headless] [--home DIR] [--hosts FILE] [--script FILE]\n";
        return 2;
    }
    std::string script;
    if (!commandLine.script.empty()) {
        const auto text = settings::readFileBytes(commandLine.script);
        if (!text) {
            out << "cannot read the scenario " << commandLine.script.string() << '\n';
            return 2;
        }
        script = *text;
    }

    const settings::Folders folders = settings::Folders::resolve(programPath, commandLine.home);
    std::vector<std::string> problems;
    const auto hostsFile = commandLine.hosts.empty() ? folders.runFolder / "hosts.ini" : commandLine.hosts;
    web::Hosts hosts = web::Hosts::load(hostsFile, &problems);

    ScenarioOutput output(out);
    ScenarioDialogs dialogs(output);
    platform::LocalProcesses processes;
    Application app(Environment{clock, loop, dialogs, processes, folders, std::move(hosts), programPath, true,
                                desktop.windows, desktop.clipboard});

    std::unique_ptr<RunLogFeed> echo;
    app.mainWindowCreated = [&](MainWindow& window) {
        auto* box = window.model().find<platform::EditBox>(controls::kRunLog);
        if (box)
            echo = std::make_unique<RunLogFeed>(window.model(), *box, output);
    };
    if (!app.start())
        return 0;  // the updater has taken over
    for (const std::string& problem : problems)
        app.runLog().write(problem);
    const std::shared_ptr<void> frontEnd = attach ? attach(app) : nullptr;

    if (script.empty())
        return app.run();

    int scenarioCode = 0;
    loop.post([&] {
        auto& model = app.mainWindow().model();
        ScenarioContext context{{{"", &model}, {model.title(), &model}}, loop, output, dialogs};
        for (platform::WindowModel* window : app.secondaryWindows())
            context.windows.emplace(window->title(), window);
        ScenarioRunner runner(std::move(context));
        scenarioCode = runner.runScript(script);
        loop.quit(scenarioCode);
    });
    const int loopCode = app.run();
    return std::max(scenarioCode, loopCode);
}

}  // namespace dealcast::app
