#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    std::string expected;
    for (const std::string& line : lines) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(test::ReadFileBytes(dir.file("sheet.csv")), expected);
    EXPECT_EQ(WriteParameterSheet(dir.file("none/sheet.csv"), set), SaveStatus::CannotCreate);
}

}  // namespace
}  // namespace torv
