// Writing a file whole or not at all: what stays on disk for the names that are links, read-only files,
// folders or FIFOs, in folders that take no new files (also for the settings file and the dictionary
// appender), on a full file system, after a killed write, and for a pair of files that replace their
// targets together.

#include "files/atomic_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "app/settings_file.h"
#include "dictionary/dictionary_append.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/small_file_system.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

namespace fs = std::filesystem;
using test::ListFolder;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr std::size_t kSmallDiskBytes = 64 * 1024;
constexpr int kSmallDiskInodes = 64;
const std::string kNewContent(2 * 4096, 'x');  // more than the page a full disk might have left

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

// A read-only file is refused and kept, also by the appender of the character reads, which says why
// before the first exchange. In a folder that takes no new files, an existing file is written in place,
// at commit only, and a new one cannot be made; the desktop tool's settings of a program installed there
// go to the user's configuration folder, not beside the program as in a folder that takes files.
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
    const std::string config = folder.file("config/torv");
    EXPECT_TRUE(test::AsOrdinaryUser([&] {
        DictionaryAppender appender(readOnly);
        return !WriteWhole(readOnly, "new", true) && ReadFileBytes(readOnly) == "kept\r\n" &&
               !appender.canAppend() && appender.failureText() == readOnly + " is read-only." &&
               DictionaryAppender(folder.file("new.dic4")).canAppend() &&
               WriteWhole(inLocked, "abandoned", false) && ReadFileBytes(inLocked) == "old\r\n" &&
               WriteWhole(inLocked, "new", true) && ReadFileBytes(inLocked) == "new\r\n" &&
               !WriteWhole(folder.file("locked/fresh.torv"), "x", true) &&
               SettingsPathFor(folder.file("torvloader"), config) == folder.file("torvloader.ini") &&
               SettingsPathFor(folder.file("locked/torvloader"), config) == config + "/torvloader.ini";
    }));
    fs::permissions(folder.file("locked"), fs::perms::all);
    EXPECT_EQ(ListFolder(folder.file("locked")), std::vector<std::string>{"bank.torv"});
    ASSERT_TRUE(WriteSettingsFile(config + "/torvloader.ini", LoaderSettings{}));  // its folders are made
    EXPECT_EQ(ReadFileBytes(config + "/torvloader.ini"), "0\r\n4\r\n0\r\n\r\n\r\n\r\n\r\n");
}

// A folder that is gone is named; a file that lacks its last line end gets one before the first block.
TEST(DictionaryAppender, NamesAMissingFolderAndStartsBlocksOnALineOfTheirOwn) {
    test::TempDir folder;
    DictionaryAppender missingFolder(folder.file("gone/x.dic4"));
    EXPECT_FALSE(missingFolder.canAppend());
    EXPECT_EQ(missingFolder.failureText(), "The folder " + folder.file("gone") + " does not exist.");
    WriteFileBytes(folder.file("hand.dic4"), "A\r\n      *");
    DictionaryAppender appender(folder.file("hand.dic4"));
    ASSERT_TRUE(appender.canAppend());
    ASSERT_TRUE(appender.append("B\r\n"));
    EXPECT_EQ(ReadFileBytes(folder.file("hand.dic4")), "A\r\n      *\r\nB\r\n");
}

// A full disk or no free inode fails the write with the system's reason, for a short name and one of
// 250 characters (a temporary name made longer than its target's would pass the 255 a name may have):
// the old file keeps its bytes, nothing new is left beside it. With room, both names are replaced.
TEST(AtomicFile, AFullFileSystemKeepsTheOldFileAndLeavesNoTemporaryFile) {
    enum class Disk { kRoom, kNoSpace, kNoInode };
    for (const Disk disk : {Disk::kRoom, Disk::kNoSpace, Disk::kNoInode}) {
        for (const std::size_t length : {9, 250}) {
            test::SmallFileSystem small(kSmallDiskBytes, kSmallDiskInodes);
            if (!small.mounted()) {
                GTEST_SKIP() << "a small file system is mounted only by root";
            }
            const std::string target = small.file(std::string(length - 5, 'n') + ".torv");
            WriteFileBytes(target, "old\r\n");
            if (disk == Disk::kNoSpace) {
                small.fill();
            } else if (disk == Disk::kNoInode) {
                small.useUpInodes();
            }
            const auto before = ListFolder(small.path());
            AtomicFileWriter writer(target);
            writer.write(kNewContent);
            const bool room = disk == Disk::kRoom;
            EXPECT_EQ(writer.commit(), room) << length;
            EXPECT_EQ(writer.failureText(), room ? "" : target + ": No space left on device.");
            EXPECT_EQ(ReadFileBytes(target), room ? kNewContent : "old\r\n") << length;
            EXPECT_EQ(ListFolder(small.path()), before) << length;
        }
    }
}

// A write killed before its commit leaves the old file as it was and nothing beside it.
TEST(AtomicFile, AKilledWriteLeavesNoTemporaryFile) {
    test::TempDir folder;
    const std::string target = folder.file("bank.torv");
    WriteFileBytes(target, "old\r\n");
    const pid_t child = fork();
    if (child == 0) {
        AtomicFileWriter writer(target);
        writer.write(kNewContent);
        raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadFileBytes(target), "old\r\n");
    EXPECT_EQ(ListFolder(folder.path()), std::vector<std::string>{"bank.torv"});
}

// When the second of a pair cannot replace its target (a folder has taken its name), the first is
// left as it was: its old content back, or no file where there was none.
TEST(AtomicFile, APairReplacesBothTargetsOrNeither) {
    for (const bool existed : {true, false}) {
        test::TempDir folder;
        if (existed) {
            WriteFileBytes(folder.file("ng.bmp"), "old image");
        }
        {
            AtomicFileWriter image(folder.file("ng.bmp"));
            AtomicFileWriter data(folder.file("ng.ng4"));
            image.write("new image");
            data.write("new data");
            fs::create_directories(folder.file("ng.ng4/taken"));
            EXPECT_FALSE(CommitTogether(image, data));
            EXPECT_EQ(data.failureText().rfind(folder.file("ng.ng4") + ": ", 0), 0U) << data.failureText();
        }
        EXPECT_EQ(ReadFileBytes(folder.file("ng.bmp")), existed ? "old image" : "");
        EXPECT_EQ(ListFolder(folder.path()).size(), existed ? 2U : 1U);
    }
}

}  // namespace
}  // namespace torv
