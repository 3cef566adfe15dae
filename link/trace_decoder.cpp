#include "link/trace_decoder.h"

#include <cstdio>
#include <ctime>
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

// A command frame starts with its command letter; shown before the bytes, it tells the frames apart
// at a glance ("R", "W", "V").
char CommandLetter(const TraceLine& line) {
    const bool lettered = line.direction == TraceDirection::kSent && !line.bytes.empty() &&
                          line.bytes[0] >= 'A' && line.bytes[0] <= 'Z';
    return lettered ? static_cast<char>(line.bytes[0]) : ' ';
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

// Turning a time into local time costs more than the rest of a line, so the lines of one second
// share that work.
std::string TraceTimeText(std::int64_t timeMs) {
    constexpr std::int64_t kMsPerSecond = 1000;
    thread_local std::int64_t cachedSecond = -1;
    thread_local std::string cachedText;
    const std::int64_t second = timeMs / kMsPerSecond;
    if (second != cachedSecond) {
        const auto seconds = static_cast<std::time_t>(second);
        std::tm local{};
#ifdef _WIN32
        localtime_s(&local, &seconds);
#else
        localtime_r(&seconds, &local);
#endif
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.", local.tm_hour, local.tm_min, local.tm_sec);
        cachedSecond = second;
        cachedText = text;
    }
    const auto millis = static_cast<int>(timeMs % kMsPerSecond);
    return cachedText + static_cast<char>('0' + millis / 100) + static_cast<char>('0' + millis / 10 % 10) +
           static_cast<char>('0' + millis % 10);
}

std::string TraceLineText(const TraceLine& line, std::string_view label) {
    std::string text = TraceTimeText(line.timeMs);
    if (!label.empty()) {
        text += "  ";
        text += label;
    }
    text += line.direction == TraceDirection::kSent ? "  ->  " : "  <-  ";
    text += CommandLetter(line);
    text += "  ";
    text += line.bytes.empty() ? std::string("(nothing)") : HexBytes(line.bytes);
    if (line.mark != TraceMark::kNone) {
        text += "  !! ";
        text += TraceMarkText(line.mark);
    }
    return text;
}

}  // namespace torv
