#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "params/catalogue.h"
#include "params/fields.h"

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

}  // namespace
}  // namespace torv
