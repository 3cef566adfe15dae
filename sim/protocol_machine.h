#pragma once
// The sensor's side of the protocol as a pure state machine: command bytes go in one at a time, each
// with the time it arrived; a complete frame comes out as an event carrying the reply bytes to put on
// the line. The machine changes the memory model as the commands say and applies the fault plan; it
// does no I/O and reads no clock, so everything here is tested without a pseudo-terminal.

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/sensor_model.h"

namespace torv::sim {

inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr int kCommandFrameSize = 4;  // command byte, two data bytes, checksum
inline constexpr int kWordReplySize = 2;

// A real sensor resynchronises on an idle line: a pause this long inside a frame starts a new frame.
inline constexpr std::chrono::milliseconds kFrameGapReset{50};

enum CommandLetter : std::uint8_t {
    kKeyPress = 'P',
    kReadWord = 'R',
    kSensorInfo = 'S',
    kSetCalendar = 'T',
    kStore = 'U',
    kReadSlotBlock = 'V',
    kWriteWord = 'W',
    kPollJudgement = 'Y',
};

enum class FrameOutcome {
    kPending,   // the frame is not complete yet
    kExchange,  // a valid command: the sensor acted on it (unless the fault says otherwise)
    kRejected,  // wrong checksum or unknown command: the sensor answers one NAK byte
};

struct ProtocolEvent {
    FrameOutcome outcome = FrameOutcome::kPending;
    std::array<std::uint8_t, kCommandFrameSize> frame{};
    SimTime frameStart{};  // when the frame's first byte arrived
    int exchange = 0;      // counts valid frames from 1
    FaultKind fault = FaultKind::kNone;
    std::vector<std::uint8_t> reply;  // every byte the sensor sends, trailer included
    bool stored = false;              // a `U` was carried out: persist, then answer at the model's rate
};

// 0xFF minus the 8-bit sum of the bytes.
std::uint8_t FrameChecksum(std::span<const std::uint8_t> bytes);

class ProtocolMachine {
  public:
    ProtocolMachine(SensorModel& model, const FaultPlan& faults) : m_model(model), m_faults(faults) {}

    ProtocolEvent feed(std::uint8_t byte, SimTime now);
    // Every completed frame among `bytes`, all taken as arriving at `now`.
    std::vector<ProtocolEvent> feed(std::span<const std::uint8_t> bytes, SimTime now);

    // Whether `bytes` complete a valid `U` frame that moves the sensor to `rate`. The tool sends `U` at
    // the old rate and switches its side straight away, often before the bytes are read here; such a
    // frame was sent at the sensor's rate even though the line now shows the new one.
    bool completesStoreTo(std::span<const std::uint8_t> bytes, int rate) const;

    // Drops a partly received frame (the line carried garbage).
    void resetParser() { m_received = 0; }
    int exchangeCount() const { return m_exchanges; }

  private:
    struct CommandReply {
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> trailer;
        bool stored = false;
    };

    ProtocolEvent completeFrame();
    CommandReply execute(std::uint8_t letter, std::uint8_t b1, std::uint8_t b2, SimTime now);
    CommandReply sensorInfo(std::uint8_t selector, std::uint8_t sub);
    CommandReply judgement(SimTime now);

    SensorModel& m_model;
    const FaultPlan& m_faults;
    std::array<std::uint8_t, kCommandFrameSize> m_frame{};
    int m_received = 0;
    SimTime m_frameStart{};
    SimTime m_lastByte{};
    int m_exchanges = 0;
};

bool IsKnownCommand(std::uint8_t letter);

// The reply frame for some data: ACK, the data, the checksum.
std::vector<std::uint8_t> BuildReplyFrame(std::span<const std::uint8_t> data);

// The reply as the fault shapes it (silence and hang-up send nothing; the caller delays a delay and
// spreads an endless reply over time).
std::vector<std::uint8_t> ShapeReply(std::span<const std::uint8_t> data,
                                     std::span<const std::uint8_t> trailer, FaultKind fault);

// A value fault's out-of-range value, put into the data of a reply to `frame` when that reply carries
// it (the record block with the character count, word 9, word 12, a judgement with characters);
// false, and nothing changed, when it does not.
bool PutOutOfRangeValue(FaultKind fault, std::span<const std::uint8_t, kCommandFrameSize> frame,
                        std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& trailer);

}  // namespace torv::sim
