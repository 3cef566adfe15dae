// The parameter set: its fields as the editor shows and stores them, the parameter file and the CSV sheet
// byte for byte.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "params/catalogue.h"
#include "params/fields.h"
#include "params/parameter_file.h"
#include "params/parameter_sheet.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

const ParameterRow& Row(std::string_view key) {
    const ParameterRow* row = FindParameter(key);
    EXPECT_NE(row, nullptr) << key;
    return row != nullptr ? *row : kParameterCatalogue.front();
}

std::string Shown(const ParameterSet& set, int bank, std::string_view key) {
    return FieldValueText(set, bank, Row(key));
}

// Stores the initial set with one input typed differently, as the editor does when the bank changes.
ParameterSet StoreTyped(std::string_view key, const std::string& text, int bank = 0) {
    ParameterSet set = InitialParameterSet();
    FieldInputs inputs = ReadFieldInputs(set, bank);
    inputs[FindParameterIndex(key).value()].text = text;
    EXPECT_TRUE(StoreBank(set, bank, inputs));
    return set;
}

TEST(ParameterFields, InitialSetHoldsTheFactorySettingsInEveryBank) {
    const std::pair<const char*, const char*> expected[] = {
        {"RE-SLANT", "2.5"}, {"SYNCHRO", "4"},     {"THRESHLD", "35"},  {"SURFACE", "WHIT"},
        {"SHUTTER", "70"},   {"EXTLGTPW", "100%"}, {"LIGHTPWR", "LOW"}, {"CHRSPACE", "x4.0"},
        {"DOTCHECK", "ON"},  {"LUSTER", "16"},     {"MSKRIGHT", "255"}, {"CHARWDTH", "40"},
        {"MSK DOWN", "243"}, {"SHTRLIMT", "132"},  {"CHARNARW", "5"},   {"1-TIME±", "30"},
        {"2-DAYOFS", "0"},   {"FORMAT 4", "---"},  {"SYNCDELY", "0"},   {"Save NG status", "Disable"},
    };
    for (const auto& [key, text] : expected) {
        for (int bank = 0; bank < kBankCount; ++bank) {
            EXPECT_EQ(Shown(InitialParameterSet(), bank, key), text) << key << " bank " << bank;
        }
    }
}

TEST(ParameterFields, DecodesEveryKindFromItsBitField) {
    ParameterSet set = InitialParameterSet();
    set.common[0] = 16;         // BANK "TCH"
    set.common[5] = 50;         // TRAPEZID beyond its 41 entries
    set.bank[3][1] = 0x12345;   // SHUTTER takes bits 0..7 only
    set.bank[3][10] = 70000;    // CHARNARW fills its word: shown as held
    set.bank[3][12] = 0;        // 1-DAYOFS with the bias removed
    set.bank[3][20] = 0x10007;  // FORMAT 1 masked to 16 bits: "STRG"
    set.bank[3][24] = 'A' | 'B' << 8;
    const std::pair<const char*, const char*> shown[] = {
        {"BANK", "TCH"},      {"TRAPEZID", ""},     {"SHUTTER", "69"}, {"CHARNARW", "70000"},
        {"1-DAYOFS", "-999"}, {"FORMAT 1", "STRG"}, {"STRING", "AB"},  {"ORIENTTN", "NORM"},
    };
    for (const auto& [key, text] : shown) {
        EXPECT_EQ(Shown(set, 3, key), text) << key;
    }
    EXPECT_EQ(Shown(set, 4, "SHUTTER"), "70");
    EXPECT_EQ(DecodeField(set, 3, "TRAPEZID"), FieldValue{50});
    EXPECT_EQ(DecodeField(set, 3, "1-DAY+/-"), DecodeField(set, 3, "1-DAY±"));
    EXPECT_FALSE(DecodeField(set, 16, "SHUTTER").has_value());
    EXPECT_FALSE(DecodeField(set, 0, "shutter").has_value());
}

