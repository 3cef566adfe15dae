#include "ui/trace_decoder.h"

#include <numeric>

#include "link/frames.h"

namespace torv {
namespace {

constexpr std::uint8_t kNak = 0x15;
// A reply's bytes from the ACK to the checksum add up to 0xFF: the checksum is 0xFF minus the rest.
constexpr unsigned kReplySum = 0xFF;
constexpr unsigned kByteMask = 0xFF;

bool ChecksumHolds(const std::vector<std::uint8_t>& reply) {
    return (std::accumulate(reply.begin(), reply.end(), 0u) & kByteMask) == kReplySum;
}

TraceLine Line(std::int64_t timeMs, TraceDirection direction, std::span<const std::uint8_t> bytes,
               TraceMark mark = TraceMark::kNone) {
    return {timeMs, direction, {bytes.begin(), bytes.end()}, mark};
}

}  // namespace

std::string_view TraceMarkText(TraceMark mark) {
    switch (mark) {
        case TraceMark::kNone:
            return {};
        case TraceMark::kNoAnswer:
            return "no answer";
        case TraceMark::kNak:
            return "NAK";
        case TraceMark::kInvalidReply:
            return "invalid reply";
        case TraceMark::kBadChecksum:
            return "bad checksum";
    }
    return {};
}

void TraceDecoder::add(std::int64_t timeMs, TraceDirection direction, std::span<const std::uint8_t> bytes,
                       std::vector<TraceLine>& lines) {
    if (direction == TraceDirection::kReceived) {
        addReceived(timeMs, bytes, lines);
        return;
    }
    reset(lines);
    lines.push_back(Line(timeMs, direction, bytes));
    m_expect = Expect::kReplyStart;
}

void TraceDecoder::addReceived(std::int64_t timeMs, std::span<const std::uint8_t> bytes,
                               std::vector<TraceLine>& lines) {
    const Expect expected = m_expect;
    m_expect = Expect::kAnything;
    if (expected == Expect::kReplyRest) {
        m_ack.timeMs = timeMs;
        m_ack.bytes.insert(m_ack.bytes.end(), bytes.begin(), bytes.end());
        m_ack.mark = bytes.empty()                ? TraceMark::kNoAnswer
                     : ChecksumHolds(m_ack.bytes) ? TraceMark::kNone
                                                  : TraceMark::kBadChecksum;
        lines.push_back(std::move(m_ack));
        m_ack = {};
        return;
    }
    if (bytes.empty()) {
        lines.push_back(Line(timeMs, TraceDirection::kReceived, bytes, TraceMark::kNoAnswer));
        return;
    }
    if (expected == Expect::kAnything) {
        lines.push_back(Line(timeMs, TraceDirection::kReceived, bytes));  // a trailer, or stray bytes
        return;
    }
    if (bytes[0] == kAck && bytes.size() == 1) {
        m_ack = Line(timeMs, TraceDirection::kReceived, bytes);
        m_expect = Expect::kReplyRest;
        return;
    }
    TraceLine line = Line(timeMs, TraceDirection::kReceived, bytes);
    if (bytes[0] != kAck) {
        line.mark = bytes[0] == kNak ? TraceMark::kNak : TraceMark::kInvalidReply;
    } else if (!ChecksumHolds(line.bytes)) {
        line.mark = TraceMark::kBadChecksum;  // a whole reply in one read
    }
    lines.push_back(std::move(line));
}

void TraceDecoder::reset(std::vector<TraceLine>& lines) {
    if (m_expect == Expect::kReplyRest) {
        lines.push_back(std::move(m_ack));
        m_ack = {};
    }
    m_expect = Expect::kAnything;
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

}  // namespace torv
