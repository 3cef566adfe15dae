#include <gtest/gtest.h>

#include <string>

#include "params/catalogue.h"
#include "params/fields.h"

namespace torv {
namespace {

const ParameterRow& Row(std::string_view key) {
    const ParameterRow* row = FindParameter(key);
    EXPECT_NE(row, nullptr) << key;
    return row != nullptr ? *row : kParameterCatalogue.front();
}

std::size_t Index(std::string_view key) {
    return FindParameterIndex(key).value_or(0);
}

std::string Shown(const ParameterSet& set, int bank, std::string_view key) {
    return FieldValueText(set, bank, Row(key));
}

// Stores the initial set with one input typed differently, as the editor does when the bank changes.
ParameterSet StoreTyped(std::string_view key, const std::string& text, int bank = 0) {
    ParameterSet set = InitialParameterSet();
    FieldInputs inputs = ReadFieldInputs(set, bank);
    inputs[Index(key)].text = text;
    EXPECT_TRUE(StoreBank(set, bank, inputs));
    return set;
}

TEST(ParameterFields, InitialSetDecodesToTheFactorySettings) {
    const ParameterSet set = InitialParameterSet();
    const std::pair<const char*, const char*> expected[] = {
        {"BANK", "BKIN"},    {"WIDE", "OFF"},
        {"RE-SLANT", "2.5"}, {"OFFDELAY", "0"},
        {"ON DELAY", "0"},   {"SYNCHRO", "4"},
        {"COMMUNIC", "0"},   {"TRAPEZID", "0"},
        {"THRESHLD", "35"},  {"SURFACE", "WHIT"},
        {"SHUTTER", "70"},   {"EXTLGTPW", "100%"},
        {"LIGHT", "1"},      {"CHARMRGN", "30"},
        {"LIGHTPWR", "LOW"}, {"CHRSPACE", "x4.0"},
        {"DOTCHECK", "ON"},  {"LUSTER", "16"},
        {"ROTATE", "1"},     {"SLANT", "1"},
        {"MSKRIGHT", "255"}, {"CHARWDTH", "40"},
        {"CHARHGHT", "50"},  {"MSK DOWN", "243"},
        {"SHTRLIMT", "132"}, {"BOLD", "0"},
        {"CHARNARW", "5"},   {"SLANTOFS", "0"},
        {"1-DAYOFS", "0"},   {"2-DAYOFS", "0"},
        {"1-TIME±", "30"},   {"2-TIME±", "30"},
        {"FORMAT 1", "---"}, {"FORMAT 4", "---"},
        {"STRING", ""},      {"ORIENTTN", "NORM"},
        {"SYNCDELY", "0"},   {"Save NG status", "Disable"},
    };
    for (const auto& [key, text] : expected) {
        for (int bank : {0, 15}) {
            EXPECT_EQ(Shown(set, bank, key), text) << key << " bank " << bank;
        }
    }
}

TEST(ParameterFields, DecodesWordsByTheirBitFields) {
    ParameterSet set = InitialParameterSet();
    set.common[0] = 16;         // BANK "TCH"
    set.common[4] = 6 << 8;     // COMMUNIC 6: 115200 baud
    set.common[5] = 50;         // TRAPEZID beyond its 41 entries
    set.bank[3][1] = 0x12345;   // SHUTTER takes bits 0..7 only
    set.bank[3][10] = 70000;    // CHARNARW fills its word: shown as held
    set.bank[3][12] = 0;        // 1-DAYOFS with the bias removed
    set.bank[3][20] = 0x10007;  // FORMAT 1 masked to 16 bits: "STRG"
    EXPECT_EQ(Shown(set, 3, "BANK"), "TCH");
    EXPECT_EQ(Shown(set, 3, "COMMUNIC"), "6");
    EXPECT_EQ(Shown(set, 3, "TRAPEZID"), "");
    EXPECT_EQ(Shown(set, 3, "SHUTTER"), "69");
    EXPECT_EQ(Shown(set, 3, "CHARNARW"), "70000");
    EXPECT_EQ(Shown(set, 3, "1-DAYOFS"), "-999");
    EXPECT_EQ(Shown(set, 3, "FORMAT 1"), "STRG");
    EXPECT_EQ(DecodeField(set, 3, "TRAPEZID"), FieldValue{50});
    EXPECT_EQ(DecodeField(set, 3, "1-DAY+/-"), DecodeField(set, 3, "1-DAY±"));
    EXPECT_FALSE(DecodeField(set, 16, "SHUTTER").has_value());
    EXPECT_FALSE(DecodeField(set, 0, "NO SUCH KEY").has_value());
}

TEST(ParameterFields, StoringClampsTypedNumbers) {
    struct Case {
        const char* key;
        const char* typed;
        std::int32_t storedBits;  // the field's bits in its word after storing
    };
    const Case cases[] = {
        {"OFFDELAY", "-5", 5000},    {"OFFDELAY", "5000", 5000}, {"OFFDELAY", "5001", 5000},
        {"1-DAYOFS", "-5", 994},     {"1-DAYOFS", "-1000", 0},   {"1-DAYOFS", "6000", 5999},
        {"2-DAYOFS", "0", 999},      {"1-DAY±", "2000", 0},      {"2-DAY+/-", "-1", 0},
        {"1-DAY±", "1000", 1000},    {"SHUTTER", "abc", 0},      {"SHUTTER", "9999", 132},
        {"SHUTTER", "  +42x", 42},   {"OUTSYNDL", "16", 15},     {"SYNCDELY", "8001", 8000},
        {"2-TIMEOFS", "1440", 1439}, {"MSK UP", "244", 243},     {"CHARMRGN", "255", 255},
    };
    for (const Case& c : cases) {
        const ParameterRow& row = Row(c.key);
        const ParameterSet set = StoreTyped(c.key, c.typed, 2);
        const std::int32_t word = row.field.scope == ParameterScope::kCommon ? set.common[row.field.word]
                                                                             : set.bank[2][row.field.word];
        EXPECT_EQ((word >> row.field.firstBit) & static_cast<std::int32_t>(row.field.mask()), c.storedBits)
            << c.key << " typed " << c.typed;
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

    const ParameterSet zeroInside = StoreTyped("STRING", std::string("AB\0CD", 5));
    EXPECT_EQ(zeroInside.bank[0][25], 0);
    EXPECT_EQ(Shown(zeroInside, 0, "STRING"), "AB");
}

TEST(ParameterFields, StoringRebuildsOnlyTheEditorsWords) {
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
    inputs[Index("STRING")].text = "";
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
}

TEST(ParameterFields, StoringWhatIsShownKeepsTheInitialSet) {
    ParameterSet set = InitialParameterSet();
    for (int bank = 0; bank < kBankCount; ++bank) {
        ASSERT_TRUE(StoreBank(set, bank, ReadFieldInputs(set, bank)));
    }
    EXPECT_EQ(set, InitialParameterSet());
}

TEST(ParameterFields, ListValueWithoutEntryIsKeptAndIndexIsMasked) {
    ParameterSet set = InitialParameterSet();
    set.common[5] = 50;  // TRAPEZID written by a sensor that knows more entries
    FieldInputs inputs = ReadFieldInputs(set, 0);
    EXPECT_EQ(inputs[Index("TRAPEZID")].index, FieldInput::kNoEntry);
    inputs[Index("LIGHT")].index = 2;  // one bit wide: stores 0, leaves CHARMRGN in bits 1..8 alone
    ASSERT_TRUE(StoreBank(set, 0, inputs));
    EXPECT_EQ(set.common[5], 50);
    EXPECT_EQ(Shown(set, 0, "LIGHT"), "0");
    EXPECT_EQ(Shown(set, 0, "CHARMRGN"), "30");
}

TEST(ParameterFields, StoringIntoNoBankChangesNothing) {
    ParameterSet set = InitialParameterSet();
    const FieldInputs inputs = ReadFieldInputs(set, 0);
    EXPECT_FALSE(StoreBank(set, kBankCount, inputs));
    EXPECT_FALSE(StoreBank(set, -1, inputs));
    EXPECT_EQ(set, InitialParameterSet());
}

TEST(ParameterCatalogue, FindsRowsByKeyOrSheetKey) {
    EXPECT_EQ(FindParameter("2-TIMOFS"), FindParameter("2-TIMEOFS"));
    EXPECT_EQ(FindParameter("STRING EDIT"), FindParameter("STRING"));
    EXPECT_EQ(FindParameter("1-TIME+/-")->field.word, 18);
    EXPECT_EQ(FindParameter("shutter"), nullptr);
    EXPECT_EQ(FindListEntry(Row("ORIENTTN"), "MIRR"), 2);
    EXPECT_EQ(FindListEntry(Row("ORIENTTN"), "UP"), std::nullopt);
}

TEST(ParameterCatalogue, LabelsCarryKeyDescriptionAndBankMark) {
    EXPECT_EQ(EditorLabel(Row("ORIENTTN")), "ORIENTTN\n(Shot orientation)*");
    EXPECT_EQ(EditorLabel(Row("STRING")), "STRING*");
    EXPECT_EQ(EditorLabel(Row("Save NG status")), "Save NG status\n(In View NG Log)");
}

}  // namespace
}  // namespace torv
