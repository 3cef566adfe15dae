// The simulated sensor, as far as the other tests rely on it and neither the fuzz target (any byte stream
// under any fault plan) nor the end-to-end tests (a seed's slots, readings and memory) look: a judgement
// stores the inspection it reports and moves the ring words 9..11 as the sensor does, a store moves to
// the rate it names, an exchange meets the fault planned for it, and the state file keeps the memory.

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/ng_ring.h"
#include "sim/protocol_machine.h"
#include "sim/sensor_model.h"
#include "sim/state_file.h"
#include "tests/support/temp_dir.h"

namespace torv::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint8_t letter, std::uint8_t b1, std::uint8_t b2) {
    return {letter, b1, b2, static_cast<std::uint8_t>(0xFF - letter - b1 - b2)};
}

// Settings that judge at every poll in `mix`, with a fade or a smudge where given.
JudgementSettings EveryPoll(const char* mix, const char* fade = "", const char* smudge = "") {
    JudgementSettings settings;
    EXPECT_TRUE(ParsePace("0", settings) && ParseMix(mix, settings)) << mix;
    EXPECT_TRUE(!*fade || ParseFade(fade, settings)) << fade;
    EXPECT_TRUE(!*smudge || ParseSmudgeEvery(smudge, settings)) << smudge;
    return settings;
}

// At pace 0 every poll judges in the chosen mix; an NG stores the inspection it reports at the slot
// pointer (the trailer is the stored characters), OK and "--" leave the ring alone.
TEST(SimJudgements, EveryPollJudgesInTheMixAndAnNgStoresWhatItReports) {
    const std::pair<const char*, std::uint8_t> mixes[] = {
        {"1,0,0", kJudgementOk}, {"0,1,0", kJudgementNg}, {"0,0,1", kJudgementNone}};
    for (const auto& [mix, status] : mixes) {
        SensorModel model(5, kDefaultRate, kDefaultVersion, EveryPoll(mix));
        for (int poll = 1; poll <= 5; ++poll) {
            const int pointer = model.ngRing().slotPointer();
            const std::uint32_t occupied = model.ngRing().occupancyMask();
            const Judgement j = model.pollJudgement(SimTime(poll));
            ASSERT_EQ(j.status, status) << mix;
            const bool ng = status == kJudgementNg;
            EXPECT_EQ(model.ngRing().slotPointer(), ng ? (pointer + 1) % kNgSlotCount : pointer) << mix;
            EXPECT_EQ(model.state().words[kSlotPointerWord] & 0x1F, model.ngRing().slotPointer());
            EXPECT_EQ(model.ngRing().occupancyMask(), ng ? occupied | (1U << pointer) : occupied) << mix;
            EXPECT_EQ(j.count == 0, status == kJudgementNone) << mix;
            if (!ng) {
                continue;
            }
            const NgInspection& stored = model.ngRing().inspection(pointer);
            ASSERT_EQ(j.count, stored.characters.size());
            ASSERT_EQ(j.trailer.size(), 4U * j.count + 1);
            for (std::size_t i = 0; i < stored.characters.size(); ++i) {
                const NgCharacter& c = stored.characters[i];
                // A signed byte on the poll: the record's larger differences say 127.
                const auto signedByte = [](std::uint8_t d) { return std::min<std::uint8_t>(d, 127); };
                const Bytes expected{signedByte(c.numericalDifference), signedByte(c.alphabeticDifference),
                                     static_cast<std::uint8_t>(c.numerical),
                                     static_cast<std::uint8_t>(c.alphabetic)};
                EXPECT_EQ(Bytes(j.trailer.begin() + 4 * i, j.trailer.begin() + 4 * i + 4), expected) << i;
            }
        }
    }
}

// Character i of a judgement's trailer: its best difference and the character read there (the smaller
// difference; a tie goes to the alphabetic one).
std::pair<int, char> Best(const Judgement& j, int i) {
    const auto* c = &j.trailer.at(4 * static_cast<std::size_t>(i));
    return c[0] < c[1] ? std::pair{int{c[0]}, static_cast<char>(c[2])}
                       : std::pair{int{c[1]}, static_cast<char>(c[3])};
}

