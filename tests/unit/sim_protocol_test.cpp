// The simulated sensor's protocol machine, driven byte by byte without a pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "sim/protocol_machine.h"

namespace torv::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint8_t letter, std::uint8_t b1, std::uint8_t b2) {
    const std::uint8_t sum = static_cast<std::uint8_t>(letter + b1 + b2);
    return {letter, b1, b2, static_cast<std::uint8_t>(0xFF - sum)};
}

// One sensor with its machine; every frame arrives 10 ms after the previous one.
struct Sensor {
    explicit Sensor(FaultPlan plan = {}, std::uint64_t seed = 7)
        : faults(std::move(plan)), model(seed, kDefaultRate, "0105"), machine(model, faults) {}

    ProtocolEvent send(const Bytes& frame) {
        now += 10ms;
        std::vector<ProtocolEvent> events = machine.feed(frame, now);
        return events.size() == 1 ? events.front() : ProtocolEvent{};
    }
    Bytes reply(std::uint8_t letter, std::uint8_t b1, std::uint8_t b2) {
        return send(Frame(letter, b1, b2)).reply;
    }
    std::uint16_t word(std::uint16_t address) {
        const Bytes r = reply(kReadWord, address & 0xFF, address >> 8);
        return static_cast<std::uint16_t>(r.at(1) | (r.at(2) << 8));
    }
    void write(std::uint16_t address, std::uint16_t value) {
        word(address);
        reply(kWriteWord, value & 0xFF, value >> 8);
    }

    FaultPlan faults;
    SensorModel model;
    ProtocolMachine machine;
    SimTime now{};
};

bool ChecksumHolds(const Bytes& reply, std::size_t frameLength) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < frameLength; ++i) {
        sum = static_cast<std::uint8_t>(sum + reply[i]);
    }
    return reply.size() >= frameLength && reply[frameLength - 1] == static_cast<std::uint8_t>(0xFF - sum);
}

TEST(SimProtocol, ChecksumsMatchTheWorkedFrames) {
    EXPECT_EQ(Frame(kReadWord, 0, 0), (Bytes{0x52, 0x00, 0x00, 0xAD}));
    EXPECT_EQ(Frame(kSensorInfo, 0, 7), (Bytes{0x53, 0x00, 0x07, 0xA5}));
    EXPECT_EQ(BuildReplyFrame(Bytes{0x34, 0x12}), (Bytes{0x06, 0x34, 0x12, 0xB3}));
}

TEST(SimProtocol, AnswersVersionAndWordReads) {
    Sensor sensor;
    EXPECT_EQ(sensor.reply(kSensorInfo, 0, 7), BuildReplyFrame(Bytes{'0', '1'}));
    EXPECT_EQ(sensor.reply(kSensorInfo, 1, 7), BuildReplyFrame(Bytes{'0', '5'}));
    const std::uint16_t w0 = sensor.model.state().words[0];
    EXPECT_EQ(
        sensor.send(Bytes{0x52, 0x00, 0x00, 0xAD}).reply,
        BuildReplyFrame(Bytes{static_cast<std::uint8_t>(w0 & 0xFF), static_cast<std::uint8_t>(w0 >> 8)}));
}

TEST(SimProtocol, ReadPlacesTheWritePositionAndEachWriteAdvancesIt) {
    Sensor sensor;
    sensor.word(700);
    EXPECT_EQ(sensor.reply(kWriteWord, 0x34, 0x12), BuildReplyFrame(Bytes{0x34, 0x12}));
    sensor.reply(kWriteWord, 0x78, 0x56);
    EXPECT_EQ(sensor.word(700), 0x1234);
    EXPECT_EQ(sensor.word(701), 0x5678);
    EXPECT_EQ(sensor.model.writePosition(), 701);

    // The write position wraps from the last word to word 0.
    sensor.word(0xFFFF);
    sensor.reply(kWriteWord, 0x01, 0x00);
    sensor.reply(kWriteWord, 0x02, 0x00);
    EXPECT_EQ(sensor.word(0xFFFF), 1);
    EXPECT_EQ(sensor.word(0), 2);
}

TEST(SimProtocol, StoreMovesToTheRateThatWordFourNames) {
    const struct {
        int k;
        int rate;
    } cases[] = {{0, kDefaultRate}, {1, 4800},  {2, 9600},   {3, 19200},
                 {4, 38400},        {5, 57600}, {6, 115200}, {7, 256000}};
    for (const auto& c : cases) {
        Sensor sensor;
        sensor.write(4, static_cast<std::uint16_t>(0x1000 | (c.k << 8)));
        const ProtocolEvent store = sensor.send(Frame(kStore, 0x12, 0x34));
        EXPECT_TRUE(store.stored) << c.k;
        EXPECT_EQ(store.reply, BuildReplyFrame(Bytes{0x12, 0x34})) << c.k;
        EXPECT_EQ(sensor.model.state().rate, c.rate) << c.k;
    }
}

