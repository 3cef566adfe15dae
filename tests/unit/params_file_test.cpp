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

std::string Join(const std::vector<std::string>& lines, const std::string& lineEnd = "\r\n") {
    std::string text;
    for (const std::string& line : lines) {
        text += line + lineEnd;
    }
    return text;
}

TEST(ParameterFile, AcceptsOrRejectsByTheFormatRules) {
    constexpr std::size_t kBank3Header = 15 + 3 * 37;
    constexpr int kInvalid = -1;
    const struct {
        const char* name;
        void (*edit)(std::vector<std::string>&);
        std::int32_t version;  // kInvalid: the file is refused
    } cases[] = {
        {"complete", [](auto&) {}, 105},
        {"no version lines", [](auto& l) { l.erase(l.begin(), l.begin() + 2); }, 100},
        {"version 0105", [](auto& l) { l[1] = "0105"; }, 105},
        {"first line neither S nor C",
         [](auto& l) { l.erase(l.begin(), l.begin() + 2)->assign("Parameters"); }, 100},
        {"bank header without B", [](auto& l) { l[kBank3Header] = "bank parameter No.3"; }, kInvalid},
        {"one word short", [](auto& l) { l.pop_back(); }, kInvalid},
        {"word lines 65535 and 00007",
         [](auto& l) {
             l[3] = "65535";
             l[4] = "00007";
         },
         105},
        {"word line 12x7", [](auto& l) { l[3] = "12x7"; }, kInvalid},
        {"word line abc", [](auto& l) { l[3] = "abc"; }, kInvalid},
        {"empty word line", [](auto& l) { l[3] = ""; }, kInvalid},
        {"word line -1", [](auto& l) { l[3] = "-1"; }, kInvalid},
        {"word line with a blank", [](auto& l) { l[3] = " 12"; }, kInvalid},
        {"word line 65536", [](auto& l) { l[3] = "65536"; }, kInvalid},
        {"word line of 8", [](auto& l) { l[kBank3Header + 1] = "99999999"; }, kInvalid},
        {"value line of 9", [](auto& l) { l[3] = "123456789"; }, kInvalid},
        {"version line of 9", [](auto& l) { l[1] = "000000105"; }, kInvalid},
        {"header line of 24", [](auto& l) { l[2] = "Common parameter (long)!"; }, kInvalid},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        for (const std::string lineEnd : {"\r\n", "\n"}) {
            SCOPED_TRACE(std::string(c.name) + (lineEnd == "\n" ? " (LF)" : " (CR LF)"));
            std::vector<std::string> lines = FileLines(NumberedSet());
            c.edit(lines);
            test::WriteFileBytes(dir.file("case.torv"), Join(lines, lineEnd));
            const LoadedParameters loaded = LoadParameterFile(dir.file("case.torv"));
            EXPECT_EQ(loaded.status, c.version == kInvalid ? LoadStatus::Invalid : LoadStatus::Loaded);
            if (c.version == kInvalid) {
                EXPECT_EQ(loaded.set, InitialParameterSet()) << "nothing of a broken file is used";
            } else {
                EXPECT_EQ(loaded.set.version, c.version);
                EXPECT_EQ(loaded.set.bank, NumberedSet().bank);
            }
        }
    }
}

// (That a saved file reloads as the same set, the fuzz target checks for every file the loader takes.)
TEST(ParameterFile, SavesCrLfLinesByteForByte) {
    test::TempDir dir;
    ASSERT_EQ(SaveParameterFile(dir.file("init.torv"), InitialParameterSet()), SaveStatus::Saved);
    const std::vector<std::string> initial = FileLines(InitialParameterSet());
    ASSERT_EQ(initial.size(), 607U);
    EXPECT_EQ(test::ReadFileBytes(dir.file("init.torv")), Join(initial));

    ASSERT_EQ(SaveParameterFile(dir.file("a.torv"), NumberedSet()), SaveStatus::Saved);
    EXPECT_EQ(test::ReadFileBytes(dir.file("a.torv")), Join(FileLines(NumberedSet())));
    EXPECT_EQ(SaveParameterFile(dir.file("no/such/folder.torv"), NumberedSet()), SaveStatus::CannotCreate);
}

}  // namespace
}  // namespace torv
