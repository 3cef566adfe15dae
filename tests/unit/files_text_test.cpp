// Text files, names and time as every platform must give them: CR LF on disk whatever the C library's
// text mode would do, a replaced file replaced whole, names with blanks and dots, Windows program
// paths, and the calendar registers from a local time. These also run on Windows.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings_file.h"
#include "engine/clock_operation.h"
#include "files/atomic_file.h"
#include "files/file_kind.h"
#include "files/text_file.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(TextFiles, LinesEndCrLfOnDiskAndAReplacementIsWhole) {
    test::TempDir folder;
    const std::string path = folder.file("with blanks.torv");
    // An abandoned write leaves no file where there was none, and an existing one as it was.
    for (bool existed : {false, true}) {
        if (existed) {
            WriteFileBytes(path, "old\n");
        }
        {
            AtomicFileWriter abandoned(path);
            ASSERT_TRUE(abandoned.isOpen());
            abandoned.writeLine("never");
        }
        EXPECT_EQ(test::ListFolder(folder.path()).size(), existed ? 1U : 0U);
    }
    EXPECT_EQ(ReadFileBytes(path), "old\n");
    AtomicFileWriter writer(path);
    writer.writeLine("Common parameter");
    writer.writeLine("");
    writer.write("no line end");
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(ReadFileBytes(path), "Common parameter\r\n\r\nno line end");
    EXPECT_EQ(test::ListFolder(folder.path()), std::vector<std::string>{"with blanks.torv"});
}

TEST(TextFiles, ReaderTakesLfDropsOneCrAndNeverSplitsALongLine) {
    test::TempDir folder;
    const std::string path = folder.file("lines.txt");
    WriteFileBytes(path, "crlf\r\nlf\ncr cr\r\r\n1234567890\r\nlast");
    TextLineReader reader(path);
    ASSERT_TRUE(reader.isOpen());
    std::string line;
    const std::vector<std::pair<LineRead, std::string>> expected = {
        {LineRead::kLine, "crlf"}, {LineRead::kLine, "lf"},   {LineRead::kLine, "cr cr\r"},
        {LineRead::kTooLong, ""},  {LineRead::kLine, "last"}, {LineRead::kEnd, ""},
    };
    for (const auto& [result, text] : expected) {
        line.clear();
        ASSERT_EQ(reader.readLine(line, 10), result) << text;
        if (result == LineRead::kLine) {
            EXPECT_EQ(line, text);
        }
    }
}

TEST(TextFiles, NamesKeepTheirFoldersAndGainTheKindsExtension) {
    struct Case {
        const char* program;
        const char* settings;
    };
    for (const Case& c :
         {Case{"C:\\Program Files\\TORV.v1\\torvloader.exe", "C:\\Program Files\\TORV.v1\\torvloader.ini"},
          Case{"D:\\tools.d\\torvloader", "D:\\tools.d\\torvloader.ini"},
          Case{"/opt/torv.1/bin/torvloader", "/opt/torv.1/bin/torvloader.ini"},
          Case{"/home/op/.torvloader", "/home/op/.torvloader.ini"},  // a hidden program
          Case{"/usr/bin/torv.loader.bin", "/usr/bin/torv.loader.ini"}}) {
        EXPECT_EQ(SettingsPathFor(c.program), c.settings);
    }
    EXPECT_EQ(MakeFilePath("C:\\line 3\\bank.v2", kParameterFile), "C:\\line 3\\bank.v2.torv");
    EXPECT_EQ(RemoveKnownExtension("C:\\line 3\\ng.ng4", {".ng4", ".bmp"}), "C:\\line 3\\ng");
}

TEST(ClockText, CalendarRegistersAreTheLocalTimeInBcd) {
    std::tm local{};
    local.tm_year = 2031 - 1900;
    local.tm_mon = 11;  // December
    local.tm_mday = 9;
    local.tm_hour = 23;
    local.tm_min = 58;
    local.tm_sec = 60;  // a leap second
    const auto registers = CalendarRegisters(local);
    const std::pair<int, int> expected[] = {{2, 0x00}, {3, 0x58}, {4, 0x23}, {5, 0x09}, {7, 0x12}, {8, 0x31}};
    for (const auto& [index, bcd] : expected) {
        EXPECT_EQ(registers[static_cast<std::size_t>(index)], bcd) << index;
    }
}

}  // namespace
}  // namespace torv
