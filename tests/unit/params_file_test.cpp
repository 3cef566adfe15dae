#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/parameter_file.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

// A set whose every word differs, so a word landing in the wrong place shows.
ParameterSet NumberedSet() {
    ParameterSet set;
    set.version = 105;
    for (int i = 0; i < kCommonWordCount; ++i) {
        set.common[i] = 60000 + i;
    }
    for (int b = 0; b < kBankCount; ++b) {
        for (int i = 0; i < kBankWordCount; ++i) {
            set.bank[b][i] = BankWordAddress(b, i);
        }
    }
    return set;
}

// The lines of a complete parameter file of `set`, written out here independently of the saver.
std::vector<std::string> FileLines(const ParameterSet& set) {
    std::vector<std::string> lines = {"Software version", std::to_string(set.version), "Common parameter"};
    for (std::int32_t word : set.common) {
        lines.push_back(std::to_string(word));
    }
    for (int b = 0; b < kBankCount; ++b) {
        lines.push_back("Bank parameter No." + std::to_string(b));
        for (std::int32_t word : set.bank[b]) {
            lines.push_back(std::to_string(word));
        }
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, const std::string& lineEnd) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + lineEnd;
    }
    return text;
}

constexpr std::size_t kCompleteLines = 607;
constexpr std::size_t kFirstCommonWordLine = 3;
constexpr std::size_t kBank3HeaderLine = 15 + 3 * 37;

TEST(ParameterFile, AcceptsOrRejectsByTheFormatRules) {
    using Edit = void (*)(std::vector<std::string>&);
    struct Case {
        const char* name;
        Edit edit;
        LoadStatus status;
        std::int32_t version;
    };
    const Case cases[] = {
        {"complete", [](auto&) {}, LoadStatus::Loaded, 105},
        {"no version lines", [](auto& l) { l.erase(l.begin(), l.begin() + 2); }, LoadStatus::Loaded, 100},
        {"version 0105", [](auto& l) { l[1] = "0105"; }, LoadStatus::Loaded, 105},
        {"sensor version text", [](auto& l) { l[1] = "V1.2"; }, LoadStatus::Loaded, 0},
        {"first line neither S nor C",
         [](auto& l) {
             l.erase(l.begin(), l.begin() + 2);
             l[0] = "Parameters";
         },
         LoadStatus::Loaded, 100},
        {"no C after the version", [](auto& l) { l[2] = "Bank parameter No.0"; }, LoadStatus::Invalid, 0},
        {"bank header without B", [](auto& l) { l[kBank3HeaderLine] = "bank parameter No.3"; },
         LoadStatus::Invalid, 0},
        {"one word short", [](auto& l) { l.pop_back(); }, LoadStatus::Invalid, 0},
        {"ends after a bank header", [](auto& l) { l.resize(kBank3HeaderLine + 1); }, LoadStatus::Invalid, 0},
        {"value line of 8 fits", [](auto& l) { l[kFirstCommonWordLine] = "12345678"; }, LoadStatus::Loaded,
         105},
        {"value line too long", [](auto& l) { l[kFirstCommonWordLine] = "123456789"; }, LoadStatus::Invalid,
         0},
        {"version line too long", [](auto& l) { l[1] = "000000105"; }, LoadStatus::Invalid, 0},
        {"header line too long", [](auto& l) { l[2] = "Common parameter (long)!"; }, LoadStatus::Invalid, 0},
        {"empty file", [](auto& l) { l.clear(); }, LoadStatus::Invalid, 0},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        for (const std::string lineEnd : {"\r\n", "\n"}) {
            std::vector<std::string> lines = FileLines(NumberedSet());
            c.edit(lines);
            const std::string path = dir.file("case.torv");
            test::WriteFileBytes(path, Join(lines, lineEnd));
            const LoadedParameters loaded = LoadParameterFile(path);
            SCOPED_TRACE(std::string(c.name) + (lineEnd == "\n" ? " (LF)" : " (CR LF)"));
            EXPECT_EQ(loaded.status, c.status);
            if (c.status == LoadStatus::Loaded) {
                EXPECT_EQ(loaded.set.version, c.version);
                EXPECT_EQ(loaded.set.bank, NumberedSet().bank);
            } else {
                EXPECT_EQ(loaded.set, InitialParameterSet()) << "nothing of a broken file is used";
            }
        }
    }
}

