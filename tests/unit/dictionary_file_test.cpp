// Dot patterns, dictionary records and the dictionary file: the block writers byte for byte, and the
// reading rule with its edge cases (that whatever is read is written and read back the same, the fuzz
// target checks).

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

using test::WriteFileBytes;

// The digit one as a vertical stroke in column 4.
constexpr DotRows kStroke{0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08};
const std::string kStrokeRow = "   *   ";

std::string Block(const std::string& codeLine, const std::vector<std::string>& rows,
                  const std::string& end = "\r\n") {
    std::string block = codeLine + end;
    for (const std::string& row : rows) {
        block += row + end;
    }
    return block;
}

std::string StrokeBlock(const std::string& codeLine, const std::string& end = "\r\n") {
    return Block(codeLine, std::vector<std::string>(kGridSize, kStrokeRow), end);
}

TEST(DictionaryBlocks, PatternBlockUsesBothPlanesBottomRowFirst) {
    CharacterPattern pattern{};
    pattern[6] = 0x41;   // plane A, row 1: columns 1 and 7
    pattern[14] = 0x60;  // plane B, row 1: columns 1 and 2
    pattern[0] = 0x7F;   // plane A, row 7: all
    pattern[8] = 0x01;   // plane B, row 7: column 7
    pattern[7] = 0xFF;   // bytes 7 and 15 are not used
    pattern[15] = 0xFF;
    const std::vector<std::string> rows = {"*-    +", "       ", "       ", "       ",
                                           "       ", "       ", "++++++*"};
    EXPECT_EQ(CharacterBlockFromPattern(pattern), Block("?", rows));
}

TEST(DictionaryBlocks, RecordBlockWritesItsCodeAndOnlyStarsAndBlanks) {
    const DictionaryRecord record{'1', 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x08};  // bit 7 is ignored
    EXPECT_EQ(CharacterBlockFromRecord(record), StrokeBlock("1"));
    EXPECT_EQ(RecordOf(DictionaryCharacter{'1', kStroke}),
              (DictionaryRecord{'1', 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}));
    EXPECT_EQ(RecordWord(RecordOf(DictionaryCharacter{'1', kStroke}), 0), 0x8831);
    EXPECT_EQ(DictionaryRecordWordAddress(2, 3), 672 + 8 + 3);
    // The line end's own code is an empty code line, so the rows stay in step.
    EXPECT_EQ(CharacterBlock(DictionaryCharacter{'\n', kStroke}), StrokeBlock(""));
}

struct ReadCase {
    const char* name;
    std::string file;
    DictionaryStatus status;
    std::vector<std::uint8_t> codes;  // of the characters read (before the fault, when invalid)
};

TEST(DictionaryReading, FollowsTheReadingRule) {
    const std::string two = StrokeBlock("A") + StrokeBlock("B");
    // 60 blocks: the first 56 are taken and nothing after them is read.
    std::string sixty;
    std::vector<std::uint8_t> first56;
    for (int i = 0; i < 60; ++i) {
        sixty += StrokeBlock(std::string(1, static_cast<char>('0' + i)));
        if (i < 56) {
            first56.push_back(static_cast<std::uint8_t>('0' + i));
        }
    }
    const ReadCase cases[] = {
        {"empty file", "", DictionaryStatus::kLoaded, {}},
        {"CR LF", two, DictionaryStatus::kLoaded, {'A', 'B'}},
        {"LF only", StrokeBlock("A", "\n"), DictionaryStatus::kLoaded, {'A'}},
        {"no line end after the last row",
         two.substr(0, two.size() - 2),
         DictionaryStatus::kLoaded,
         {'A', 'B'}},
        {"empty line after the last block", two + "\r\n", DictionaryStatus::kInvalid, {'A', 'B'}},
        {"empty code line", StrokeBlock(""), DictionaryStatus::kLoaded, {'\n'}},
        {"blank and ? codes", StrokeBlock(" ") + StrokeBlock("?"), DictionaryStatus::kLoaded, {' ', '?'}},
        {"code line of 14 characters", StrokeBlock("Xabcdefghijklm"), DictionaryStatus::kLoaded, {'X'}},
        {"row lines of 14 characters",
         Block("R", std::vector<std::string>(7, kStrokeRow + "comment")),
         DictionaryStatus::kLoaded,
         {'R'}},
        {"60 blocks and more", sixty + "this block is never read", DictionaryStatus::kLoaded, first56},
        {"row stripped of its trailing blanks",
         StrokeBlock("A") + Block("B", {"   *", "", "", "", "", "", ""}),
         DictionaryStatus::kInvalid,
         {'A'}},
        {"other character in a cell",
         Block("C", {"   #   ", "", "", "", "", "", ""}),
         DictionaryStatus::kInvalid,
         {}},
        {"CR inside a row",
         Block("C", std::vector<std::string>(7, "\r      ")),
         DictionaryStatus::kInvalid,
         {}},
        {"block cut after three rows",
         StrokeBlock("A") + Block("B", {kStrokeRow, kStrokeRow, kStrokeRow}),
         DictionaryStatus::kInvalid,
         {'A'}},
        // Read in parts, such a line would put every later block out of step.
        {"code line of 15 characters",
         StrokeBlock("Xabcdefghijklmn") + StrokeBlock("B"),
         DictionaryStatus::kInvalid,
         {}},
        {"row line of 15 characters",
         StrokeBlock("A") + Block("B", std::vector<std::string>(7, kStrokeRow + "12345678")),
         DictionaryStatus::kInvalid,
         {'A'}},
    };
    test::TempDir folder;
    for (const ReadCase& c : cases) {
        WriteFileBytes(folder.file("d.dic4"), c.file);
        const LoadedDictionary loaded = LoadDictionaryFile(folder.file("d.dic4"));
        EXPECT_EQ(loaded.status, c.status) << c.name;
        std::vector<std::uint8_t> codes;
        for (const DictionaryCharacter& character : loaded.characters) {
            codes.push_back(character.code);
        }
        EXPECT_EQ(codes, c.codes) << c.name;
    }
    EXPECT_EQ(LoadDictionaryFile(folder.file("missing.dic4")).status, DictionaryStatus::kNotFound);
    EXPECT_EQ(LoadDictionaryFile(folder.path().string()).status, DictionaryStatus::kNotFound);  // a folder
}

// "+" counts as a dot, "-" as none but is kept apart for the editor to show; saved again, the
// character has one plane: "*" and " " only.
TEST(DictionaryReading, RowsBuildColumnOneIntoBitSixAndPlusCountsAsADot) {
    test::TempDir folder;
    WriteFileBytes(folder.file("d.dic4"),
                   Block("P", {"+-+-+-+", "-------", "*      ", "      *", "+++++++", "       ", "-+-+-+-"}));
    const LoadedDictionary loaded = LoadDictionaryFile(folder.file("d.dic4"));
    ASSERT_EQ(loaded.characters.size(), 1U);
    EXPECT_EQ(loaded.characters[0].rows, (DotRows{0x55, 0x00, 0x40, 0x01, 0x7F, 0x00, 0x2A}));
    EXPECT_EQ(loaded.characters[0].missing, (DotRows{0x2A, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x55}));
    EXPECT_EQ(CharacterBlock(loaded.characters[0]),
              Block("P", {"* * * *", "       ", "*      ", "      *", "*******", "       ", " * * * "}));
}

}  // namespace
}  // namespace torv