TEST(ParameterFields, StoringClampsTypedNumbers) {
    const std::tuple<const char*, const char*, std::int32_t> cases[] = {
        // key, typed, the field's bits in its word after storing
        {"OFFDELAY", "-5", 5000},  {"OFFDELAY", "5001", 5000}, {"1-DAYOFS", "-5", 994},
        {"1-DAYOFS", "-1000", 0},  {"1-DAYOFS", "6000", 5999}, {"1-DAY±", "2000", 0},
        {"1-DAY±", "1000", 1000},  {"SHUTTER", "abc", 0},      {"SHUTTER", "9999", 132},
        {"SHUTTER", "  +42x", 42}, {"OUTSYNDL", "16", 15},     {"SYNCDELY", "8001", 8000},
    };
    for (const auto& [key, typed, bits] : cases) {
        const ParameterRow& row = Row(key);
        const ParameterSet set = StoreTyped(key, typed, 2);
        const std::int32_t word = row.field.scope == ParameterScope::kCommon ? set.common[row.field.word]
                                                                             : set.bank[2][row.field.word];
        EXPECT_EQ((word >> row.field.firstBit) & static_cast<std::int32_t>(row.field.mask()), bits)
            << key << " typed " << typed;
    }
}

TEST(ParameterFields, StringIsCutTo22CharactersTwoToAWord) {
    const ParameterSet longText = StoreTyped("STRING", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(Shown(longText, 0, "STRING"), "ABCDEFGHIJKLMNOPQRSTUV");
    EXPECT_EQ(longText.bank[0][34], 'U' | 'V' << 8);
    const ParameterSet shortText = StoreTyped("STRING", "ABC");
    EXPECT_EQ(shortText.bank[0][24], 'A' | 'B' << 8);
    EXPECT_EQ(shortText.bank[0][25], 'C');
    for (int word = 26; word <= 34; ++word) {
        EXPECT_EQ(shortText.bank[0][word], 0) << word;
    }
}

TEST(ParameterFields, StoringRebuildsOnlyTheEditorsWordsOfOneBank) {
    ParameterSet set;
    set.common.fill(0xFFFF);
    for (BankWords& bank : set.bank) {
        bank.fill(0xFFFF);
    }
    FieldInputs inputs;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        inputs[i] =
            kParameterCatalogue[i].kind == ParameterKind::kList ? FieldInput{0, ""} : FieldInput{-1, "0"};
    }
    inputs[FindParameterIndex("STRING").value()].text = "";
    ASSERT_TRUE(StoreBank(set, 5, inputs));

    constexpr std::int32_t kFixedWord4 = 1 << 12;
    constexpr std::int32_t kFixedWord6 = 1 << 1;
    constexpr std::int32_t kFixedBank8 = 0x7E;
    constexpr std::int32_t kBias = 999;
    const CommonWords common = {0,           0xFFFF, 0,      0,      kFixedWord4, 0,
                                kFixedWord6, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,      0xFFFF};
    BankWords bank{};
    bank[8] = kFixedBank8;
    bank[12] = bank[13] = kBias;
    EXPECT_EQ(set.common, common);
    EXPECT_EQ(set.bank[5], bank);
    for (int b : {0, 4, 6, 15}) {
        EXPECT_EQ(set.bank[b][0], 0xFFFF) << "other banks stay as they are";
    }
    const ParameterSet stored = set;
    EXPECT_FALSE(StoreBank(set, kBankCount, inputs));
    EXPECT_EQ(set, stored);
}

TEST(ParameterFields, StoringWhatIsShownKeepsTheSetAndAListValueWithoutEntry) {
    ParameterSet set = InitialParameterSet();
    set.common[5] = 50;  // TRAPEZID written by a sensor that knows more entries
    const ParameterSet before = set;
    for (int bank = 0; bank < kBankCount; ++bank) {
        const FieldInputs inputs = ReadFieldInputs(set, bank);
        EXPECT_EQ(inputs[FindParameterIndex("TRAPEZID").value()].index, FieldInput::kNoEntry);
        ASSERT_TRUE(StoreBank(set, bank, inputs));
    }
    EXPECT_EQ(set, before);
}

