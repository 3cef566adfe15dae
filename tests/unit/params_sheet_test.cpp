#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/catalogue.h"
#include "params/fields.h"
#include "params/parameter_sheet.h"
#include "tests/support/temp_dir.h"

namespace torv {
namespace {

std::string BankRow(const std::string& key, const std::string& value) {
    std::string row = key + ",";
    for (int b = 0; b < kBankCount; ++b) {
        row += "," + value;
    }
    return row;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// Line positions: header, "SETUP FLOW", rows 1..22, "ADJUSTMENT", rows 23..40, "OTHERS", rows 41..54.
constexpr std::size_t kSetupFlowLine = 1;
constexpr std::size_t kAdjustmentLine = 24;
constexpr std::size_t kOthersLine = 43;

TEST(ParameterSheet, InitialSetSheetReadsLikeTheEditor) {
    const std::vector<std::string> lines = ParameterSheetLines(InitialParameterSet());
    ASSERT_EQ(lines.size(), 58u);
    EXPECT_EQ(
        lines[0],
        "Parameter,Common,Bank0,Bank1,Bank2,Bank3,Bank4,Bank5,Bank6,Bank7,Bank8,Bank9,Bank10,Bank11,Bank12,"
        "Bank13,Bank14,Bank15");
    EXPECT_EQ(lines[kSetupFlowLine], "SETUP FLOW");
    EXPECT_EQ(lines[kAdjustmentLine], "ADJUSTMENT");
    EXPECT_EQ(lines[kOthersLine], "OTHERS");

    const std::pair<std::size_t, std::string> rows[] = {
        {2, "BANK,BKIN"},
        {3, BankRow("ORIENTTN", "NORM")},
        {5, "TRAPEZID,0"},
        {7, BankRow("FORMAT 1", "---")},
        {25, BankRow("1-DAYOFS", "0")},
        {27, BankRow("1-DAY+/-", "0")},
        {30, BankRow("2-TIMOFS", "0")},
        {32, BankRow("2-TIME+/-", "30")},
        {42, BankRow("SURFACE", "WHIT")},
        {44, "COMMUNIC,0"},
        {51, "OUTSYNDL,0"},
        {52, "STRING+,OFF"},
        {56, "WIDE,OFF"},
        {57, BankRow("STRING EDIT", "")},
    };
    for (const auto& [line, text] : rows) {
        EXPECT_EQ(lines[line], text) << "line " << line;
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("Save NG"), std::string::npos);
    }
}

TEST(ParameterSheet, BankValuesStandUnderTheirHeadings) {
    ParameterSet set = InitialParameterSet();
    set.bank[6][1] = 3840 + 99;  // SHUTTER 99 in bank 6 only
    set.bank[9][9] = 200;        // BOLD index without entry: empty field
    FieldInputs inputs = ReadFieldInputs(set, 2);
    inputs[FindParameterIndex("STRING").value()].text = "A,B";
    ASSERT_TRUE(StoreBank(set, 2, inputs));

    const std::vector<std::string> lines = ParameterSheetLines(set);
    const std::vector<std::string> shutter = Fields(lines[12]);
    ASSERT_EQ(shutter.size(), 18u);
    EXPECT_EQ(shutter[0], "SHUTTER");
    EXPECT_EQ(shutter[1], "");
    EXPECT_EQ(shutter[6 + 2], "99");
    EXPECT_EQ(shutter[7 + 2], "70");

    const std::vector<std::string> bold = Fields(lines[17]);
    ASSERT_EQ(bold[0], "BOLD");
    EXPECT_EQ(bold[9 + 2], "");
    EXPECT_EQ(bold[8 + 2], "0");

    const std::vector<std::string> text = Fields(lines[57]);
    EXPECT_EQ(text.size(), 19u) << "a comma in STRING adds a field";
    EXPECT_EQ(text[2 + 2], "A");
    EXPECT_EQ(text[3 + 2], "B");
}

TEST(ParameterSheet, WritesCrLfLines) {
    test::TempDir dir;
    const std::string path = dir.file("sheet.csv");
    ASSERT_EQ(WriteParameterSheet(path, InitialParameterSet()), SaveStatus::Saved);
    std::string expected;
    for (const std::string& line : ParameterSheetLines(InitialParameterSet())) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(test::ReadFileBytes(path), expected);
    EXPECT_EQ(WriteParameterSheet(dir.file("none/sheet.csv"), InitialParameterSet()),
              SaveStatus::CannotCreate);
}

}  // namespace
}  // namespace torv
