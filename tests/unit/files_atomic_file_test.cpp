// Writing a file whole or not at all: what stays on disk for the names that are links, read-only files,
// folders or FIFOs, and in folders that take no new files (also for the settings file).

#include "files/atomic_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings_file.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

namespace fs = std::filesystem;
using test::ListFolder;
using test::ReadFileBytes;
using test::WriteFileBytes;

bool WriteWhole(const std::string& path, std::string_view text, bool commit) {
    AtomicFileWriter writer(path);
    if (!writer.isOpen()) {
        return false;
    }
    writer.writeLine(text);
    return !commit || writer.commit();
}

// The link stays a link and its target gets the content, with the target's permission bits.
TEST(AtomicFile, FollowsSymbolicLinksAndKeepsPermissions) {
    test::TempDir folder;
    fs::create_directory(folder.file("real"));
    const std::string target = folder.file("real/bank.torv");
    WriteFileBytes(target, "old\r\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    fs::create_symlink("real/bank.torv", folder.file("link.torv"));
    EXPECT_TRUE(WriteWhole(folder.file("link.torv"), "new", true));
    EXPECT_TRUE(fs::is_symlink(folder.file("link.torv")));
    EXPECT_EQ(ReadFileBytes(target), "new\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real/fresh.torv", folder.file("dangling.torv"));  // a link to a file to come
    EXPECT_TRUE(WriteWhole(folder.file("dangling.torv"), "made", true));
    EXPECT_EQ(ReadFileBytes(folder.file("real/fresh.torv")), "made\r\n");
}

TEST(AtomicFile, RefusesFoldersFifosAndMissingFolders) {
    test::TempDir folder;
    fs::create_directory(folder.file("dir.torv"));
    ASSERT_EQ(mkfifo(folder.file("fifo.torv").c_str(), 0600), 0);
    for (const char* name : {"dir.torv", "fifo.torv", "no/such/folder.torv"}) {
        EXPECT_FALSE(AtomicFileWriter(folder.file(name)).isOpen()) << name;
    }
    EXPECT_EQ(ListFolder(folder.path()), (std::vector<std::string>{"dir.torv", "fifo.torv"}));
}

// A read-only file is refused and kept; in a folder that takes no new files, an existing file is
// written in place, at commit only, and a new one cannot be made.
TEST(AtomicFile, ReadOnlyFilesAndLockedFolders) {
    test::TempDir folder;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string readOnly = folder.file("ro.torv");
    WriteFileBytes(readOnly, "kept\r\n");
    fs::create_directory(folder.file("locked"));
    const std::string inLocked = folder.file("locked/bank.torv");
    WriteFileBytes(inLocked, "old\r\n");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(inLocked, fs::perms::all);
    fs::permissions(
        folder.file("locked"),
        fs::perms::all & ~(fs::perms::group_write | fs::perms::others_write | fs::perms::owner_write));
    EXPECT_TRUE(test::AsOrdinaryUser([&] {
        return !WriteWhole(readOnly, "new", true) && ReadFileBytes(readOnly) == "kept\r\n" &&
               WriteWhole(inLocked, "abandoned", false) && ReadFileBytes(inLocked) == "old\r\n" &&
               WriteWhole(inLocked, "new", true) && ReadFileBytes(inLocked) == "new\r\n" &&
               !WriteWhole(folder.file("locked/fresh.torv"), "x", true);
    }));
    fs::permissions(folder.file("locked"), fs::perms::all);
    EXPECT_EQ(ListFolder(folder.file("locked")), std::vector<std::string>{"bank.torv"});
}

// Where the desktop tool keeps its settings: beside the program when that folder takes files, so that a
// copy unpacked anywhere keeps its settings with it; otherwise in the user's configuration folder.
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
