// The simulated sensor's memory model: seeded parameter words, the fault plan and the state file.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "params/fields.h"
#include "sim/fault_plan.h"
#include "sim/sensor_model.h"
#include "sim/state_file.h"
#include "tests/support/temp_dir.h"

namespace torv::sim {
namespace {

// The sensor's words as the tool holds them after reading its parameters.
ParameterSet ToolSet(const WordMemory& words) {
    ParameterSet set;
    for (int i = 0; i < torv::kCommonWordCount; ++i) {
        set.common[i] = words[i];
    }
    for (int b = 0; b < kBankCount; ++b) {
        for (int i = 0; i < kBankWordCount; ++i) {
            set.bank[b][i] = words[BankWordAddress(b, i)];
        }
    }
    return set;
}

// The tool's editor is the yardstick: storing what it shows gives back the same words only when every
// field lies inside its catalogue range, the fixed bits are set and no bit outside a field is.
TEST(SimSeed, ParameterWordsKeepTheFixedBitsAndTheCatalogueRanges) {
    const std::size_t communic = FindParameterIndex("COMMUNIC").value();  // 7 (256000) is past its list
    for (std::uint64_t seed : {1ULL, 2ULL, 99ULL}) {
        for (int rate : kSensorRates) {
            const ParameterSet seeded = ToolSet(SensorModel(seed, rate, "0105").state().words);
            EXPECT_EQ((seeded.common[kCommunicWord] >> kCommunicShift) & kCommunicMask,
                      CommunicForRate(rate));
            for (int bank = 0; bank < kBankCount; ++bank) {
                const FieldInputs inputs = ReadFieldInputs(seeded, bank);
                for (std::size_t i = 0; i < kParameterCount; ++i) {
                    if (i != communic && kParameterCatalogue[i].kind == ParameterKind::kList) {
                        EXPECT_NE(inputs[i].index, FieldInput::kNoEntry) << kParameterCatalogue[i].key;
                    }
                }
                ParameterSet stored = seeded;
                ASSERT_TRUE(StoreBank(stored, bank, inputs));
                EXPECT_EQ(stored, seeded) << "seed " << seed << " rate " << rate << " bank " << bank;
            }
        }
    }
}

TEST(SimFaultPlan, ExactEntriesWinOverOnwardOnesAndMalformedTextsAddNothing) {
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
    const std::pair<const char*, FaultParseResult> cases[] = {
        {"3", FaultParseResult::kMissingEquals},    {"0=nak", FaultParseResult::kBadExchange},
        {"x=nak", FaultParseResult::kBadExchange},  {"3++=nak", FaultParseResult::kBadExchange},
        {"3=none", FaultParseResult::kUnknownKind}, {"3=NAK", FaultParseResult::kUnknownKind},
    };
    for (const auto& [text, result] : cases) {
        FaultPlan empty;
        EXPECT_EQ(empty.add(text), result) << text;
        EXPECT_TRUE(empty.empty()) << text;
    }
}

TEST(SimStateFile, RoundTripsTheWholeState) {
    test::TempDir dir;
    SensorState state = SensorModel(3, 9600, "A1b2").state();
    state.calendar = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 255};
    state.keyLog = {1, 2, 4, 8, 16, 17, 18};
    state.words[65535] = 0xFFFF;
    const std::string path = dir.file("state.txt");
    ASSERT_EQ(SaveStateFile(path, state), StateFileResult::kSaved);
    SensorState loaded;
    ASSERT_EQ(LoadStateFile(path, loaded), StateFileResult::kLoaded);
    EXPECT_EQ(loaded, state);
    EXPECT_EQ(LoadStateFile(dir.file("missing.txt"), loaded), StateFileResult::kNotFound);
}

TEST(SimStateFile, TakesCrLfAndCommentsButNothingOfAFileWithABrokenLine) {
    SensorState s;
    ASSERT_EQ(ParseState("# saved\r\nrate 9600\r\n\r\nword 12 24\r\n", s), StateFileResult::kLoaded);
    EXPECT_EQ(s.rate, 9600);
    EXPECT_EQ(s.words[12], 24);
    for (const char* line :
         {"rate 12345", "version 010", "word 65536 1", "word 1 65536", "word 1", "word -1 2", "calendar 16 0",
          "calendar 1 256", "key 300", "key 1x", "colour blue"}) {
        SensorState kept = s;
        EXPECT_EQ(ParseState("rate 4800\nword 3 3\n" + std::string(line) + "\n", kept),
                  StateFileResult::kInvalid)
            << line;
        EXPECT_EQ(kept, s) << line;
    }
}

}  // namespace
}  // namespace torv::sim
