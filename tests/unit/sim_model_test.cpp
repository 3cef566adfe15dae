// The simulated sensor's memory model: seeded words, NG ring, fault plan, state file and exchange log.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/exchange_log.h"
#include "sim/fault_plan.h"
#include "sim/parameter_seed.h"
#include "sim/sensor_model.h"
#include "sim/state_file.h"
#include "tests/support/temp_dir.h"

namespace torv::sim {
namespace {

// The parameter catalogue's fields (word, first bit, width, largest stored value), written out here
// independently of the seeding code.
struct Field {
    int word;
    int bit;
    int width;
    int max;
};

constexpr Field kCommon[] = {
    {0, 0, 5, 17}, {0, 8, 2, 3},  {0, 10, 3, 5}, {2, 0, 15, 5000}, {2, 15, 1, 1}, {3, 0, 16, 5000},
    {4, 0, 1, 1},  {4, 1, 2, 2},  {4, 3, 3, 4},  {4, 6, 1, 1},     {4, 8, 3, 7},  {4, 12, 1, 1},
    {4, 13, 2, 1}, {5, 0, 8, 40}, {6, 1, 1, 1},  {6, 8, 4, 15},    {6, 13, 3, 4},
};

constexpr Field kBank[] = {
    {0, 0, 8, 255},    {0, 8, 2, 1},      {1, 0, 8, 132},    {1, 8, 4, 15},     {1, 13, 3, 4},
    {2, 0, 1, 1},      {2, 1, 8, 255},    {2, 9, 1, 1},      {2, 10, 4, 11},    {2, 15, 1, 1},
    {3, 0, 8, 63},     {4, 0, 8, 20},     {4, 8, 8, 255},    {5, 0, 8, 20},     {5, 8, 8, 255},
    {6, 0, 8, 200},    {6, 8, 8, 243},    {7, 0, 8, 200},    {7, 8, 8, 243},    {8, 1, 6, 63},
    {8, 8, 8, 132},    {9, 0, 8, 10},     {10, 0, 16, 100},  {11, 5, 3, 7},     {11, 8, 5, 30},
    {11, 13, 3, 6},    {12, 0, 16, 5999}, {13, 0, 16, 5999}, {14, 0, 16, 1000}, {15, 0, 16, 1000},
    {16, 0, 16, 1439}, {17, 0, 16, 1439}, {18, 0, 16, 720},  {19, 0, 16, 720},  {20, 0, 16, 13},
    {21, 0, 16, 13},   {22, 0, 16, 13},   {23, 0, 16, 13},   {35, 0, 13, 8000}, {35, 14, 2, 3},
};

constexpr int kStringFirstWord = 24;
constexpr int kStringLastWord = 34;

template <std::size_t N>
void ExpectWithinCatalogue(const WordMemory& words, int base, const Field (&fields)[N], int wordCount) {
    std::vector<std::uint32_t> named(wordCount, 0);
    for (const Field& f : fields) {
        const int value = (words[base + f.word] >> f.bit) & ((1 << f.width) - 1);
        EXPECT_LE(value, f.max) << "word " << base + f.word << " bit " << f.bit;
        named[f.word] |= ((1U << f.width) - 1) << f.bit;
    }
    for (int w = 0; w < wordCount; ++w) {
        const bool isString = wordCount == kBankWordCount && w >= kStringFirstWord && w <= kStringLastWord;
        if (!isString && w != kSlotPointerWord && w != kOccupancyLowWord && w != kOccupancyHighWord) {
            EXPECT_EQ(words[base + w] & ~named[w], 0U) << "unnamed bits in word " << base + w;
        }
    }
}

TEST(SimSeed, ParameterWordsKeepTheFixedBitsAndTheCatalogueRanges) {
    for (std::uint64_t seed : {1ULL, 2ULL, 99ULL, 123456789ULL}) {
        for (int rate : kSensorRates) {
            const SensorModel model(seed, rate, "0105");
            const WordMemory& words = model.state().words;
            EXPECT_NE(words[4] & (1U << 12), 0U);
            EXPECT_NE(words[6] & (1U << 1), 0U);
            EXPECT_LE(words[0] & 0x1F, 15) << "BANK names a bank";
            EXPECT_EQ((words[4] >> 8) & 7, CommunicForRate(rate));
            ExpectWithinCatalogue(words, 0, kCommon, kCommonWordCount);
            for (int bank = 0; bank < kBankCount; ++bank) {
                const int base = kFirstBankWord + bank * kBankWordCount;
                EXPECT_EQ(words[base + 8] & 0xFF, 0x7E);
                ExpectWithinCatalogue(words, base, kBank, kBankWordCount);
            }
        }
    }
}

TEST(SimSeed, ParameterSetDiffersFromTheInitialSetAndBetweenBanks) {
    const SensorModel model(1, kDefaultRate, "0105");
    const WordMemory& w = model.state().words;
    EXPECT_NE(w[0], 2065);
    EXPECT_NE(w[4], 4128);
    int differingBanks = 0;
    for (int bank = 1; bank < kBankCount; ++bank) {
        differingBanks += w[kFirstBankWord + bank * kBankWordCount] != w[kFirstBankWord] ? 1 : 0;
    }
    EXPECT_GE(differingBanks, kBankCount / 2);
}

TEST(SimSeed, DictionaryHoldsRecordsWithMarkedRows) {
    const SensorModel model(5, kDefaultRate, "0105");
    const WordMemory& w = model.state().words;
    ASSERT_EQ(w[kDictionaryLengthWord], 8 * kSeededDictionaryChars);
    for (int i = 0; i < kSeededDictionaryChars; ++i) {
        const int first = kDictionaryFirstWord + kWordsPerRecord * i;
        EXPECT_GT(w[first] & 0xFF, ' ') << "printable code";
        EXPECT_EQ(w[first] & 0x8000, 0x8000) << "row 1";
        for (int k = 1; k < kWordsPerRecord; ++k) {
            EXPECT_EQ(w[first + k] & 0x8080, 0x8080) << "rows " << 2 * k << ", " << 2 * k + 1;
        }
    }
}

TEST(SimSeed, RingWordsDescribeTheGeneratedSlots) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        const SensorModel model(seed, kDefaultRate, "0105");
        const WordMemory& w = model.state().words;
        const int pointer = w[kSlotPointerWord] & 0xFF;
        const std::uint32_t mask =
            w[kOccupancyLowWord] | (static_cast<std::uint32_t>(w[kOccupancyHighWord]) << 16);
        ASSERT_LT(pointer, kNgSlotCount);
        EXPECT_EQ(mask >> kNgSlotCount, 0U);
        EXPECT_NE(mask & (1U << ((pointer + kNgSlotCount - 1) % kNgSlotCount)), 0U)
            << "the newest NG is stored";
    }
}