TEST(ParameterFile, ReadsValueLinesAsUnsignedDecimal) {
    std::vector<std::string> lines = FileLines(NumberedSet());
    lines[kFirstCommonWordLine + 0] = " 42";
    lines[kFirstCommonWordLine + 1] = "-1";
    lines[kFirstCommonWordLine + 2] = "abc";
    lines[kFirstCommonWordLine + 3] = "70000";
    test::TempDir dir;
    test::WriteFileBytes(dir.file("v.torv"), Join(lines, "\r\n"));
    const LoadedParameters loaded = LoadParameterFile(dir.file("v.torv"));
    ASSERT_EQ(loaded.status, LoadStatus::Loaded);
    EXPECT_EQ(loaded.set.common[0], 42);
    EXPECT_EQ(loaded.set.common[1], -1);
    EXPECT_EQ(loaded.set.common[2], 0);
    EXPECT_EQ(loaded.set.common[3], 70000);
}

TEST(ParameterFile, MissingFileIsNotFound) {
    test::TempDir dir;
    EXPECT_EQ(LoadParameterFile(dir.file("absent.torv")).status, LoadStatus::NotFound);
}

TEST(ParameterFile, SavesTheInitialSetAs607CrLfLines) {
    test::TempDir dir;
    const std::string path = dir.file("init.torv");
    ASSERT_EQ(SaveParameterFile(path, InitialParameterSet()), SaveStatus::Saved);
    const std::string bytes = test::ReadFileBytes(path);
    const std::vector<std::string> expected = FileLines(InitialParameterSet());
    ASSERT_EQ(expected.size(), kCompleteLines);
    EXPECT_EQ(expected[1], "100");
    EXPECT_EQ(bytes, Join(expected, "\r\n"));
}

TEST(ParameterFile, SaveAndLoadRoundTripByteForByte) {
    test::TempDir dir;
    const std::string first = dir.file("a.torv");
    const std::string second = dir.file("b.torv");
    ASSERT_EQ(SaveParameterFile(first, NumberedSet()), SaveStatus::Saved);
    const LoadedParameters loaded = LoadParameterFile(first);
    ASSERT_EQ(loaded.status, LoadStatus::Loaded);
    EXPECT_EQ(loaded.set, NumberedSet());
    ASSERT_EQ(SaveParameterFile(second, loaded.set), SaveStatus::Saved);
    EXPECT_EQ(test::ReadFileBytes(second), test::ReadFileBytes(first));
    EXPECT_EQ(test::ReadFileBytes(first), Join(FileLines(NumberedSet()), "\r\n"));
}

TEST(ParameterFile, SaveIntoMissingFolderCannotCreate) {
    test::TempDir dir;
    EXPECT_EQ(SaveParameterFile(dir.file("no/such/folder.torv"), NumberedSet()), SaveStatus::CannotCreate);
}

TEST(ParameterFileReader, StreamsBanksUntilTheFileBreaks) {
    // The write operation sends each bank as soon as it is read: banks before a broken one are whole.
    std::vector<std::string> lines = FileLines(NumberedSet());
    lines.resize(kBank3HeaderLine + 10);
    test::TempDir dir;
    test::WriteFileBytes(dir.file("cut.torv"), Join(lines, "\r\n"));

    ParameterFileReader reader(dir.file("cut.torv"));
    ASSERT_TRUE(reader.isOpen());
    std::int32_t version = 0;
    CommonWords common{};
    ASSERT_TRUE(reader.readHeader(version));
    EXPECT_EQ(version, 105);
    ASSERT_TRUE(reader.readCommonWords(common));
    EXPECT_EQ(common, NumberedSet().common);
    BankWords bank{};
    for (int b = 0; b < 3; ++b) {
        ASSERT_TRUE(reader.readBank(bank)) << b;
        EXPECT_EQ(bank, NumberedSet().bank[b]);
    }
    EXPECT_FALSE(reader.readBank(bank));
}

}  // namespace
}  // namespace torv
