// The simulated sensor's judgement stream (pace and mix) and the front panel the remote keys move.

#include <gtest/gtest.h>

#include "sim/front_panel.h"
#include "sim/judgement_stream.h"
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

}  // namespace
}  // namespace torv::sim