TEST(SimSeed, SameSeedGivesTheSameSensor) {
    const SensorModel a(42, kDefaultRate, "0105");
    const SensorModel b(42, kDefaultRate, "0105");
    const SensorModel c(43, kDefaultRate, "0105");
    EXPECT_EQ(a.state(), b.state());
    EXPECT_NE(a.state(), c.state());
    EXPECT_EQ(a.ngBlock(0, 100), b.ngBlock(0, 100));
}

TEST(SimFaultPlan, ExactEntriesWinOverOnwardEntries) {
    FaultPlan plan;
    for (const char* text : {"3+=nak", "5=silence", "7+=delay", "2=hangup"}) {
        ASSERT_EQ(plan.add(text), FaultParseResult::kOk) << text;
    }
    const FaultKind expected[] = {FaultKind::kNone,  FaultKind::kHangup,  FaultKind::kNak,
                                  FaultKind::kNak,   FaultKind::kSilence, FaultKind::kNak,
                                  FaultKind::kDelay, FaultKind::kDelay};
    for (int exchange = 1; exchange <= 8; ++exchange) {
        EXPECT_EQ(plan.lookup(exchange), expected[exchange - 1]) << exchange;
    }
}

TEST(SimFaultPlan, RejectsMalformedSpecs) {
    const struct {
        const char* text;
        FaultParseResult result;
    } cases[] = {
        {"3", FaultParseResult::kMissingEquals},     {"=nak", FaultParseResult::kBadExchange},
        {"0=nak", FaultParseResult::kBadExchange},   {"x=nak", FaultParseResult::kBadExchange},
        {"3++=nak", FaultParseResult::kBadExchange}, {"3=", FaultParseResult::kUnknownKind},
        {"3=none", FaultParseResult::kUnknownKind},  {"3=NAK", FaultParseResult::kUnknownKind},
    };
    for (const auto& c : cases) {
        FaultPlan plan;
        EXPECT_EQ(plan.add(c.text), c.result) << c.text;
        EXPECT_TRUE(plan.empty()) << c.text;
    }
}

