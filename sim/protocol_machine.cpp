#include "sim/protocol_machine.h"

#include <algorithm>

#include "sim/checksum.h"

namespace torv::sim {
namespace {

constexpr std::uint8_t kVersionSubCode = 7;
constexpr std::uint8_t kCountSelector = 6;
constexpr std::uint8_t kCountSubCode = 0;
constexpr std::uint8_t kPatternSubCode = 1;
constexpr std::uint8_t kLastVersionSelector = 1;
constexpr std::uint8_t kChecksumCorruption = 0xFF;

// Line noise before a reply: bytes a receiver makes of glitches on an idle line.
constexpr std::uint8_t kLineNoise[] = {0x00, 0xF8, 0x80};
constexpr int kNibbleBits = 4;

// The out-of-range values the value faults put into a reply.
constexpr std::uint8_t kAnnouncedCount = 255;
constexpr std::uint8_t kOutsideRingPointer = 200;
constexpr std::uint8_t kWholeByte = 0xFF;
constexpr int kCountBlock = kFirstResultBlock + kResultCountOffset / kBlockSize;
constexpr int kCountInBlock = kResultCountOffset % kBlockSize;

// What a receiver sees of one byte sent at half its rate: each bit lasts two of its bit times, so the
// byte arrives as two, its low and then its high half with every bit doubled. The ACK never survives.
std::array<std::uint8_t, 2> AtHalfRate(std::uint8_t byte) {
    std::array<std::uint8_t, 2> seen{};
    for (int half = 0; half < 2; ++half) {
        for (int bit = 0; bit < kNibbleBits; ++bit) {
            if ((byte >> (kNibbleBits * half + bit)) & 1) {
                seen[static_cast<std::size_t>(half)] |= static_cast<std::uint8_t>(0x3 << (2 * bit));
            }
        }
    }
    return seen;
}

constexpr std::uint8_t kKnownCommands[] = {kKeyPress, kReadWord,      kSensorInfo, kSetCalendar,
                                           kStore,    kReadSlotBlock, kWriteWord,  kPollJudgement};

std::uint16_t WordOf(std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::vector<std::uint8_t> Pair(std::uint8_t a, std::uint8_t b) {
    return {a, b};
}

}  // namespace

std::uint8_t FrameChecksum(std::span<const std::uint8_t> bytes) {
    return Checksum(bytes);
}
bool IsKnownCommand(std::uint8_t letter) {
    return std::find(std::begin(kKnownCommands), std::end(kKnownCommands), letter) !=
           std::end(kKnownCommands);
}

std::vector<std::uint8_t> BuildReplyFrame(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame;
    frame.reserve(data.size() + 2);
    frame.push_back(kAck);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(FrameChecksum(frame));
    return frame;
}

std::vector<std::uint8_t> ShapeReply(std::span<const std::uint8_t> data,
                                     std::span<const std::uint8_t> trailer, FaultKind fault) {
    if (fault == FaultKind::kSilence || fault == FaultKind::kHangup) {
        return {};
    }
    if (fault == FaultKind::kTruncate) {
        std::vector<std::uint8_t> cut{kAck};
        cut.insert(cut.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(data.size() / 2));
        return cut;
    }
    std::vector<std::uint8_t> reply = BuildReplyFrame(data);
    if (fault == FaultKind::kNak) {
        reply.front() = kNak;
    } else if (fault == FaultKind::kChecksum) {
        reply.back() ^= kChecksumCorruption;
    }
    reply.insert(reply.end(), trailer.begin(), trailer.end());
    if (fault == FaultKind::kGarbage) {
        reply.insert(reply.begin(), std::begin(kLineNoise), std::end(kLineNoise));
    } else if (fault == FaultKind::kWrongRate) {
        std::vector<std::uint8_t> seen;
        for (std::uint8_t byte : reply) {
            const auto pair = AtHalfRate(byte);
            seen.insert(seen.end(), pair.begin(), pair.end());
        }
        return seen;
    }
    return reply;
}

bool PutOutOfRangeValue(FaultKind fault, std::span<const std::uint8_t, kCommandFrameSize> frame,
                        std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& trailer) {
    const std::uint8_t letter = frame[0];
    const int address = WordOf(frame[1], frame[2]);
    switch (fault) {
        case FaultKind::kNgCount255:
            if (letter != kReadSlotBlock || frame[2] != kCountBlock) {
                return false;
            }
            data[kCountInBlock] = kAnnouncedCount;
            return true;
        case FaultKind::kSlotPointer200:
            if (letter != kReadWord || address != kSlotPointerWord) {
                return false;
            }
            data[0] = kOutsideRingPointer;  // the high byte is not the pointer's
            return true;
        case FaultKind::kDictLength65535:
            if (letter != kReadWord || address != kDictionaryLengthWord) {
                return false;
            }
            data = {kWholeByte, kWholeByte};
            return true;
        case FaultKind::kTrailerCount255:
            if (letter != kPollJudgement || trailer.empty()) {
                return false;
            }
            data[0] = kAnnouncedCount;  // the trailer stays that of the characters read
            return true;
        default:
            return false;
    }
}

ProtocolEvent ProtocolMachine::feed(std::uint8_t byte, SimTime now) {
    if (m_received > 0 && now - m_lastByte > kFrameGapReset) {
        m_received = 0;
    }
    if (m_received == 0) {
        m_frameStart = now;
    }
    m_lastByte = now;
    m_frame[m_received++] = byte;
    if (m_received < kCommandFrameSize) {
        return ProtocolEvent{};
    }
    m_received = 0;
    return completeFrame();
}

std::vector<ProtocolEvent> ProtocolMachine::feed(std::span<const std::uint8_t> bytes, SimTime now) {
    std::vector<ProtocolEvent> events;
    for (std::uint8_t b : bytes) {
        ProtocolEvent e = feed(b, now);
        if (e.outcome != FrameOutcome::kPending) {
            events.push_back(std::move(e));
        }
    }
    return events;
}

bool ProtocolMachine::completesStoreTo(std::span<const std::uint8_t> bytes, int rate) const {
    if (static_cast<std::size_t>(m_received) + bytes.size() != kCommandFrameSize) {
        return false;
    }
    std::array<std::uint8_t, kCommandFrameSize> frame = m_frame;
    std::copy(bytes.begin(), bytes.end(), frame.begin() + m_received);
    const std::span<const std::uint8_t> body(frame.data(), kCommandFrameSize - 1);
    return frame[0] == kStore && FrameChecksum(body) == frame.back() && m_model.rateAfterStore() == rate;
}

ProtocolEvent ProtocolMachine::completeFrame() {
    ProtocolEvent event;
    event.frame = m_frame;
    event.frameStart = m_frameStart;
    const std::span<const std::uint8_t> body(m_frame.data(), kCommandFrameSize - 1);
    if (FrameChecksum(body) != m_frame.back() || !IsKnownCommand(m_frame[0])) {
        event.outcome = FrameOutcome::kRejected;
        event.reply = {kNak};
        return event;
    }
    event.outcome = FrameOutcome::kExchange;
    event.exchange = ++m_exchanges;
    m_model.advanceTo(m_lastByte);  // what the line did since the last command
    event.fault = m_faults.lookup(event.exchange);
    if (event.fault == FaultKind::kSilence || event.fault == FaultKind::kHangup) {
        return event;  // the sensor never saw this command
    }
    CommandReply r = execute(m_frame[0], m_frame[1], m_frame[2], m_lastByte);
    if (IsValueFault(event.fault) && !PutOutOfRangeValue(event.fault, m_frame, r.data, r.trailer)) {
        event.fault = FaultKind::kNone;  // this reply does not carry the value: it goes out as it is
    }
    event.reply = ShapeReply(r.data, r.trailer, event.fault);
    event.stored = r.stored;
    return event;
}

ProtocolMachine::CommandReply ProtocolMachine::execute(std::uint8_t letter, std::uint8_t b1, std::uint8_t b2,
                                                       SimTime now) {
    switch (letter) {
        case kReadWord: {
            const std::uint16_t value = m_model.readWord(WordOf(b1, b2));
            return {Pair(static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)),
                    {},
                    false};
        }
        case kWriteWord:
            m_model.writeWord(WordOf(b1, b2));
            return {Pair(b1, b2), {}, false};
        case kStore:
            // The sensor stores its memory and moves to the rate word 4 names; it answers at that rate.
            m_model.store();
            m_model.setRate(m_model.rateAfterStore());
            return {Pair(b1, b2), {}, true};
        case kSensorInfo:
            return sensorInfo(b1, b2);
        case kSetCalendar:
            m_model.setCalendar(b1, b2);
            return {Pair(b1, b2), {}, false};
        case kReadSlotBlock: {
            const SlotBlock block = m_model.ngBlock(b1, b2);
            return {std::vector<std::uint8_t>(block.begin(), block.end()), {}, false};
        }
        case kPollJudgement:
            return judgement(now);
        case kKeyPress:
            m_model.pressKey(b1);
            return {Pair(b1, 0), {}, false};
        default:
            return {Pair(0, 0), {}, false};
    }
}

ProtocolMachine::CommandReply ProtocolMachine::sensorInfo(std::uint8_t selector, std::uint8_t sub) {
    if (sub == kPatternSubCode) {
        const auto pair = m_model.patternPair(selector / kPairsPerPattern, selector % kPairsPerPattern);
        return {Pair(pair[0], pair[1]), {}, false};
    }
    if (sub == kVersionSubCode && selector <= kLastVersionSelector) {
        const auto pair = m_model.versionPair(selector);
        return {Pair(pair[0], pair[1]), {}, false};
    }
    if (sub == kCountSubCode && selector == kCountSelector) {
        return {Pair(static_cast<std::uint8_t>(m_model.handOverRecognized()), 0), {}, false};
    }
    return {Pair(0, 0), {}, false};
}

ProtocolMachine::CommandReply ProtocolMachine::judgement(SimTime now) {
    Judgement j = m_model.pollJudgement(now);
    const bool withTrailer = j.count > 0 && (j.status & kJudgementMask) != kNoNewJudgement;
    return {Pair(j.count, j.status), withTrailer ? std::move(j.trailer) : std::vector<std::uint8_t>{}, false};
}

}  // namespace torv::sim