bool Spoiled(const Judgement& j, int i) {
    const auto* c = &j.trailer.at(4 * static_cast<std::size_t>(i));
    return c[0] >= 100 && c[0] <= 127 && c[1] >= 100 && c[1] <= 127;
}

// Until AFTER the fading character matches as well as any; near the fade's end its best difference
// is some 50 worse, yet it still reads as itself; the inspection after the fade is the first NG, with
// that character spoiled.
TEST(SimJudgements, AFadeWorsensOneCharacterSteadilyThenEveryProductIsNg) {
    struct Case {
        const char* fade;
        std::string text;
        int position, length, after;
    };
    const Case cases[] = {
        {"3,4000", "ABC123", 3, 4000, 500}, {"1,200,0", "7X", 1, 200, 0}, {"6,1,10", "ABC123", 6, 1, 10}};
    for (const Case& c : cases) {
        JudgementStream stream(9, c.text, EveryPoll("100,0,0", c.fade));
        const int at = c.position - 1;
        const int window = std::max(1, c.length / 10);
        std::vector<int> nearEnd;
        for (int k = 1; k <= c.after + c.length + 3; ++k) {
            const Judgement j = stream.poll(SimTime(k));
            const bool gone = k > c.after + c.length;
            ASSERT_EQ(j.status, gone ? kJudgementNg : kJudgementOk) << c.fade << " at " << k;
            if (gone) {
                EXPECT_TRUE(Spoiled(j, at)) << c.fade << " at " << k;
                continue;
            }
            const auto [best, read] = Best(j, at);
            EXPECT_EQ(read, c.text[static_cast<std::size_t>(at)]) << c.fade << " at " << k;
            if (k <= c.after) {
                EXPECT_LE(best, 20) << c.fade << " at " << k;
            } else if (k > c.after + c.length - window) {
                nearEnd.push_back(best);
            }
        }
        const double mean = std::accumulate(nearEnd.begin(), nearEnd.end(), 0.0) / nearEnd.size();
        EXPECT_GE(mean, 50) << c.fade;
        EXPECT_LE(mean, 70) << c.fade;
    }
}

// Exactly every N-th product is NG, with one character spoiled and the others matched well; the sensor
// stores such an NG as any other.
TEST(SimJudgements, SmudgeEveryNSpoilsOneCharacterOfEveryNthProduct) {
    const std::pair<const char*, std::string> cases[] = {{"1", "AB12"}, {"3", "ABC123"}, {"7", "X"}};
    for (const auto& [every, text] : cases) {
        JudgementStream stream(9, text, EveryPoll("100,0,0", "", every));
        const int n = std::stoi(every);
        for (int k = 1; k <= 10 * n; ++k) {
            const Judgement j = stream.poll(SimTime(k));
            const bool smudged = k % n == 0;
            ASSERT_EQ(j.status, smudged ? kJudgementNg : kJudgementOk) << every << " at " << k;
            int spoiled = 0;
            for (int i = 0; i < static_cast<int>(text.size()); ++i) {
                spoiled += Spoiled(j, i) ? 1 : 0;
                EXPECT_TRUE(Spoiled(j, i) || Best(j, i).first <= 20) << every << " at " << k << ": " << i;
            }
            EXPECT_EQ(spoiled, smudged ? 1 : 0) << every << " at " << k;
        }
    }
    SensorModel model(5, kDefaultRate, kDefaultVersion, EveryPoll("1,0,0", "", "2"));
    const int pointer = model.ngRing().slotPointer();
    EXPECT_EQ(model.pollJudgement(SimTime(1)).status, kJudgementOk);
    EXPECT_EQ(model.pollJudgement(SimTime(2)).status, kJudgementNg);
    EXPECT_EQ(model.ngRing().slotPointer(), (pointer + 1) % kNgSlotCount);
}

