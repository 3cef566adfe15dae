// The simulated sensor's protocol machine, driven byte by byte without a pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "sim/checksum.h"
#include "sim/protocol_machine.h"

namespace torv::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint8_t letter, std::uint8_t b1, std::uint8_t b2) {
    return {letter, b1, b2, static_cast<std::uint8_t>(0xFF - letter - b1 - b2)};
}

// One sensor with its machine; every frame arrives 10 ms after the previous one.
struct Sensor {
    explicit Sensor(FaultPlan plan = {}, int rate = kDefaultRate)
        : faults(std::move(plan)), model(7, rate, "0105"), machine(model, faults) {}

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

    FaultPlan faults;
    SensorModel model;
    ProtocolMachine machine;
    SimTime now{};
};

TEST(SimProtocol, AnswersTheWorkedFrames) {
    Sensor sensor;
    sensor.send({0x52, 0x00, 0x00, 0xAD});
    sensor.reply(kWriteWord, 0x34, 0x12);
    EXPECT_EQ(sensor.send({0x52, 0x00, 0x00, 0xAD}).reply, (Bytes{0x06, 0x34, 0x12, 0xB3}));
    EXPECT_EQ(sensor.send({0x53, 0x00, 0x07, 0xA5}).reply, (Bytes{0x06, '0', '1', 0x98}));
    EXPECT_EQ(sensor.reply(kSensorInfo, 1, 7), (Bytes{0x06, '0', '5', 0x94}));
    // Each `W` moves the position the last `R` placed on, wrapping at the end of the memory.
    sensor.word(0xFFFF);
    sensor.reply(kWriteWord, 0x01, 0x00);
    sensor.reply(kWriteWord, 0x02, 0x00);
    EXPECT_EQ(sensor.word(0xFFFF), 1);
    EXPECT_EQ(sensor.word(0), 2);
}

TEST(SimProtocol, StoreMovesToTheRateInWordFourBits8To10AndZeroKeepsTheRate) {
    // COMMUNIC k and the rate it names; 0: the rate the sensor had.
    const std::pair<int, int> cases[] = {{0, 0},     {1, 4800},  {2, 9600},   {3, 19200},
                                         {4, 38400}, {5, 57600}, {6, 115200}, {7, 256000}};
    for (const auto& [k, rate] : cases) {
        for (int start : {9600, 115200}) {
            Sensor sensor({}, start);
            sensor.word(4);
            sensor.reply(kWriteWord, 0xFF, static_cast<std::uint8_t>(0xF8 | k));  // every other bit set
            const ProtocolEvent store = sensor.send(Frame(kStore, 0x12, 0x34));
            EXPECT_TRUE(store.stored);
            EXPECT_EQ(store.reply, BuildReplyFrame(Bytes{0x12, 0x34}));
            EXPECT_EQ(sensor.model.state().rate, rate != 0 ? rate : start) << k << " from " << start;
        }
    }
}

TEST(SimProtocol, StoreFrameSeenAfterTheToolSwitchedIsRecognized) {
    Sensor sensor;
    sensor.word(4);
    sensor.reply(kWriteWord, 0x00, 0x16);  // COMMUNIC 6: 115200
    const Bytes store = Frame(kStore, 0, 0x16);
    EXPECT_TRUE(sensor.machine.completesStoreTo(store, 115200));
    EXPECT_FALSE(sensor.machine.completesStoreTo(store, 9600));
    EXPECT_FALSE(sensor.machine.completesStoreTo(Bytes{kStore, 0, 0x16, 0x00}, 115200));
}

TEST(SimProtocol, PauseOfMoreThanFiftyMillisecondsStartsANewFrame) {
    // At exactly 50 ms the stray byte still belongs to the frame, which then fails its checksum.
    const std::pair<SimTime, FrameOutcome> cases[] = {{kFrameGapReset + 1ms, FrameOutcome::kExchange},
                                                      {kFrameGapReset, FrameOutcome::kRejected}};
    for (const auto& [pause, outcome] : cases) {
        Sensor sensor;
        sensor.machine.feed(kReadWord, SimTime(0));
        const std::vector<ProtocolEvent> events = sensor.machine.feed(Frame(kReadWord, 0, 0), pause);
        ASSERT_EQ(events.size(), 1U);
        EXPECT_EQ(events[0].outcome, outcome);
    }
}

