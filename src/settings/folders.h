#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace dealcast::settings {

// A working folder that could not be created at start. The program runs on without it; a feature that needs
// the folder then finds its file missing or unwritable and reports that itself.
struct FolderProblem {
    std::filesystem::path folder;
    std::error_code error;
};

// Where every file of the program lives.
//
// The run folder holds the settings, the lists and the robot host beside the program, so a copy of the
// program folder carries its whole state with it (a portable install). It is the folder of the executable,
// unless the command line names another one with "--home DIR".
//
// The machine folder holds what all copies of the program on one machine share (the open-platform
// authorization). It is the first of:
//   1. an explicit override (the caller's argument, else the environment variable DEALCAST_MACHINE_DIR);
//   2. /var/lib/dealcast, when it exists or can be created, and can be written by this user;
//   3. $XDG_DATA_HOME/dealcast, or ~/.local/share/dealcast when XDG_DATA_HOME is unset or not absolute;
//   4. <run>/machine, for a user without any home folder.
// A user without rights on /var/lib therefore keeps a machine folder of their own. The machine folder is
// never a shared temporary folder: it holds the access token.
struct Folders {
    static constexpr char kMachineFolderVariable[] = "DEALCAST_MACHINE_DIR";
    static constexpr char kSystemMachineFolder[] = "/var/lib/dealcast";

    std::filesystem::path runFolder;
    std::filesystem::path machineFolder;

    // Empty overrides mean none. Relative paths are taken from the current folder.
    static Folders resolve(const std::filesystem::path& executablePath, const std::filesystem::path& homeOverride = {},
                           const std::filesystem::path& machineOverride = {});

    // `systemFolder` when it is a folder this user may write (creating it, with its parents, if missing);
    // otherwise userMachineFolder().
    static std::filesystem::path chooseMachineFolder(const std::filesystem::path& systemFolder);
    // $XDG_DATA_HOME/dealcast, else $HOME/.local/share/dealcast (the password database's home when HOME is
    // unset); empty when neither is known.
    static std::filesystem::path userMachineFolder();

    std::filesystem::path dataFolder() const;  // <run>/data
    // <run>/data/setsoft.ini. Creates <run>/data, with any missing parents, when it is not a folder, so a
    // save finds its folder; a failure shows when the file is written.
    std::filesystem::path settingsPath() const;
    std::filesystem::path schedulePath() const;       // <run>/data/config.ini
    std::filesystem::path authorizationPath() const;  // <machine>/config.ini
    std::filesystem::path wechatGroupsPath() const;   // <run>/WXGroup.txt
    std::filesystem::path goodsListPath() const;      // <run>/ListGoods.txt
    std::filesystem::path itemIdPath() const;         // <run>/itemid.txt
    std::filesystem::path logFolder() const;          // <run>/log
    std::filesystem::path qqGroupFolder() const;      // <run>/QQGroup: the QQ group shortcuts
    std::filesystem::path robotProgramPath() const;   // <run>/KUQ/CQA.exe
    std::filesystem::path updaterPath() const;        // <run>/updata.exe
    std::filesystem::path removalScriptPath() const;  // <run>/tem.sh: removes the program once it has ended
    std::filesystem::path pluginPath() const;         // <run>/KUQ/app/com.hlan.cn.cpk

    // Creates the data, machine, log and QQGroup folders, each only when missing. A folder that cannot be
    // created (no rights, or a file of that name in the way) is left out and listed; the others are still
    // made.
    std::vector<FolderProblem> createWorkingFolders() const;
};

}  // namespace dealcast::settings
