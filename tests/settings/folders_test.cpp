#include "settings/folders.h"
#include "support/fixtures.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace dealcast::settings {
namespace {

namespace fs = std::filesystem;

TEST(Folders, RunFolderIsTheProgramsUnlessTheHomeOverrideNamesAnother)
{
    test::TempDir dir;
    const fs::path machine = dir.path() / "machine";

    const Folders beside = Folders::resolve(dir.path() / "bin" / "dealcast", {}, machine);
    EXPECT_EQ(beside.runFolder, dir.path() / "bin");
    EXPECT_EQ(beside.machineFolder, machine);
    EXPECT_EQ(beside.settingsPath(), dir.path() / "bin" / "data" / "setsoft.ini");
    EXPECT_TRUE(fs::is_directory(dir.path() / "bin" / "data"));  // made so a save finds its folder
    EXPECT_EQ(beside.authorizationPath(), machine / "config.ini");
    EXPECT_NE(beside.authorizationPath(), beside.schedulePath());

    EXPECT_EQ(Folders::resolve(dir.path() / "bin" / "dealcast", dir.path() / "home", machine).runFolder,
              dir.path() / "home");

    ::setenv(Folders::kMachineFolderVariable, (dir.path() / "from-env").c_str(), 1);
    EXPECT_EQ(Folders::resolve(dir.path() / "dealcast").machineFolder, dir.path() / "from-env");
    EXPECT_EQ(Folders::resolve(dir.path() / "dealcast", {}, machine).machineFolder, machine);
    ::unsetenv(Folders::kMachineFolderVariable);
}

TEST(Folders, MachineFolderFallsBackToTheUsersOwnWhenTheSystemOneCannotBeMade)
{
    test::TempDir dir;
    const fs::path system = dir.path() / "lib" / "dealcast";
    EXPECT_EQ(Folders::chooseMachineFolder(system), system);
    EXPECT_TRUE(fs::is_directory(system));

    std::ofstream(dir.path() / "blocked") << "a file where the folder would go";
    const fs::path unusable = dir.path() / "blocked" / "dealcast";
    EXPECT_EQ(Folders::chooseMachineFolder(unusable), Folders::userMachineFolder());

    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("XDG_DATA_HOME", "/srv/xdg", 1);
    EXPECT_EQ(Folders::userMachineFolder(), fs::path("/srv/xdg/dealcast"));
    ::setenv("XDG_DATA_HOME", "relative/xdg", 1);  // not absolute: ignored
    EXPECT_EQ(Folders::userMachineFolder().filename(), "dealcast");
    EXPECT_TRUE(Folders::userMachineFolder().is_absolute());
    if (saved != nullptr)
        ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST(Folders, CreatesMissingWorkingFoldersAndListsThoseThatCannotBe)
{
    test::TempDir dir;
    const Folders folders{dir.path() / "run", dir.path() / "machine"};
    EXPECT_TRUE(folders.createWorkingFolders().empty());
    for (const fs::path& folder :
         {folders.dataFolder(), folders.machineFolder, folders.logFolder(), folders.qqGroupFolder()})
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
    EXPECT_TRUE(folders.createWorkingFolders().empty());  // all there already

    const Folders blocked{dir.path() / "run2", dir.path() / "machine-file"};
    std::ofstream(blocked.machineFolder) << "x";
    const auto problems = blocked.createWorkingFolders();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].folder, blocked.machineFolder);
    EXPECT_TRUE(problems[0].error);
    EXPECT_TRUE(fs::is_directory(blocked.qqGroupFolder()));  // the rest are still made
}

}  // namespace
}  // namespace dealcast::settings