TEST(SimProtocol, FaultsShapeTheReplyAndKeepOrDropTheEffect) {
    const struct {
        const char* fault;
        Bytes reply;
        bool written;
    } cases[] = {
        {"2=silence", {}, false},
        {"2=nak", {kNak, 0x34, 0x12, 0xB3}, true},
        {"2=checksum", {kAck, 0x34, 0x12, 0x4C}, true},
        {"2=truncate", {kAck, 0x34}, true},
        {"2=delay", {kAck, 0x34, 0x12, 0xB3}, true},
        {"2=hangup", {}, false},
        {"2=garbage", {0x00, 0xF8, 0x80, kAck, 0x34, 0x12, 0xB3}, true},
        // Every bit doubled: 0x06 arrives as 0x3C 0x00, 0x34 as 0x30 0x0F, 0x12 as 0x0C 0x03.
        {"2=wrong-rate", {0x3C, 0x00, 0x30, 0x0F, 0x0C, 0x03, 0x0F, 0xCF}, true},
        {"2=endless", {kAck, 0x34, 0x12, 0xB3}, true},  // the server spreads it over time
    };
    for (const auto& c : cases) {
        FaultPlan plan;
        ASSERT_EQ(plan.add(c.fault), FaultParseResult::kOk);
        Sensor sensor(plan);
        sensor.word(800);
        const ProtocolEvent w = sensor.send(Frame(kWriteWord, 0x34, 0x12));
        EXPECT_EQ(w.reply, c.reply) << c.fault;
        EXPECT_EQ(FaultKindName(w.fault), std::string_view(c.fault).substr(2)) << c.fault;
        EXPECT_EQ(sensor.model.state().words[800] == 0x1234, c.written) << c.fault;
    }
}

// A value fault puts its value into the one reply that carries it, with a correct checksum; every
// other exchange goes out untouched and is not logged as faulty.
TEST(SimProtocol, ValueFaultsChangeOnlyTheReplyThatCarriesTheValue) {
    const struct {
        const char* fault;
        Bytes carrier;  // the frame whose reply carries the value
        std::size_t offset;
        Bytes value;
    } cases[] = {
        {"1+=slot-pointer-200", Frame(kReadWord, 9, 0), 1, {200}},
        {"1+=dict-length-65535", Frame(kReadWord, 12, 0), 1, {0xFF, 0xFF}},
        {"1+=ng-count-255", Frame(kReadSlotBlock, 3, 251), 1 + kResultCountOffset % kBlockSize, {255}},
        {"1+=trailer-count-255", Frame(kPollJudgement, 0, 0), 1, {255}},
    };
    for (const auto& c : cases) {
        FaultPlan plan;
        ASSERT_EQ(plan.add(c.fault), FaultParseResult::kOk);
        Sensor faulty(plan);
        Sensor plain;
        const ProtocolEvent other = faulty.send(Frame(kReadWord, 10, 0));
        EXPECT_EQ(other.fault, FaultKind::kNone) << c.fault;
        EXPECT_EQ(other.reply, plain.send(Frame(kReadWord, 10, 0)).reply) << c.fault;
        // Polls until the plain sensor's judgement carries characters; the faulty one polls alongside.
        ProtocolEvent expected;
        ProtocolEvent got;
        do {
            expected = plain.send(c.carrier);
            got = faulty.send(c.carrier);
        } while (c.carrier[0] == kPollJudgement && expected.reply.size() == 4);
        ASSERT_EQ(FaultKindName(got.fault), std::string_view(c.fault).substr(3)) << c.fault;
        Bytes changed = expected.reply;
        std::copy(c.value.begin(), c.value.end(), changed.begin() + static_cast<std::ptrdiff_t>(c.offset));
        const std::size_t frameEnd = c.carrier[0] == kReadSlotBlock ? 2 + kBlockSize : 4;
        changed[frameEnd - 1] = Checksum(std::span(changed).first(frameEnd - 1));
        EXPECT_EQ(got.reply, changed) << c.fault;
    }
}

}  // namespace
}  // namespace torv::sim
