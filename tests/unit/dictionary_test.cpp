// Dot patterns, dictionary records and the dictionary file: the block writers byte for byte, and the
// reading rule with its edge cases (that whatever is read is written and read back the same, the fuzz
// target checks). Then the editor's slot table: the slot it opens on, Insert and Delete at the ends,
// what a save takes, the list text.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "dictionary/dictionary_slots.h"
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

// The seven rows of a block, each `row`.
std::vector<std::string> Rows(const std::string& row) {
    return std::vector<std::string>(kGridSize, row);
}

std::string StrokeBlock(const std::string& codeLine, const std::string& end = "\r\n") {
    return Block(codeLine, Rows(kStrokeRow), end);
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
    std::string codes;  // of the characters read (before the fault, when invalid)
};

TEST(DictionaryReading, FollowsTheReadingRule) {
    const std::string two = StrokeBlock("A") + StrokeBlock("B");
    // 60 blocks: the first 56 are taken and nothing after them is read.
    std::string sixty;
    std::string first56;
    for (int i = 0; i < 60; ++i) {
        sixty += StrokeBlock(std::string(1, static_cast<char>('0' + i)));
        if (i < 56) {
            first56 += static_cast<char>('0' + i);
        }
    }
    using enum DictionaryStatus;
    const ReadCase cases[] = {
        {"empty file", "", kLoaded, ""},
        {"CR LF", two, kLoaded, "AB"},
        {"LF only", StrokeBlock("A", "\n"), kLoaded, "A"},
        {"no line end after the last row", two.substr(0, two.size() - 2), kLoaded, "AB"},
        {"empty line after the last block", two + "\r\n", kInvalid, "AB"},
        {"empty code line", StrokeBlock(""), kLoaded, "\n"},
        {"blank and ? codes", StrokeBlock(" ") + StrokeBlock("?"), kLoaded, " ?"},
        {"code line of 14 characters", StrokeBlock("Xabcdefghijklm"), kLoaded, "X"},
        {"row lines of 14 characters", Block("R", Rows(kStrokeRow + "comment")), kLoaded, "R"},
        {"60 blocks and more", sixty + "this block is never read", kLoaded, first56},
        {"row stripped of its trailing blanks",
         StrokeBlock("A") + Block("B", {"   *", "", "", "", "", "", ""}), kInvalid, "A"},
        {"other character in a cell", Block("C", {"   #   ", "", "", "", "", "", ""}), kInvalid, ""},
        {"CR inside a row", Block("C", Rows("\r      ")), kInvalid, ""},
        {"block cut after three rows", StrokeBlock("A") + Block("B", {kStrokeRow, kStrokeRow, kStrokeRow}),
         kInvalid, "A"},
        // Read in parts, such a line would put every later block out of step.
        {"code line of 15 characters", StrokeBlock("Xabcdefghijklmn") + StrokeBlock("B"), kInvalid, ""},
        {"row line of 15 characters", StrokeBlock("A") + Block("B", Rows(kStrokeRow + "12345678")), kInvalid,
         "A"},
    };
    test::TempDir folder;
    for (const ReadCase& c : cases) {
        WriteFileBytes(folder.file("d.dic4"), c.file);
        const LoadedDictionary loaded = LoadDictionaryFile(folder.file("d.dic4"));
        EXPECT_EQ(loaded.status, c.status) << c.name;
        std::string codes;
        for (const DictionaryCharacter& character : loaded.characters) {
            codes += static_cast<char>(character.code);
        }
        EXPECT_EQ(codes, c.codes) << c.name;
    }
    EXPECT_EQ(LoadDictionaryFile(folder.file("missing.dic4")).status, kNotFound);
    EXPECT_EQ(LoadDictionaryFile(folder.path().string()).status, kNotFound);  // a folder
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

DictionaryCharacter Character(char code, std::uint8_t firstRow = 0) {
    return {static_cast<std::uint8_t>(code), {firstRow, 0, 0, 0, 0, 0, 0}};
}

TEST(DictionarySlots, InitialSlotIsTheFirstAppendedOrTheLastLoaded) {
    const struct {
        int loaded;
        int appended;
        int slot;
    } cases[] = {{10, 4, 6}, {10, 0, 9}, {0, 0, kNoSlot}, {3, 5, kNoSlot}, {4, 4, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(InitialSlot(c.loaded, c.appended), c.slot) << c.loaded << ' ' << c.appended;
    }
}

// The ends the editor's test does not reach: Insert at the last slot replaces it; Delete of slot 1 pulls
// the rest up and leaves slot 56 empty.
TEST(DictionarySlots, InsertAndDeleteAtTheEndsKeep56) {
    DictionarySlots slots;
    std::vector<DictionaryCharacter> full;
    for (int i = 0; i < kDictionaryMaxChars; ++i) {
        full.push_back(Character(static_cast<char>('0' + i % 40), static_cast<std::uint8_t>(i)));
    }
    slots.load(full);
    slots.insertAt(55);
    EXPECT_EQ(slots.slot(55), Character('?'));
    EXPECT_EQ(slots.slot(54), full[54]);
    EXPECT_EQ(slots.deleteAt(0), 0);
    EXPECT_EQ(slots.slot(0), full[1]);
    EXPECT_EQ(slots.slot(54), Character('?'));
    EXPECT_EQ(slots.slot(55), DictionaryCharacter{});
    EXPECT_EQ(slots.saved().size(), 55U);
}

// A save takes slots 1..n up to the last one in use, an empty slot before it included (as code 0,
// which reads back as the same empty slot).
TEST(DictionarySlots, SaveTakesEverySlotUpToTheLastInUse) {
    test::TempDir folder;
    DictionarySlots slots;
    slots.load(std::vector{Character('A', 0x40), Character('B'), Character('C', 0x01)});
    slots.slot(1).code = kEmptyCode;
    ASSERT_EQ(slots.saved().size(), 3U);
    ASSERT_TRUE(SaveDictionaryFile(folder.file("d.dic4"), slots.saved()));
    const LoadedDictionary loaded = LoadDictionaryFile(folder.file("d.dic4"));
    EXPECT_EQ(loaded.status, DictionaryStatus::kLoaded);
    EXPECT_EQ(loaded.characters,
              (std::vector<DictionaryCharacter>(slots.saved().begin(), slots.saved().end())));
    slots.load({});
    EXPECT_TRUE(slots.saved().empty());
}

// Nine lines a slot; a code without a printable form shows as its number, so no line breaks early.
TEST(DictionarySlots, ListTextShowsEverySlotInNineLines) {
    DictionarySlots slots;
    slots.load(std::vector{Character('A', 0x41), Character('\n'), Character('\xE9')});
    const std::string text = slots.listText();
    EXPECT_EQ(text.substr(0, 37), "No.1 : A\r\n*     *\r\n       \r\n       \r\n");
    EXPECT_NE(text.find("\r\n\r\nNo.2 : 0x0A\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\nNo.3 : \xE9\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\nNo.4\r\n       \r\n"), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 56U * kListLinesPerSlot);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // no bare line end anywhere
}

}  // namespace
}  // namespace torv
