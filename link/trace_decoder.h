#pragma once
// Turns the driver's byte trace into the lines of the protocol trace: one line per command frame sent
// and one per reply, with the failures the frame layer would report marked on the reply's line.
//
// The frame layer reads a reply in two parts (the ACK byte, then the data and checksum), so the
// decoder joins the two reads into one line. A read after a complete reply (the monitor's trailer) is
// shown as it came.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/com_port.h"

namespace torv {

enum class TraceMark {
    kNone,
    kNoAnswer,      // nothing arrived within the time-out
    kNak,           // the sensor refused the frame (0x15 instead of 0x06)
    kInvalidReply,  // some other byte instead of 0x06
    kBadChecksum,   // the checksum does not match, or the reply stopped short
};

// The words the trace shows for a mark ("NAK", "no answer", ...); empty for kNone.
std::string_view TraceMarkText(TraceMark mark);

struct TraceLine {
    std::int64_t timeMs = 0;  // when the transfer ended, milliseconds since the epoch
    TraceDirection direction = TraceDirection::kSent;
    std::vector<std::uint8_t> bytes;
    TraceMark mark = TraceMark::kNone;
};

class TraceDecoder {
  public:
    // Adds one transfer as the driver reported it; any lines it completes go to `lines`.
    void add(std::int64_t timeMs, TraceDirection direction, std::span<const std::uint8_t> bytes,
             std::vector<TraceLine>& lines);
    // Emits a reply whose second part has not come yet, and forgets where the exchange stood (the
    // trace pauses or ends).
    void reset(std::vector<TraceLine>& lines);

  private:
    enum class Expect { kAnything, kReplyStart, kReplyRest };

    void addReceived(std::int64_t timeMs, std::span<const std::uint8_t> bytes, std::vector<TraceLine>& lines);

    Expect m_expect = Expect::kAnything;
    TraceLine m_ack;  // the ACK byte waiting for the rest of its reply
};

// "52 00 00 AD"
std::string HexBytes(std::span<const std::uint8_t> bytes);

// "12:00:00.123", in the PC's local time.
std::string TraceTimeText(std::int64_t timeMs);

// "12:00:00.123  ->  R  52 00 00 AD  !! NAK": the time, the direction, the command letter of a frame
// sent, the bytes ("(nothing)" for a read that brought none) and the mark of a failure. A label (the
// sensor of a fleet's port) stands after the time. The trace window and torvctl --trace show these.
std::string TraceLineText(const TraceLine& line, std::string_view label = {});

}  // namespace torv
