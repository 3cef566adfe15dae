// The simulated sensor's production line: the judgement stream (pace and mix), the NG ring (storing a
// new NG moves the pointer and the occupancy bits as the sensor does, and every slot's record agrees with
// what was printed), the recognized characters (a new reading with every product, handed over at
// `S 6,0` and held while the tool reads its patterns; plane B the font shape, plane A now and then a dot
// off it) and the front panel the remote keys move.

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <chrono>
#include <set>
#include <string>

#include "sim/front_panel.h"
#include "sim/judgement_stream.h"
#include "sim/ng_ring.h"
#include "sim/recognized_line.h"
#include "sim/sensor_model.h"

namespace torv::sim {
namespace {

using namespace std::chrono_literals;

TEST(SimJudgements, PaceAndMixOptions) {
    const struct {
        const char* text;
        bool valid;
        int shortest;
        int longest;
    } paces[] = {{"0", true, 0, 0},      {"250", true, 250, 250}, {"50-80", true, 50, 80},
                 {"80-50", false, 0, 0}, {"-5", false, 0, 0},     {"60001", false, 0, 0},
                 {"10-", false, 0, 0},   {"1x", false, 0, 0},     {"", false, 0, 0}};
    for (const auto& c : paces) {
        JudgementSettings settings;
        EXPECT_EQ(ParsePace(c.text, settings), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(settings.shortestInterval.count(), c.shortest) << c.text;
            EXPECT_EQ(settings.longestInterval.count(), c.longest) << c.text;
        }
    }
    const struct {
        const char* text;
        bool valid;
    } mixes[] = {{"85,12,3", true},  {"0,1,0", true},   {"0,0,0", false}, {"1,2", false},
                 {"1,2,3,4", false}, {"1,2,3,", false}, {"1,,3", false},  {"1001,0,0", false}};
    for (const auto& c : mixes) {
        JudgementSettings settings;
        EXPECT_EQ(ParseMix(c.text, settings), c.valid) << c.text;
    }
}

// At pace 0 every poll is a new judgement; a mix of only NG gives only NG with one spoiled character,
// a mix of only "--" reads nothing; the characters are the recognized ones, digit for digit.
TEST(SimJudgements, PaceZeroJudgesAtEveryPollInTheChosenMix) {
    const struct {
        const char* mix;
        std::uint8_t status;
        std::uint8_t count;
    } cases[] = {{"1,0,0", kJudgementOk, 3}, {"0,1,0", kJudgementNg, 3}, {"0,0,1", kJudgementNone, 0}};
    for (const auto& c : cases) {
        JudgementSettings settings;
        ASSERT_TRUE(ParsePace("0", settings));
        ASSERT_TRUE(ParseMix(c.mix, settings));
        JudgementStream stream(7, "A12", settings);
        for (int poll = 0; poll < 20; ++poll) {
            const Judgement j = stream.poll(SimTime(poll));
            EXPECT_EQ(j.status, c.status) << c.mix;
            ASSERT_EQ(j.count, c.count) << c.mix;
            EXPECT_EQ(j.spoiled >= 0, c.status == kJudgementNg) << c.mix;
            if (c.count > 0) {
                EXPECT_EQ(j.trailer.size(), 4u * c.count + 1);
                EXPECT_EQ(j.trailer[3], 'A');  // alphabetic character of the letter
                EXPECT_EQ(j.trailer[6], '1');  // numerical character of the first digit
            }
        }
    }
}

// An NG judgement stores a new inspection at the slot pointer (words 9..11 follow) and reports what
// that inspection read; an OK judgement leaves the ring alone.
TEST(SimJudgements, AnNgJudgementStoresTheInspectionItReports) {
    for (const char* mix : {"0,1,0", "1,0,0"}) {
        JudgementSettings settings;
        ASSERT_TRUE(ParsePace("0", settings) && ParseMix(mix, settings));
        SensorModel model(5, kDefaultRate, kDefaultVersion, settings);
        const int pointer = model.ngRing().slotPointer();
        const Judgement j = model.pollJudgement(SimTime(1));
        const bool ng = j.status == kJudgementNg;
        EXPECT_EQ(ng, mix[0] == '0');
        EXPECT_EQ(model.ngRing().slotPointer(), ng ? (pointer + 1) % kNgSlotCount : pointer) << mix;
        EXPECT_EQ(model.state().words[kSlotPointerWord] & 0x1F, model.ngRing().slotPointer());
        if (!ng) {
            continue;
        }
        EXPECT_NE(model.ngRing().occupancyMask() & (1U << pointer), 0U);
        const NgInspection& stored = model.ngRing().inspection(pointer);
        ASSERT_EQ(j.count, stored.characters.size());
        ASSERT_EQ(j.trailer.size(), j.count == 0 ? 0U : 4U * j.count + 1);
        for (std::size_t i = 0; i < stored.characters.size(); ++i) {
            EXPECT_EQ(j.trailer[4 * i], stored.characters[i].numericalDifference);
            EXPECT_EQ(j.trailer[4 * i + 1], stored.characters[i].alphabeticDifference);
            EXPECT_EQ(j.trailer[4 * i + 2], stored.characters[i].numerical);
            EXPECT_EQ(j.trailer[4 * i + 3], stored.characters[i].alphabetic);
        }
    }
}

// UP and DOWN step BANK (common word 0, bits 0..4) and keep the other bits; from TCH (16) UP goes to
// bank 0; SET and EXIT switch the mode; VIEW steps the page; VIEW+UP and VIEW+DOWN the NG slot.
TEST(SimFrontPanel, KeysMoveThePanel) {
    WordMemory words(kWordCount, 0);
    words[0] = 0x0800 | 15;
    FrontPanel panel;
    const struct {
        std::uint8_t key;
        int bank;
        PanelMode mode;
        int page;
        int slot;
    } steps[] = {
        {1, 0, PanelMode::kRun, 0, 1},      {2, 15, PanelMode::kRun, 0, 1},   {2, 14, PanelMode::kRun, 0, 1},
        {4, 14, PanelMode::kSetting, 0, 1}, {8, 14, PanelMode::kRun, 0, 1},   {16, 14, PanelMode::kRun, 1, 1},
        {16, 14, PanelMode::kRun, 2, 1},    {17, 14, PanelMode::kRun, 2, 30}, {18, 14, PanelMode::kRun, 2, 1},
        {18, 14, PanelMode::kRun, 2, 2},    {32, 14, PanelMode::kRun, 2, 2},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(PressPanelKey(panel, words, s.key), s.key != 32);
        EXPECT_EQ(words[0] & 0x1F, s.bank) << int(s.key);
        EXPECT_EQ(words[0] & ~0x1F, 0x0800);
        EXPECT_EQ(panel, (FrontPanel{s.mode, s.page, s.slot})) << int(s.key);
    }
    EXPECT_EQ(DescribePanel(panel, words, 18),
              "key VIEW+DOWN: run mode, bank 14, view page 3 (characters), NG slot 2");
    words[0] = 16;
    PressPanelKey(panel, words, 4);
    EXPECT_EQ(DescribePanel(panel, words, 4),
              "key SET: setting mode, bank TCH, view page 3 (characters), NG slot 2");
    PressPanelKey(panel, words, 1);
    EXPECT_EQ(words[0], 0);
}

std::string TwoDigits(int value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

TEST(SimNgRing, StoringMovesThePointerAndSetsTheSlotsBitInWords9To11) {
    WordMemory words(kWordCount, 0);
    NgRing ring(5, words);
    words[kSlotPointerWord] = 0x1200 | 29;  // the high byte is not the pointer's
    words[kOccupancyLowWord] = 0;
    words[kOccupancyHighWord] = 0;
    NgInspection stored = ring.nextInspection();
    stored.bank = 13;
    ring.storeInspection(stored);
    EXPECT_EQ(words[kSlotPointerWord], 0x1200);
    EXPECT_EQ(words[kOccupancyHighWord], 1U << 13);  // slot 29
    EXPECT_EQ(words[kOccupancyLowWord], 0);
    EXPECT_EQ(ring.block(29, kFirstResultBlock + 2)[584 - 512], 13);
    ring.storeInspection(ring.nextInspection());
    EXPECT_EQ(ring.slotPointer(), 1);
    EXPECT_EQ(ring.occupancyMask(), (1U << 29) | 1U);
    // A pointer outside the ring, as a `W` could leave it, is taken modulo 30.
    words[kSlotPointerWord] = 31;
    ring.storeInspection(ring.nextInspection());
    EXPECT_EQ(ring.slotPointer(), 2);
    EXPECT_EQ(ring.occupancyMask(), (1U << 29) | 3U);
}

TEST(SimNgRing, NewInspectionsAreLaterThanTheNewestAndTheSameForTheSameSeed) {
    WordMemory a(kWordCount, 0);
    WordMemory b(kWordCount, 0);
    NgRing first(9, a);
    NgRing second(9, b);
    const int newestSlot = (first.slotPointer() + kNgSlotCount - 1) % kNgSlotCount;
    const NgInspection& newest = first.inspection(newestSlot);
    const NgInspection next = first.nextInspection();
    EXPECT_GT(next.savedDay * kMinutesPerDay + next.savedMinute,
              newest.savedDay * kMinutesPerDay + newest.savedMinute);
    EXPECT_EQ(BuildResultRecord(next), BuildResultRecord(second.nextInspection()));
}

// What the record says agrees with what was printed: a found date format is the printed date, a found
// time the printed time, the saved time lies within time check 1, and a format whose line holds a
// poorly matched character found nothing.
TEST(SimNgRing, RecordsAgreeWithThePrintedLines) {
    WordMemory words(kWordCount, 0);
    NgRing ring(1, words);
    int checkedDates = 0;
    for (int slot = 0; slot < kNgSlotCount; ++slot) {
        const NgInspection& in = ring.inspection(slot);
        ASSERT_LE(in.characters.size(), static_cast<std::size_t>(kMaxRecordChars));
        EXPECT_GE(in.savedMinute, in.timeLower[0]);
        EXPECT_LE(in.savedMinute, in.timeUpper[0]);
        for (std::size_t line = 0; line < in.lines.size(); ++line) {
            std::string printed;
            bool poor = false;
            for (int index : in.lines[line]) {
                const NgCharacter& c = in.characters[static_cast<std::size_t>(index)];
                printed += c.printed;
                poor = poor || std::min(c.numericalDifference, c.alphabeticDifference) > kPoorMatchDifference;
                EXPECT_EQ(c.startsLine, line > 0 && index == in.lines[line].front());
            }
            const std::uint16_t value = in.formatValues[line];
            EXPECT_EQ(value == 0xFFFF, poor) << slot << " line " << line;
            if (line == 0 && value != 0xFFFF) {
                EXPECT_EQ(printed, PrintedDate(value));
                ++checkedDates;
            }
            if (line == 1 && value != 0xFFFF) {
                EXPECT_EQ(printed, TwoDigits(value / 60) + TwoDigits(value % 60));
            }
        }
    }
    EXPECT_GT(checkedDates, 0);
    EXPECT_EQ(PrintedDate(0), "000101");
    EXPECT_EQ(PrintedDate(59), "000229");
    EXPECT_EQ(PrintedDate(9497), "260101");
}

int DotsOff(const CharacterPattern& pattern) {
    int off = 0;
    for (int row = 0; row < kGridSize; ++row) {
        off += static_cast<int>(std::bitset<8>(pattern[row] ^ pattern[8 + row]).count());
    }
    return off;
}

TEST(SimRecognized, EachProductReadsAfreshAndAReadKeepsTheOneHandedOver) {
    RecognizedLine line(1);
    line.setInterval(1s);
    line.advanceTo(SimTime(0));
    const RecognizedReading first = line.newest();
    ASSERT_EQ(line.handOver(), static_cast<int>(first.size()));
    line.advanceTo(SimTime(1500ms));
    EXPECT_EQ(TextOf(line.newest()), TextOf(ProductReading(1, 1)));
    // The patterns still come from the reading handed over, until the next `S 6,0`.
    EXPECT_EQ(line.patternPair(0, 0),
              (std::array<std::uint8_t, 2>{first[0].pattern[0], first[0].pattern[1]}));
    EXPECT_EQ(line.patternPair(static_cast<int>(first.size()), 0), (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_EQ(line.handOver(), static_cast<int>(ProductReading(1, 1).size()));

    std::set<std::size_t> counts;
    int marked = 0;
    for (int product = 0; product < 20; ++product) {
        const RecognizedReading reading = ProductReading(1, product);
        counts.insert(reading.size());
        for (const RecognizedCharacter& c : reading) {
            const GlyphRows shape = Glyph(c.code);
            const CharacterPattern clean = MakePattern(shape, shape);
            EXPECT_TRUE(std::equal(clean.begin() + 8, clean.end(), c.pattern.begin() + 8))
                << c.code;  // plane B
            EXPECT_LE(DotsOff(c.pattern), 1) << c.code;
            marked += DotsOff(c.pattern);
        }
    }
    EXPECT_GT(counts.size(), 2U);
    EXPECT_GT(marked, 0);
}

TEST(SimRecognized, AFixedTextStaysWhateverTheTime) {
    RecognizedLine line(1);
    line.setInterval(1s);
    line.readAlways("A12");
    line.advanceTo(SimTime(0));
    line.advanceTo(SimTime(10s));
    EXPECT_EQ(TextOf(line.newest()), "A12");
    EXPECT_EQ(line.handOver(), 3);
    EXPECT_EQ(TextOf(FixedReading(1, "")), "");
}

}  // namespace
}  // namespace torv::sim