TEST(SimJudgements, FadeAndSmudgeTakeOnlyWholeNumbersInRange) {
    for (const char* bad : {"0,100", "33,100", "3", "3,0", "3,100,x", "", "3,1000001", "3,100,1000001",
                            "3,100,5,6", "-3,100", "3,,5", " 3,100", "3,100,"}) {
        JudgementSettings settings;
        EXPECT_FALSE(ParseFade(bad, settings)) << bad;
    }
    for (const char* bad : {"0", "", "x", "1000001", "-1", "5 ", "2,3"}) {
        JudgementSettings settings;
        EXPECT_FALSE(ParseSmudgeEvery(bad, settings)) << bad;
    }
    JudgementSettings settings;
    ASSERT_TRUE(ParseFade("32,1000000,0", settings) && ParseSmudgeEvery("1000000", settings));
    EXPECT_EQ(
        std::vector({settings.fadePosition, settings.fadeLength, settings.fadeAfter, settings.smudgeEvery}),
        std::vector({32, 1000000, 0, 1000000}));
    ASSERT_TRUE(ParseFade("3,100", settings));
    EXPECT_EQ(settings.fadeAfter, 500);
}

// The pointer's high byte is not the pointer's; a pointer outside the ring, as a `W` could leave it, is
// taken modulo 30; the record's bank byte (offset 584) is the stored one.
TEST(SimNgRing, StoringMovesThePointerAndSetsTheSlotsBitInWords9To11) {
    WordMemory words(kWordCount, 0);
    NgRing ring(5, words);
    words[kSlotPointerWord] = 0x1200 | 29;
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
    words[kSlotPointerWord] = 31;
    ring.storeInspection(ring.nextInspection());
    EXPECT_EQ(ring.slotPointer(), 2);
    EXPECT_EQ(ring.occupancyMask(), (1U << 29) | 3U);
}

// One sensor with its machine; every frame arrives 10 ms after the previous one.
struct Sensor {
    explicit Sensor(int rate = kDefaultRate) : model(7, rate, "0105"), machine(model, faults) {}

    ProtocolEvent send(const Bytes& frame) {
        now += 10ms;
        std::vector<ProtocolEvent> events = machine.feed(frame, now);
        return events.size() == 1 ? events.front() : ProtocolEvent{};
    }
    Bytes reply(std::uint8_t letter, std::uint8_t b1, std::uint8_t b2) {
        return send(Frame(letter, b1, b2)).reply;
    }

    FaultPlan faults;
    SensorModel model;
    ProtocolMachine machine;
    SimTime now{};
};

TEST(SimProtocol, StoreMovesToTheRateInWordFourBits8To10AndZeroKeepsTheRate) {
    // COMMUNIC k and the rate it names; 0: the rate the sensor had.
    const std::pair<int, int> cases[] = {{0, 0},     {1, 4800},  {2, 9600},   {3, 19200},
                                         {4, 38400}, {5, 57600}, {6, 115200}, {7, 256000}};
    for (const auto& [k, rate] : cases) {
        for (int start : {9600, 115200}) {
            Sensor sensor(start);
            sensor.reply(kReadWord, 4, 0);
            sensor.reply(kWriteWord, 0xFF, static_cast<std::uint8_t>(0xF8 | k));  // every other bit set
            const ProtocolEvent store = sensor.send(Frame(kStore, 0x12, 0x34));
            EXPECT_TRUE(store.stored);
            EXPECT_EQ(sensor.model.state().rate, rate != 0 ? rate : start) << k << " from " << start;
        }
    }
}

TEST(SimProtocol, StoreFrameSeenAfterTheToolSwitchedIsRecognized) {
    Sensor sensor;
    sensor.reply(kReadWord, 4, 0);
    sensor.reply(kWriteWord, 0x00, 0x16);  // COMMUNIC 6: 115200
    const Bytes store = Frame(kStore, 0, 0x16);
    EXPECT_TRUE(sensor.machine.completesStoreTo(store, 115200));
    EXPECT_FALSE(sensor.machine.completesStoreTo(store, 9600));
    EXPECT_FALSE(sensor.machine.completesStoreTo(Bytes{kStore, 0, 0x16, 0x00}, 115200));
}

TEST(SimFaultPlan, ExactEntriesWinOverOnwardOnes) {
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

}  // namespace
}  // namespace torv::sim