TEST(ParameterCatalogue, FindsRowsByKeyOrSheetKeyAndLabelsThem) {
    EXPECT_EQ(FindParameter("2-TIMOFS"), FindParameter("2-TIMEOFS"));
    EXPECT_EQ(FindParameter("STRING EDIT"), FindParameter("STRING"));
    EXPECT_EQ(FindParameter("1-TIME+/-")->field.word, 18);
    EXPECT_EQ(FindListEntry(Row("ORIENTTN"), "MIRR"), 2);
    EXPECT_EQ(FindListEntry(Row("ORIENTTN"), "UP"), std::nullopt);
    EXPECT_EQ(EditorLabel(Row("ORIENTTN")), "ORIENTTN\n(Shot orientation)*");
    EXPECT_EQ(EditorLabel(Row("STRING")), "STRING*");
}

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
    for (const ParameterSet& set : {InitialParameterSet(), NumberedSet()}) {
        const std::vector<std::string> lines = FileLines(set);
        ASSERT_EQ(lines.size(), 607U);
        ASSERT_EQ(SaveParameterFile(dir.file("a.torv"), set), SaveStatus::Saved);
        EXPECT_EQ(test::ReadFileBytes(dir.file("a.torv")), Join(lines));
    }
    EXPECT_EQ(SaveParameterFile(dir.file("no/such/folder.torv"), NumberedSet()), SaveStatus::CannotCreate);
}

std::string BankRow(const std::string& key, const std::string& value) {
    std::string row = key + ",";
    for (int b = 0; b < kBankCount; ++b) {
        row += "," + value;
    }
    return row;
}

TEST(ParameterSheet, InitialSetSheetReadsLikeTheEditor) {
    const std::vector<std::string> lines = ParameterSheetLines(InitialParameterSet());
    ASSERT_EQ(lines.size(), 58u);
    // Header, "SETUP FLOW", rows 1..22, "ADJUSTMENT", rows 23..40, "OTHERS", rows 41..54.
    const std::pair<std::size_t, std::string> expected[] = {
        {0,
         "Parameter,Common,Bank0,Bank1,Bank2,Bank3,Bank4,Bank5,Bank6,Bank7,Bank8,Bank9,Bank10,Bank11,Bank12,"
         "Bank13,Bank14,Bank15"},
        {1, "SETUP FLOW"},
        {2, "BANK,BKIN"},
        {3, BankRow("ORIENTTN", "NORM")},
        {7, BankRow("FORMAT 1", "---")},
        {24, "ADJUSTMENT"},
        {25, BankRow("1-DAYOFS", "0")},
        {27, BankRow("1-DAY+/-", "0")},
        {30, BankRow("2-TIMOFS", "0")},
        {43, "OTHERS"},
        {44, "COMMUNIC,0"},
        {52, "STRING+,OFF"},
        {56, "WIDE,OFF"},
        {57, BankRow("STRING EDIT", "")},
    };
    for (const auto& [line, text] : expected) {
        EXPECT_EQ(lines[line], text) << "line " << line;
    }
}

TEST(ParameterSheet, BankValuesStandUnderTheirHeadingsInCrLfLines) {
    ParameterSet set = InitialParameterSet();
    set.bank[6][1] = 3840 + 99;  // SHUTTER 99 in bank 6 only
    set.bank[9][9] = 200;        // BOLD index without entry: empty field
    const std::vector<std::string> lines = ParameterSheetLines(set);
    EXPECT_EQ(lines[12], "SHUTTER,,70,70,70,70,70,70,99,70,70,70,70,70,70,70,70,70");
    EXPECT_EQ(lines[17], "BOLD,,0,0,0,0,0,0,0,0,0,,0,0,0,0,0,0");

    test::TempDir dir;
    ASSERT_EQ(WriteParameterSheet(dir.file("sheet.csv"), set), SaveStatus::Saved);
    EXPECT_EQ(test::ReadFileBytes(dir.file("sheet.csv")), Join(lines));
    EXPECT_EQ(WriteParameterSheet(dir.file("none/sheet.csv"), set), SaveStatus::CannotCreate);
}

}  // namespace
}  // namespace torv
