// NG slots and files: ring arithmetic, the result record, day and minute texts, the image file and the
// two text files byte for byte, and what the viewer reads.

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "ngdata/ng_image.h"
#include "ngdata/ng_record.h"
#include "ngdata/ng_summary.h"
#include "ngdata/ng_text.h"
#include "ngdata/ng_time_text.h"
#include "ngdata/ng_viewer_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/time_zone.h"

namespace torv {
namespace {

// The sensor's own zone (UTC+9): day 0, minute 0 is midnight starting 1 Jan 2000 there.
class SensorTimeZone : public ::testing::Test {
  private:
    test::ScopedTimeZone m_zone{"JST-9"};
};

// A result record laid out here by its offsets, independently of the decoder.
class RecordBytes {
  public:
    RecordBytes& byte(int offset, int value) {
        m_bytes[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
        return *this;
    }
    RecordBytes& word(int offset, int value) {
        return byte(offset, value & 0xFF).byte(offset + 1, value >> 8);
    }
    // Numerical byte pair, alphabetic pair, dictionary pair of character i.
    RecordBytes& character(int i, int nDiff, int nChar, int aDiff, int aChar, int nDict, int aDict) {
        return byte(208 + 2 * i, nDiff)
            .byte(209 + 2 * i, nChar)
            .byte(328 + 2 * i, aDiff)
            .byte(329 + 2 * i, aChar)
            .byte(448 + 2 * i, nDict)
            .byte(449 + 2 * i, aDict);
    }
    NgResultRecord decode() const { return DecodeResultRecord(m_bytes); }

  private:
    ResultRecordBytes m_bytes{};
};

// Two characters ("1" then, on a new line, "8" read with equal differences), a date format that found
// 29 Feb 2000, a time format that found nothing, a string format that found its string, and a format 4
// of kind 0 whose value word is 0xFFFF.
NgResultRecord TwoCharacterRecord() {
    RecordBytes r;
    r.character(0, 3, '1', 12, 'I', 0, 0).character(1, 200, 0x80 | '8', 200, 0x80 | 'B', 2, 255);
    r.byte(568, 2).word(570, 59).word(572, 0xFFFF).word(574, 0).word(576, 0xFFFF).byte(578, 0x6C);
    r.word(580, 0).word(582, 0).byte(584, 5);
    r.word(586, 366).word(588, 0).word(590, 0).word(592, 60);
    r.word(594, 1439).word(596, 0).word(598, 0).word(600, 61);
    return r.decode();
}

// Pattern 0: row 1 has plane A in columns 1 and 7 and plane B in columns 1 and 2; row 7 plane A in
// every column and plane B in column 7. Pattern 1 is empty.
NgPatternBlocks TwoPatterns() {
    NgPatternBlocks patterns{};
    patterns[6] = 0x41;
    patterns[14] = 0x60;
    patterns[0] = 0x7F;
    patterns[8] = 0x01;
    return patterns;
}

TEST(NgRing, SlotArithmetic) {
    const struct {
        int pointerWord;
        int number;
        int slot;
    } cases[] = {
        {0, 1, 29},   {5, 30, 5},     {5, 0, 5},   {29, 1, 28},
        {29, 30, 29}, {0x1203, 1, 2},  // the high byte is not the pointer's
        {30, 1, -1},  {0xFF, 1, -1},  {5, 31, -1}, {5, -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SlotOfNgDataNumber(NgRingWords{static_cast<std::uint16_t>(c.pointerWord), 0}, c.number),
                  c.slot)
            << c.pointerWord << " " << c.number;
    }
    const std::pair<std::uint32_t, int> counts[] = {{0, 0},         {1, 1},          {0x5, 3},
                                                    {1U << 29, 30}, {0xC0000000, 0}, {0xFFFFFFFF, 30}};
    for (const auto& [mask, count] : counts) {
        EXPECT_EQ(CountedSlots(NgRingWords{0, mask}), count) << std::hex << mask;
    }
    EXPECT_TRUE(SlotOccupied(NgRingWords{0, 1U << 29}, 29));
    EXPECT_FALSE(SlotOccupied(NgRingWords{0, 0xFFFFFFFF}, 30));
    EXPECT_FALSE(SlotOccupied(NgRingWords{0, 0xFFFFFFFF}, -1));
    EXPECT_EQ(SlotBefore(2, 5), 27);
}

// The sensor's own wall clock, whatever the PC's zone: west of Greenwich too, where a conversion from
// the sensor's zone would move the date a day early.
TEST(NgTimeTexts, AreTheSensorsWallClockInEveryZone) {
    for (const char* zone : {"JST-9", "UTC0", "PST8PDT", "NZST-12NZDT", "HST10"}) {
        const test::ScopedTimeZone pcZone(zone);
        EXPECT_EQ(NgDateTimeText(0, 0), "Sat Jan 01 00:00:00 2000\n") << zone;
        EXPECT_EQ(NgDateTimeText(9497, 1439), "Thu Jan 01 23:59:00 2026\n") << zone;
        EXPECT_EQ(NgDateTimeText(59, 61), "Tue Feb 29 01:01:00 2000\n") << zone;
        EXPECT_EQ(NgDateText(366), "Mon Jan 01 2001\n") << zone;
        EXPECT_EQ(NgDateText(9834), "Fri Dec 04 2026\n") << zone;  // the print's 261204
        EXPECT_EQ(NgTimeText(0), "00:00") << zone;
        EXPECT_EQ(NgTimeText(279), "04:39") << zone;
        EXPECT_EQ(NgTimeText(1439), "23:59") << zone;
    }
}

TEST(NgImage, HeaderAndPixelsWhereTheFormatPutsThem) {
    const std::vector<std::uint8_t> header = {'B', 'M', 0x36, 0xDC, 0x02, 0, 0, 0,    0,    0, 54, 0, 0, 0,
                                              40,  0,   0,    0,    0,    1, 0, 0,    244,  0, 0,  0, 1, 0,
                                              24,  0,   0,    0,    0,    0, 0, 0xDC, 0x02, 0, 0,  0, 0, 0,
                                              0,   0,   0,    0,    0,    0, 0, 0,    0,    0, 0,  0};
    NgImageLines lines{};
    const auto put = [&lines](int line, int column, int word) {
        lines[static_cast<std::size_t>(line * 512 + 2 * column)] = static_cast<std::uint8_t>(word & 0xFF);
        lines[static_cast<std::size_t>(line * 512 + 2 * column + 1)] = static_cast<std::uint8_t>(word >> 8);
    };
    put(0, 0, 63 << 1);                              // gray 63
    put(121, 255, (7 << 7) | (5 << 13) | (1 << 1));  // blue 7, green 5, gray 1
    put(60, 128, (3 << 10) | 1);                     // red 3; bit 0 means nothing
    const std::vector<std::uint8_t> file = NgBitmapBytes(lines);
    ASSERT_EQ(file.size(), 187446U);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 54), header);
    EXPECT_TRUE(IsNgBitmapHeader(header));
    const auto pixel = [&file](int row, int column) {
        const auto at = static_cast<std::size_t>(54 + row * 768 + column * 3);
        return std::vector<int>{file[at], file[at + 1], file[at + 2]};  // blue, green, red
    };
    // Rows 0..121: the colour of lines 121..0; rows 122..243: the gray of lines 121..0.
    EXPECT_EQ(pixel(243, 0), (std::vector<int>{252, 252, 252}));
    EXPECT_EQ(pixel(121, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(pixel(0, 255), (std::vector<int>{224, 160, 0}));
    EXPECT_EQ(pixel(122, 255), (std::vector<int>{4, 4, 4}));
    EXPECT_EQ(pixel(61, 128), (std::vector<int>{0, 0, 96}));
    EXPECT_EQ(pixel(183, 128), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(ColourPixel(0xFFFF), (BgrPixel{224, 224, 224}));
    EXPECT_EQ(GrayPixel(0xFFFF), (BgrPixel{252, 252, 252}));
}

constexpr const char* kTwoCharacterDataFile =
    "Character number = 2\r\n"
    "Bank number = 5\r\n"
    "Saved date/time = Sat Jan 01 00:00:00 2000\r\n"
    "1 - Date = Tue Feb 29 2000\r\n"
    "2 - Time nothing.\r\n"
    "3 - String\r\n"
    "4 - Format nothing.\r\n"
    "1 - Date upper limit = Mon Jan 01 2001\r\n"
    "1 - Date lower limit = Sat Jan 01 2000\r\n"
    "2 - Date upper limit = Sat Jan 01 2000\r\n"
    "2 - Date lower limit = Wed Mar 01 2000\r\n"
    "1 - Time upper limit = 23:59\r\n"
    "1 - Time lower limit = 00:00\r\n"
    "2 - Time upper limit = 00:00\r\n"
    "2 - Time lower limit = 01:01\r\n"
    "1 I (Gap[N,A]=3,12), (Dictionary[N,A]=0,0)\r\n"
    "\r\n"
    "8 B (Gap[N,A]=200,200), (Dictionary[N,A]=2,255)\r\n"
    "\r\n"
    "*-    +\r\n       \r\n       \r\n       \r\n       \r\n       \r\n++++++*\r\n\r\n"
    "       \r\n       \r\n       \r\n       \r\n       \r\n       \r\n       \r\n\r\n";

constexpr const char* kTwoCharacterCsv =
    "NG data number,3\r\n"
    "Number of character,2\r\n"
    "Bank number,5\r\n"
    "Saved date/time,Sat Jan 01 00:00:00 2000\r\n"
    "\r\n"
    "1-Date,Tue Feb 29 2000\r\n"
    "2-Time,is not found\r\n"
    "3-String\r\n"
    "4 - Format nothing\r\n"
    "1-Date Upper limit,Mon Jan 01 2001\r\n"
    "1-Date Lower limit,Sat Jan 01 2000\r\n"
    "2-Date Upper limit,Sat Jan 01 2000\r\n"
    "2-Date Lower limit,Wed Mar 01 2000\r\n"
    "1-Time Upper limit,23:59\r\n"
    "1-Time Lower limit,00:00\r\n"
    "2-Time Upper limit,00:00\r\n"
    "2-Time Lower limit,01:01\r\n"
    "Best character,1,,8,\r\n"
    "Numerical character,1,,8,\r\n"
    "Numerical difference,3,,200,\r\n"
    "Numerical dictionary number,0,,2,\r\n"
    "Alphabetic character,I,,B,\r\n"
    "Alphabetic difference,12,,200,\r\n"
    "Alphabetic dictionary number,0,,255,\r\n"
    "Block data of recognized character,*,-,.,.,.,.,+,,.,.,.,.,.,.,.,,\r\n"
    ",.,.,.,.,.,.,.,,.,.,.,.,.,.,.,,\r\n"
    ",.,.,.,.,.,.,.,,.,.,.,.,.,.,.,,\r\n"
    ",.,.,.,.,.,.,.,,.,.,.,.,.,.,.,,\r\n"
    ",.,.,.,.,.,.,.,,.,.,.,.,.,.,.,,\r\n"
    ",.,.,.,.,.,.,.,,.,.,.,.,.,.,.,,\r\n"
    ",+,+,+,+,+,+,*,,.,.,.,.,.,.,.,,\r\n"
    ",\r\n";

TEST_F(SensorTimeZone, NgDataFileAndCsvByteForByte) {
    EXPECT_EQ(NgDataFileText(TwoCharacterRecord(), TwoPatterns()), kTwoCharacterDataFile);
    EXPECT_EQ(NgCsvRecordText(3, TwoCharacterRecord(), TwoPatterns()), kTwoCharacterCsv);
}

TEST_F(SensorTimeZone, EmptySlotWritesHeadersFormatsAndLimitsOnly) {
    const NgResultRecord empty = RecordBytes().decode();
    std::string dataFile =
        "Character number = 0\r\nBank number = 0\r\nSaved date/time = Sat Jan 01 00:00:00 2000\r\n";
    for (int k = 1; k <= 4; ++k) {
        dataFile += std::to_string(k);
        dataFile += " - Format nothing.\r\n";
    }
    for (const char* head : {"1 - Date", "2 - Date"}) {
        dataFile += std::string(head) + " upper limit = Sat Jan 01 2000\r\n" + head +
                    " lower limit = Sat Jan 01 2000\r\n";
    }
    for (const char* head : {"1 - Time", "2 - Time"}) {
        dataFile += std::string(head) + " upper limit = 00:00\r\n" + head + " lower limit = 00:00\r\n";
    }
    EXPECT_EQ(NgDataFileText(empty, NgPatternBlocks{}), dataFile + "\r\n");

    const std::string csv = NgCsvRecordText(1, empty, NgPatternBlocks{});
    const std::string rows =
        "Best character,\r\nNumerical character,\r\nNumerical difference,\r\nNumerical dictionary number,\r\n"
        "Alphabetic character,\r\nAlphabetic difference,\r\nAlphabetic dictionary number,\r\n";
    const std::string patterns = "Block data of recognized character,\r\n,\r\n,\r\n,\r\n,\r\n,\r\n,\r\n,\r\n";
    EXPECT_EQ(csv.substr(csv.size() - rows.size() - patterns.size()), rows + patterns);
    const std::string head =
        "NG data number,1\r\nNumber of character,0\r\nBank number,0\r\n"
        "Saved date/time,Sat Jan 01 00:00:00 2000\r\n\r\n1 - Format nothing\r\n";
    EXPECT_EQ(csv.substr(0, head.size()), head);
}

TEST(NgViewerFiles, TextKeepsEveryLine) {
    test::TempDir folder;
    test::WriteFileBytes(folder.file("empty.ng4"), "");
    EXPECT_EQ(NgViewerText(folder.file("empty.ng4")), "");
    EXPECT_EQ(NgViewerText(folder.file("missing.ng4")), std::nullopt);
    EXPECT_EQ(NgViewerText(folder.path().string()), std::nullopt);  // a folder is no file
    // CR LF and LF lines alike, empty lines kept, a last line without line end, a line of 300
    // characters shown as 255 and 45.
    test::WriteFileBytes(folder.file("text.ng4"), "a\r\n\r\nb\n" + std::string(300, 'x') + "\r\nend");
    EXPECT_EQ(NgViewerText(folder.file("text.ng4")),
              "a\r\n\r\nb\r\n" + std::string(255, 'x') + "\r\n" + std::string(45, 'x') + "\r\nend\r\n");
}

// The browser's line from an NG data file: the better match of each position (a tie is the
// alphabetic one), the largest of those differences as the worst; lines of another shape are no
// characters.
TEST(NgSummary, ReadsTheSavedTimeCharactersAndWorstFromTheFileText) {
    const std::string head = "Character number = 3\r\nSaved date/time = Thu May 07 04:39:00 2026\r\n";
    const struct {
        std::string characters;
        std::string best;
        int worstPosition;
        int worstDifference;
    } cases[] = {
        {"2 Z (Gap[N,A]=6,91), (Dictionary[N,A]=1,2)\r\n1 L (Gap[N,A]=72,23), (x)\r\n", "2L", 1, 23},
        {"4 A (Gap[N,A]=9,9), (x)\r\n", "A", 0, 9},
        {"4 A (Gap[N,A]=5,9), (x)\r\n4 A (Gap[N,A]=x,9), (x)\r\n  ***  \r\n", "4", 0, 5},
    };
    for (const auto& c : cases) {
        const auto summary = SummarizeNgText(head + c.characters);
        ASSERT_TRUE(summary.has_value()) << c.characters;
        EXPECT_EQ(summary->saved, "Thu May 07 04:39:00 2026");
        EXPECT_EQ(summary->characters, c.best) << c.characters;
        EXPECT_EQ(summary->worstPosition, c.worstPosition) << c.characters;
        EXPECT_EQ(summary->worstDifference, c.worstDifference) << c.characters;
    }
    const auto nothingRead = SummarizeNgText(head + "1 - Date nothing.\r\n");  // an NG without characters
    ASSERT_TRUE(nothingRead.has_value());
    EXPECT_EQ(nothingRead->characters, "");
    EXPECT_EQ(nothingRead->worstPosition, -1);
    EXPECT_FALSE(SummarizeNgText("Software version\r\n0105\r\n").has_value());
}

}  // namespace
}  // namespace torv
