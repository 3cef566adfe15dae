// Writing a file whole or not at all: what stays on disk after a commit, after an abandoned write,
// and for the names that are links, read-only files, folders or FIFOs.

#include "files/atomic_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(AtomicFile, CommitReplacesAndAnAbandonedWriteLeavesNothing) {
    test::TempDir folder;
    const std::string path = folder.file("a.torv");
    EXPECT_TRUE(WriteWhole(path, "abandoned", false));
    EXPECT_TRUE(ListFolder(folder.path()).empty());
    WriteFileBytes(path, "old\r\n");
    EXPECT_TRUE(WriteWhole(path, "abandoned", false));
    EXPECT_EQ(ReadFileBytes(path), "old\r\n");
    EXPECT_TRUE(WriteWhole(path, "new", true));
    EXPECT_EQ(ReadFileBytes(path), "new\r\n");
    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"a.torv"});
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

}  // namespace
}  // namespace torv