SensorState SmallState() {
    SensorState s;
    s.rate = 115200;
    s.version = "A1b2";
    s.words[4] = 0x1600;
    s.words[65535] = 1;
    s.calendar[2] = 0x59;
    s.keyLog = {17, 4, 17};
    return s;
}

TEST(SimStateFile, WritesEveryNonZeroWordAllRegistersAndTheKeyLog) {
    std::string expected = "rate 115200\nversion A1b2\nword 4 5632\nword 65535 1\n";
    for (int r = 0; r < kCalendarRegisterCount; ++r) {
        expected += "calendar " + std::to_string(r) + (r == 2 ? " 89\n" : " 0\n");
    }
    expected += "key 17\nkey 4\nkey 17\n";
    EXPECT_EQ(FormatState(SmallState()), expected);
}

TEST(SimStateFile, RoundTripsTheWholeState) {
    test::TempDir dir;
    const SensorModel model(3, 9600, "0105");
    SensorState state = model.state();
    state.calendar = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 255};
    state.keyLog = {1, 2, 4, 8, 16, 17, 18};
    const std::string path = dir.file("state.txt");
    ASSERT_EQ(SaveStateFile(path, state), StateFileResult::kSaved);
    SensorState loaded;
    ASSERT_EQ(LoadStateFile(path, loaded), StateFileResult::kLoaded);
    EXPECT_EQ(loaded, state);
    EXPECT_EQ(LoadStateFile(dir.file("missing.txt"), loaded), StateFileResult::kNotFound);
}

TEST(SimStateFile, AcceptsCrLfCommentsAndBlankLines) {
    SensorState s;
    ASSERT_EQ(ParseState("# saved\r\nrate 9600\r\n\r\nword 12 24\r\n", s), StateFileResult::kLoaded);
    EXPECT_EQ(s.rate, 9600);
    EXPECT_EQ(s.words[12], 24);
}

TEST(SimStateFile, RejectsBrokenLinesAndKeepsThePreviousState) {
    for (const char* text : {"rate 12345\n", "rate\n", "version 01 05\n", "version 010\n", "word 65536 1\n",
                             "word 1 65536\n", "word 1\n", "word -1 2\n", "calendar 16 0\n",
                             "calendar 1 256\n", "key 300\n", "key 1x\n", "colour blue\n"}) {
        SensorState s = SmallState();
        EXPECT_EQ(ParseState(text, s), StateFileResult::kInvalid) << text;
        EXPECT_EQ(s, SmallState()) << text;
    }
}

TEST(SimExchangeLog, FormatsExchangesNaksAndGarbage) {
    ProtocolEvent e;
    e.outcome = FrameOutcome::kExchange;
    e.exchange = 12;
    e.frame = {'W', 0x0A, 0xFF, 0x00};
    EXPECT_EQ(FormatEventLine(e), "12 W 0A FF");
    e.fault = FaultKind::kTruncate;
    EXPECT_EQ(FormatEventLine(e), "12 W 0A FF fault=truncate");
    e.outcome = FrameOutcome::kRejected;
    e.frame = {0x52, 0x00, 0x00, 0xAC};
    EXPECT_EQ(FormatEventLine(e), "nak 52 00 00 AC");
    EXPECT_EQ(FormatGarbageLine(4, false), "garbage 4");
    EXPECT_EQ(FormatGarbageLine(258, true), "garbage-out 258");
}

}  // namespace
}  // namespace torv::sim
