// Where the desktop tool keeps its settings: beside the program when that folder takes files, so that a
// copy unpacked anywhere keeps its settings with it; otherwise in the user's configuration folder.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings_file.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

TEST(SettingsPath, BesideTheProgramWhenItsFolderTakesFilesElseTheConfigFolder) {
    test::TempDir folder;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string config = folder.file("config/torv");
    const std::string program = folder.file("bin/torvloader");
    const std::string installed = folder.file("opt/torvloader");
    fs::create_directories(folder.file("bin"));
    fs::create_directories(folder.file("opt"));
    fs::permissions(folder.file("bin"), fs::perms::all);
    fs::permissions(folder.file("opt"), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                            fs::perms::others_read | fs::perms::others_exec);
    EXPECT_TRUE(test::AsOrdinaryUser([&] {
        return SettingsPathFor(program, config) == program + ".ini" &&
               SettingsPathFor(installed, config) == config + "/torvloader.ini";
    }));
    ASSERT_TRUE(WriteSettingsFile(config + "/torvloader.ini", LoaderSettings{}));  // its folders are made
    EXPECT_EQ(test::ReadFileBytes(config + "/torvloader.ini"), "0\r\n4\r\n0\r\n\r\n\r\n\r\n\r\n");
}

}  // namespace
}  // namespace torv
