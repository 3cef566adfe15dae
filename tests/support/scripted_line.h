#pragma once
// A line backend for unit tests: every port the driver opens is a scripted device that records each
// call the driver makes on it, in order, and answers each complete 4-byte command frame the way a
// plain sensor would (ACK, two data bytes, checksum). What a pseudo-terminal cannot show (a drain
// before a rate switch, a setting applied) shows in the record.

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace torv::test {

class ScriptedLine {
  public:
    // The reply bytes for a command frame; by default ACK, the frame's two data bytes, checksum.
    using Answer = std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t> frame)>;

    ScriptedLine();  // installs itself as the driver's backend
    ~ScriptedLine();
    ScriptedLine(const ScriptedLine&) = delete;
    ScriptedLine& operator=(const ScriptedLine&) = delete;

    // "open 3", "write 55 34 12 63", "drain", "state 115200", "read 1", "read 268 at once" (a read
    // that takes only what is waiting), "purge", "close".
    std::vector<std::string> calls;
    Answer answer;
    std::deque<std::uint8_t> input;  // bytes waiting for the driver's next reads
    // How many bytes each next read that waits finds before its time-out passes (a reply that arrives
    // in parts or stops part-way); a read takes every waiting byte it asks for once the list is used
    // up, and a read that does not wait always does.
    std::deque<int> readLimits;
};

// The reply a plain sensor gives: ACK, the data bytes, checksum.
std::vector<std::uint8_t> AckReply(std::span<const std::uint8_t> data);

}  // namespace torv::test
