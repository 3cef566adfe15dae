// `ReceiveReply` over a scripted line: any reply size the tool may ask for (and sizes it never asks
// for), any bytes, arriving whole or in parts before each read's time-out. Its verdict and message
// agree with a plain reading of the reply rule, it copies exactly the data bytes that arrived, never
// writes past them, and never asks the line for more than the ACK and m + 1 bytes.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "link/frames.h"
#include "resources/strings.h"
#include "tests/support/scripted_line.h"

namespace torv::fuzz {
namespace {

constexpr int kPort = 3;
constexpr std::uint8_t kUntouched = 0xA5;
constexpr int kMaxFirstLimit = 2;
constexpr int kMaxRestLimit = kFrameBufferSize + 2;

// The sizes the tool asks for (2, and 256 for `V`), or any other, including sizes it must refuse.
int ReplySize(InputReader& input) {
    switch (input.number(0, 2)) {
        case 0:
            return 2;
        case 1:
            return kBlockReplySize;
        default:
            return input.number(-2, kMaxReplyData + 2);
    }
}

struct Verdict {
    int result = 0;
    StringId message = StringId::kChecksumError;
    std::vector<std::uint8_t> copied;  // what reaches the destination
    std::vector<std::string> reads;    // the reads asked of the line
};

// The reply rule: one byte, which must be the ACK; then m + 1 bytes in one read, the last the checksum.
Verdict Expected(int m, const std::vector<std::uint8_t>& reply, int firstLimit, int restLimit) {
    Verdict v;
    if (m < 0 || m > kMaxReplyData) {
        return v;  // a size this tool never asks for: refused without reading
    }
    v.reads.push_back("read 1");
    if (std::min<int>({1, firstLimit, static_cast<int>(reply.size())}) == 0) {
        v.message = StringId::kNoResponse;
        return v;
    }
    if (reply[0] != kAck) {
        v.message = StringId::kInvalidResponse;
        return v;
    }
    v.reads.push_back("read " + std::to_string(m + 1));
    const int got = std::min<int>({m + 1, restLimit, static_cast<int>(reply.size()) - 1});
    if (got == 0) {
        v.message = StringId::kNoResponse;
        return v;
    }
    v.copied.assign(reply.begin() + 1, reply.begin() + 1 + std::min(got, m));
    std::uint8_t sum = kAck;
    for (std::uint8_t b : v.copied) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    if (got == m + 1 && reply[static_cast<std::size_t>(m) + 1] == static_cast<std::uint8_t>(0xFF - sum)) {
        v.result = 1;
    }
    return v;
}

}  // namespace
}  // namespace torv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torv;
    using namespace torv::fuzz;
    InputReader input(data, size);
    const int m = ReplySize(input);
    const int firstLimit = input.number(0, kMaxFirstLimit);
    const int restLimit = input.number(0, kMaxRestLimit);
    const std::vector<std::uint8_t> reply = input.rest();

    test::ScriptedLine line;
    line.answer = [&reply](std::span<const std::uint8_t>) { return reply; };
    Require(OpenLink(kPort, kDefaultBaudIndex) == kLinkOpened, "the scripted port opens");
    const std::array<std::uint8_t, 2> command{0x12, 0x34};
    SendCommand(kPort, kReadWordCommand, command.data(), 2);
    line.readLimits = {firstLimit, restLimit};
    line.calls.clear();

    std::array<std::uint8_t, kFrameBufferSize + 8> destination;
    destination.fill(kUntouched);
    std::string lastError = "unchanged";
    const int result = ReceiveReply(kPort, destination.data(), m, kReplyTimeoutMs, lastError);
    CloseLink(kPort);

    const Verdict expected = Expected(m, reply, firstLimit, restLimit);
    Require(result == expected.result, "the verdict follows the reply rule");
    Require(result == 1 ? lastError == "unchanged" : lastError == Text(expected.message),
            "a failure carries its message, a success leaves the text alone");
    std::vector<std::string> reads;
    std::copy_if(line.calls.begin(), line.calls.end(), std::back_inserter(reads),
                 [](const std::string& call) { return call.rfind("read ", 0) == 0; });
    Require(reads == expected.reads, "the line is asked for the ACK, then m + 1 bytes, nothing more");
    Require(std::equal(expected.copied.begin(), expected.copied.end(), destination.begin()),
            "the data bytes that arrived are copied");
    Require(std::all_of(destination.begin() + static_cast<std::ptrdiff_t>(expected.copied.size()),
                        destination.end(), [](std::uint8_t b) { return b == kUntouched; }),
            "nothing is written past the bytes that arrived");
    return 0;
}
