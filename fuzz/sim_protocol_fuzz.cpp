// torvsim's protocol machine fed any byte stream a tool (or a noisy line) may send, with pauses, under
// any fault plan. It stays a strict peer: a frame with a wrong checksum or an unknown letter gets one
// NAK and counts for nothing; every exchange's reply has the shape its fault gives it (a whole, summed
// frame otherwise, with a summed trailer after a new judgement); reads give what was written; and
// nothing but a `W` that took effect changes a word of its memory.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "sim/checksum.h"
#include "sim/protocol_machine.h"

namespace torv::sim {
namespace {

using fuzz::InputReader;
using fuzz::Require;
using Bytes = std::vector<std::uint8_t>;

constexpr int kMaxFaults = 3;
constexpr int kMaxFaultExchange = 64;
constexpr int kLastFaultKind = static_cast<int>(FaultKind::kTrailerCount255);
// The pause before each byte: a byte time, a short gap, a pause that starts a new frame, a long one.
constexpr std::array<std::chrono::milliseconds, 4> kPauses{
    std::chrono::milliseconds(1), std::chrono::milliseconds(10), std::chrono::milliseconds(60),
    std::chrono::milliseconds(400)};
constexpr std::size_t kNoiseBytes = 3;
constexpr std::uint8_t kKeyUp = 1;
constexpr std::uint8_t kKeyDown = 2;
constexpr int kBankWord = 0;
constexpr std::uint16_t kBankBits = 0x1F;
constexpr int kLastBank = 15;

bool RingWord(int address) {
    return address == kSlotPointerWord || address == kOccupancyLowWord || address == kOccupancyHighWord;
}

// What the tool's side knows of the sensor's memory: the seeded words, changed by every `W` that took
// effect at the position the last `R` placed (and word 0's bank, which the front panel's keys move).
struct ShadowMemory {
    WordMemory words;
    std::uint16_t position = 0;
};

struct ReplyFrame {
    Bytes data;
    Bytes trailer;
};

// A whole reply: ACK, m data bytes, checksum, and for a new judgement with characters its trailer.
ReplyFrame CheckWholeReply(const Bytes& reply, std::uint8_t letter, FaultKind fault) {
    const std::size_t m = letter == kReadSlotBlock ? kBlockSize : kWordReplySize;
    Require(reply.size() >= m + 2 && reply[0] == kAck, "a whole reply starts with the ACK");
    Require(Checksum(std::span(reply).first(m + 1)) == reply[m + 1], "a whole reply carries its checksum");
    ReplyFrame frame{Bytes(reply.begin() + 1, reply.begin() + 1 + static_cast<std::ptrdiff_t>(m)),
                     Bytes(reply.begin() + static_cast<std::ptrdiff_t>(m) + 2, reply.end())};
    if (letter != kPollJudgement) {
        Require(frame.trailer.empty(), "only a judgement has a trailer");
        return frame;
    }
    const bool isNew = frame.data[0] > 0 && (frame.data[1] & kJudgementMask) != kNoNewJudgement;
    Require(frame.trailer.empty() != isNew, "a trailer follows exactly a new judgement with characters");
    if (isNew) {
        const std::size_t n =
            fault == FaultKind::kTrailerCount255 ? (frame.trailer.size() - 1) / 4 : frame.data[0];
        Require(frame.trailer.size() == 4 * n + 1,
                "the trailer holds four bytes a character and its checksum");
        Require(Checksum(std::span(frame.trailer).first(4 * n)) == frame.trailer.back(),
                "the trailer's checksum");
    }
    return frame;
}

// The reply's shape under each fault, and what it says.
void CheckReply(const ProtocolEvent& event, ShadowMemory& shadow, const SensorModel& model) {
    const std::uint8_t letter = event.frame[0];
    const Bytes& reply = event.reply;
    const std::size_t m = letter == kReadSlotBlock ? kBlockSize : kWordReplySize;
    switch (event.fault) {
        case FaultKind::kSilence:
        case FaultKind::kHangup:
            Require(reply.empty(), "a silent sensor sends nothing");
            return;  // and did nothing
        case FaultKind::kTruncate:
            Require(reply.size() == 1 + m / 2 && reply[0] == kAck,
                    "a truncated reply is the ACK and half the data");
            break;
        case FaultKind::kNak:
            Require(!reply.empty() && reply[0] == kNak, "a NAK fault answers 0x15 first");
            break;
        case FaultKind::kChecksum:
            Require(reply.size() >= m + 2 && reply[0] == kAck &&
                        Checksum(std::span(reply).first(m + 1)) != reply[m + 1],
                    "a checksum fault sends a wrong checksum");
            break;
        case FaultKind::kWrongRate:
            Require(!reply.empty() && reply.size() % 2 == 0 && reply[0] != kAck, "a reply at half the rate");
            break;
        case FaultKind::kGarbage:
            Require(reply.size() > kNoiseBytes && reply[0] != kAck, "noise before the reply");
            CheckWholeReply(Bytes(reply.begin() + kNoiseBytes, reply.end()), letter, event.fault);
            break;
        default: {
            const ReplyFrame frame = CheckWholeReply(reply, letter, event.fault);
            const int address = event.frame[1] | (event.frame[2] << 8);
            if (letter == kReadWord && !RingWord(address) && !IsValueFault(event.fault)) {
                const int word = frame.data[0] | (frame.data[1] << 8);
                Require(word == shadow.words[static_cast<std::size_t>(address)],
                        "a read gives what was written");
            }
            if (letter == kWriteWord || letter == kStore || letter == kSetCalendar) {
                Require(frame.data[0] == event.frame[1] && frame.data[1] == event.frame[2], "an echo");
            }
            if (letter == kReadSlotBlock && event.frame[1] >= kNgSlotCount && !IsValueFault(event.fault)) {
                Require(
                    std::all_of(frame.data.begin(), frame.data.end(), [](std::uint8_t b) { return b == 0; }),
                    "a slot outside the ring reads as zeros");
            }
            if (letter == kSensorInfo && event.frame[2] == 7 && event.frame[1] <= 1) {
                const std::string& version = model.state().version;
                Require(frame.data[0] == static_cast<std::uint8_t>(version[2 * event.frame[1]]) &&
                            frame.data[1] == static_cast<std::uint8_t>(version[2 * event.frame[1] + 1]),
                        "the version characters");
            }
        }
    }
    // The command took effect: the shadow follows a read's position, a write's word, and the bank that the
    // UP and DOWN keys move (common word 0 bits 0..4; from TCH or BKIN, UP goes to bank 0, DOWN to 15).
    if (letter == kKeyPress && (event.frame[1] == kKeyUp || event.frame[1] == kKeyDown)) {
        const int bank = shadow.words[kBankWord] & kBankBits;
        const bool up = event.frame[1] == kKeyUp;
        const int next =
            bank > kLastBank ? (up ? 0 : kLastBank) : (bank + (up ? 1 : kLastBank)) % (kLastBank + 1);
        shadow.words[kBankWord] = static_cast<std::uint16_t>((shadow.words[kBankWord] & ~kBankBits) | next);
    } else if (letter == kReadWord) {
        shadow.position = static_cast<std::uint16_t>(event.frame[1] | (event.frame[2] << 8));
    } else if (letter == kWriteWord) {
        shadow.words[shadow.position++] = static_cast<std::uint16_t>(event.frame[1] | (event.frame[2] << 8));
    }
}

FaultPlan PlanOf(InputReader& input) {
    FaultPlan plan;
    const int count = input.number(0, kMaxFaults);
    for (int i = 0; i < count; ++i) {
        const int exchange = input.number(1, kMaxFaultExchange);
        const bool onwards = input.number(0, 1) == 1;
        const auto kind = static_cast<FaultKind>(input.number(1, kLastFaultKind));
        const std::string text =
            std::to_string(exchange) + (onwards ? "+=" : "=") + std::string(FaultKindName(kind));
        Require(plan.add(text) == FaultParseResult::kOk, "every fault kind parses");
    }
    return plan;
}

}  // namespace
}  // namespace torv::sim

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torv::sim;
    InputReader input(data, size);
    const auto seed = static_cast<std::uint64_t>(input.number(0, 255));
    JudgementSettings judgements;
    if (input.number(0, 1) == 1) {
        judgements.shortestInterval = judgements.longestInterval = std::chrono::milliseconds(0);
    }
    const FaultPlan plan = PlanOf(input);
    SensorModel model(seed, kDefaultRate, "0105", judgements);
    ProtocolMachine machine(model, plan);
    ShadowMemory shadow{model.state().words, 0};
    SimTime now = std::chrono::seconds(1);
    int exchanges = 0;
    std::array<std::uint8_t, kCommandFrameSize> frame{};
    int received = 0;
    SimTime lastByte{};
    while (input.remaining() >= 2) {
        now += kPauses[static_cast<std::size_t>(input.number(0, static_cast<int>(kPauses.size()) - 1))];
        const std::uint8_t byte = static_cast<std::uint8_t>(input.number(0, 255));
        // The reference framer: four bytes, a pause of more than 50 ms starting afresh.
        if (received > 0 && now - lastByte > kFrameGapReset) {
            received = 0;
        }
        lastByte = now;
        frame[static_cast<std::size_t>(received++)] = byte;
        const ProtocolEvent event = machine.feed(byte, now);
        if (received < kCommandFrameSize) {
            Require(event.outcome == FrameOutcome::kPending, "no frame before its fourth byte");
            continue;
        }
        received = 0;
        Require(event.frame == frame, "the frame is the last four bytes");
        const bool valid = Checksum(std::span(frame).first(3)) == frame[3] && IsKnownCommand(frame[0]);
        if (!valid) {
            Require(
                event.outcome == FrameOutcome::kRejected && event.reply == std::vector<std::uint8_t>{kNak},
                "a bad frame gets one NAK");
            continue;
        }
        Require(event.outcome == FrameOutcome::kExchange && event.exchange == ++exchanges,
                "exchanges count on");
        const FaultKind planned = plan.lookup(exchanges);
        Require(event.fault == planned || (IsValueFault(planned) && event.fault == FaultKind::kNone),
                "the planned fault shapes the exchange");
        CheckReply(event, shadow, model);
    }
    // The ring words move with every NG the line stores; all others change only by a `W`.
    for (int ringWord : {kSlotPointerWord, kOccupancyLowWord, kOccupancyHighWord}) {
        shadow.words[static_cast<std::size_t>(ringWord)] =
            model.state().words[static_cast<std::size_t>(ringWord)];
    }
    if (shadow.words != model.state().words) {
        const auto differs =
            std::mismatch(shadow.words.begin(), shadow.words.end(), model.state().words.begin());
        Require(false, "only a write changes a word: word " +
                           std::to_string(differs.first - shadow.words.begin()) + " is " +
                           std::to_string(*differs.second) + ", written " + std::to_string(*differs.first));
    }
    return 0;
}