TEST(SimProtocol, StoreFrameSeenAfterTheToolSwitchedIsRecognized) {
    Sensor sensor;
    sensor.write(4, 0x1600);  // COMMUNIC 6: 115200
    const Bytes store = Frame(kStore, 0, 0x16);
    EXPECT_TRUE(sensor.machine.completesStoreTo(store, 115200));
    EXPECT_FALSE(sensor.machine.completesStoreTo(store, 9600));
    EXPECT_FALSE(sensor.machine.completesStoreTo(Frame(kReadWord, 0, 0), 115200));
    EXPECT_FALSE(sensor.machine.completesStoreTo(Bytes{kStore, 0, 0x16, 0x00}, 115200));
}

TEST(SimProtocol, BadChecksumAndUnknownCommandGetOneNakAndNoExchange) {
    for (const Bytes& frame : {Bytes{0x52, 0x00, 0x00, 0xAC}, Frame('Q', 1, 2), Frame(0x00, 0, 0)}) {
        Sensor sensor;
        const ProtocolEvent event = sensor.send(frame);
        EXPECT_EQ(event.outcome, FrameOutcome::kRejected);
        EXPECT_EQ(event.reply, Bytes{kNak});
        EXPECT_EQ(sensor.send(Frame(kReadWord, 0, 0)).exchange, 1);
    }
}

TEST(SimProtocol, PauseOfMoreThanFiftyMillisecondsStartsANewFrame) {
    Sensor sensor;
    EXPECT_EQ(sensor.machine.feed(0x52, SimTime(0)).outcome, FrameOutcome::kPending);
    auto events = sensor.machine.feed(Frame(kReadWord, 0, 0), SimTime(0) + kFrameGapReset + 1ms);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].outcome, FrameOutcome::kExchange);

    // Exactly 50 ms is still one frame: the stray byte shifts it and the sensor NAKs.
    Sensor other;
    other.machine.feed(0x52, SimTime(0));
    events = other.machine.feed(Frame(kReadWord, 0, 0), SimTime(0) + kFrameGapReset);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].outcome, FrameOutcome::kRejected);
}

TEST(SimProtocol, ByteByByteFeedingEqualsWholeFrames) {
    const std::vector<Bytes> frames = {Frame(kReadWord, 4, 0),    Frame(kWriteWord, 0x55, 0xAA),
                                       Frame(kSensorInfo, 9, 1),  Frame(kReadSlotBlock, 3, 249),
                                       Frame(kSetCalendar, 2, 9), Frame(kKeyPress, 16, 0),
                                       Bytes{0x52, 0, 0, 0},      Frame(kReadWord, 4, 0)};
    Sensor whole;
    Sensor single;
    for (const Bytes& frame : frames) {
        const ProtocolEvent a = whole.send(frame);
        single.now += 10ms;
        ProtocolEvent b;
        for (std::uint8_t byte : frame) {
            b = single.machine.feed(byte, single.now);
        }
        EXPECT_EQ(a.outcome, b.outcome);
        EXPECT_EQ(a.exchange, b.exchange);
        EXPECT_EQ(a.reply, b.reply);
    }
    EXPECT_EQ(whole.model.state(), single.model.state());
}

TEST(SimProtocol, FaultsShapeTheReplyAndKeepOrDropTheEffect) {
    const Bytes normal = BuildReplyFrame(Bytes{0x34, 0x12});
    Bytes wrongSum = normal;
    wrongSum.back() = static_cast<std::uint8_t>(~wrongSum.back());
    const struct {
        const char* fault;
        Bytes reply;
        bool written;
    } cases[] = {
        {"2=silence", {}, false},       {"2=nak", {kNak, 0x34, 0x12, normal.back()}, true},
        {"2=checksum", wrongSum, true}, {"2=truncate", {kAck, 0x34}, true},
        {"2=delay", normal, true},      {"2=hangup", {}, false},
    };
    for (const auto& c : cases) {
        FaultPlan plan;
        ASSERT_EQ(plan.add(c.fault), FaultParseResult::kOk);
        Sensor sensor(plan);
        sensor.word(800);  // exchange 1
        const ProtocolEvent w = sensor.send(Frame(kWriteWord, 0x34, 0x12));
        EXPECT_EQ(w.reply, c.reply) << c.fault;
        EXPECT_EQ(FaultKindName(w.fault), std::string_view(c.fault).substr(2)) << c.fault;
        EXPECT_EQ(sensor.model.state().words[800] == 0x1234, c.written) << c.fault;
    }
}

