#include "settings/folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace dealcast::settings {
namespace {

namespace fs = std::filesystem;

constexpr char kProgramFolderName[] = "dealcast";

fs::path absoluteOrEmpty(const fs::path& path)
{
    if (path.empty())
        return {};
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    return (ec ? path : absolute).lexically_normal();
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string homeFolder()
{
    std::string home = environment("HOME");
    if (!home.empty())
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return {};
}

bool writableFolder(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder, ec))
            return false;
    }
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

Folders Folders::resolve(const fs::path& executablePath, const fs::path& homeOverride, const fs::path& machineOverride)
{
    Folders folders;
    if (!homeOverride.empty()) {
        folders.runFolder = absoluteOrEmpty(homeOverride);
    } else {
        folders.runFolder = absoluteOrEmpty(executablePath).parent_path();
        if (folders.runFolder.empty())
            folders.runFolder = absoluteOrEmpty(".");
    }

    fs::path machine = machineOverride;
    if (machine.empty())
        machine = environment(kMachineFolderVariable);
    folders.machineFolder = machine.empty() ? chooseMachineFolder(kSystemMachineFolder) : absoluteOrEmpty(machine);
    if (folders.machineFolder.empty())
        folders.machineFolder = folders.runFolder / "machine";
    return folders;
}

fs::path Folders::chooseMachineFolder(const fs::path& systemFolder)
{
    return writableFolder(systemFolder) ? systemFolder : userMachineFolder();
}

fs::path Folders::userMachineFolder()
{
    // Relative values are to be ignored: they would depend on the folder the program was started from.
    const fs::path xdg = environment("XDG_DATA_HOME");
    if (xdg.is_absolute())
        return xdg / kProgramFolderName;
    const std::string home = homeFolder();
    if (home.empty())
        return {};
    return fs::path(home) / ".local" / "share" / kProgramFolderName;
}

fs::path Folders::dataFolder() const
{
    return runFolder / "data";
}

fs::path Folders::settingsPath() const
{
    const fs::path data = dataFolder();
    std::error_code ec;
    if (!fs::is_directory(data, ec))
        fs::create_directories(data, ec);
    return data / "setsoft.ini";
}

fs::path Folders::schedulePath() const
{
    return dataFolder() / "config.ini";
}
fs::path Folders::authorizationPath() const
{
    return machineFolder / "config.ini";
}
fs::path Folders::wechatGroupsPath() const
{
    return runFolder / "WXGroup.txt";
}
fs::path Folders::goodsListPath() const
{
    return runFolder / "ListGoods.txt";
}
fs::path Folders::itemIdPath() const
{
    return runFolder / "itemid.txt";
}
fs::path Folders::logFolder() const
{
    return runFolder / "log";
}
fs::path Folders::qqGroupFolder() const
{
    return runFolder / "QQGroup";
}
fs::path Folders::robotProgramPath() const
{
    return runFolder / "KUQ" / "CQA.exe";
}
fs::path Folders::updaterPath() const
{
    return runFolder / "updata.exe";
}
fs::path Folders::removalScriptPath() const
{
    return runFolder / "tem.sh";
}
fs::path Folders::pluginPath() const
{
    return runFolder / "KUQ" / "app" / "com.hlan.cn.cpk";
}

std::vector<FolderProblem> Folders::createWorkingFolders() const
{
    std::vector<FolderProblem> problems;
    for (const fs::path& folder : {dataFolder(), machineFolder, logFolder(), qqGroupFolder()}) {
        std::error_code ec;
        if (fs::is_directory(folder, ec))
            continue;
        fs::create_directories(folder, ec);
        if (!ec && !fs::is_directory(folder, ec))
            ec = std::make_error_code(std::errc::not_a_directory);
        if (ec)
            problems.push_back({folder, ec});
    }
    return problems;
}

}  // namespace dealcast::settings