TEST(SimProtocol, TruncatedBlockReplyCarriesHalfTheData) {
    FaultPlan plan;
    plan.add("1=truncate");
    Sensor sensor(plan);
    const int slot = (sensor.model.state().words[kSlotPointerWord] + kNgSlotCount - 1) % kNgSlotCount;
    EXPECT_EQ(sensor.reply(kReadSlotBlock, static_cast<std::uint8_t>(slot), 249).size(), 1U + kBlockSize / 2);
}

TEST(SimProtocol, JudgementTrailerFollowsOnlyNewJudgementsAndCarriesItsChecksum) {
    Sensor sensor;
    int judged = 0;
    for (int poll = 0; poll < 200; ++poll) {
        sensor.now += 37ms;
        const Bytes r = sensor.send(Frame(kPollJudgement, 0, 0)).reply;
        ASSERT_GE(r.size(), 4U);
        ASSERT_TRUE(ChecksumHolds(r, 4));
        const int n = r[1];
        const int j = r[2] & kJudgementMask;
        if (n == 0 || j == kNoNewJudgement) {
            EXPECT_EQ(r.size(), 4U);
            continue;
        }
        ++judged;
        ASSERT_EQ(r.size(), 4U + 4 * n + 1);
        std::uint8_t sum = 0;
        for (int i = 0; i < 4 * n; ++i) {
            sum = static_cast<std::uint8_t>(sum + r[4 + i]);
        }
        EXPECT_EQ(r.back(), static_cast<std::uint8_t>(0xFF - sum));
    }
    // One inspection every 100..300 ms over about 9 s of polling.
    EXPECT_GE(judged, 20);
    EXPECT_LE(judged, 90);
}

TEST(SimProtocol, SlotBlocksAre256BytesAndRecordsHoldAtMost48Characters) {
    Sensor sensor;
    const std::uint32_t mask = sensor.word(kOccupancyLowWord) | (sensor.word(kOccupancyHighWord) << 16);
    for (int slot = 0; slot <= kNgSlotCount; ++slot) {
        const bool occupied = slot < kNgSlotCount && (mask & (1U << slot)) != 0;
        Bytes record;
        for (int block = kFirstResultBlock; block < kFirstResultBlock + kResultBlockCount; ++block) {
            const Bytes r = sensor.reply(kReadSlotBlock, static_cast<std::uint8_t>(slot),
                                         static_cast<std::uint8_t>(block));
            ASSERT_EQ(r.size(), 2U + kBlockSize);
            EXPECT_TRUE(ChecksumHolds(r, r.size()));
            record.insert(record.end(), r.begin() + 1, r.end() - 1);
        }
        const int n = record[kResultCountOffset];
        EXPECT_LE(n, kMaxRecordChars);
        EXPECT_EQ(n > 0, occupied) << slot;
    }
}

TEST(SimProtocol, ReportsRecognizedCharactersAsCountAndPatternPairs) {
    Sensor sensor;
    EXPECT_EQ(sensor.reply(kSensorInfo, 6, 0), BuildReplyFrame(Bytes{kRecognizedChars, 0}));
    for (int c = 0; c <= kRecognizedChars; ++c) {
        int dots = 0;
        for (int j = 0; j < 8; ++j) {
            const Bytes r = sensor.reply(kSensorInfo, static_cast<std::uint8_t>(8 * c + j), 1);
            ASSERT_EQ(r.size(), 4U);
            EXPECT_EQ(r[1] & 0x80, 0);
            EXPECT_EQ(r[2] & 0x80, 0);
            dots += r[1] + r[2];
        }
        EXPECT_EQ(dots > 0, c < kRecognizedChars) << c;
    }
    EXPECT_EQ(sensor.reply(kSensorInfo, 2, 7), BuildReplyFrame(Bytes{0, 0}));
}

TEST(SimProtocol, CalendarAndKeysAreKept) {
    Sensor sensor;
    EXPECT_EQ(sensor.reply(kSetCalendar, 4, 0x14), BuildReplyFrame(Bytes{4, 0x14}));
    EXPECT_EQ(sensor.reply(kSetCalendar, 16, 0x99), BuildReplyFrame(Bytes{16, 0x99}));
    EXPECT_EQ(sensor.reply(kKeyPress, 17, 0), BuildReplyFrame(Bytes{17, 0}));
    sensor.reply(kKeyPress, 8, 0);
    EXPECT_EQ(sensor.model.state().calendar[4], 0x14);
    EXPECT_EQ(sensor.model.state().keyLog, (std::vector<std::uint8_t>{17, 8}));
}

}  // namespace
}  // namespace torv::sim
