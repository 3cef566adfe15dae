// The monitor's poll over a scripted line: whatever the sensor sends for a series of `Y` polls (the
// two-byte reply, a trailer of any length, bytes left over from the poll before, which fail the next
// poll before its frame), in parts or whole. Each poll's outcome, message and characters agree with a plain
// reading of the reply and trailer rules, and the result CSV holds exactly the three lines of each new
// judgement, in order.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "link/frames.h"
#include "monitor/result_monitor.h"
#include "resources/strings.h"
#include "tests/support/scripted_line.h"

namespace torv::fuzz {
namespace {

// Each poll: how many bytes the ACK read, the reply read and the trailer read find before their
// time-outs, then the bytes the sensor sends.
constexpr int kMaxPolls = 8;
constexpr int kMaxPollBytes = kMaxTrailerSize + 4;
constexpr std::string_view kStamp = "Dec 05 2026 22:11:46.123";

struct ExpectedPoll {
    PollResult result = PollResult::kFailed;
    StringId message = StringId::kNoResponse;
    std::string csvLines;
};

// What the sensor's bytes mean, read as the monitor's rules say: the reply frame, then for a new
// judgement with characters 4n + 1 trailer bytes in one read.
class ReferencePoll {
  public:
    explicit ReferencePoll(std::deque<std::uint8_t>& waiting) : m_waiting(waiting) {}

    ExpectedPoll poll(const std::array<int, 3>& limits) {
        std::vector<std::uint8_t> ack = take(1, limits[0]);
        if (ack.empty()) {
            return {PollResult::kFailed, StringId::kNoResponse, {}};
        }
        if (ack[0] != kAck) {
            return {PollResult::kFailed, StringId::kInvalidResponse, {}};
        }
        const std::vector<std::uint8_t> rest = take(3, limits[1]);
        if (rest.empty()) {
            return {PollResult::kFailed, StringId::kNoResponse, {}};
        }
        if (rest.size() < 3 || rest[2] != static_cast<std::uint8_t>(0xFF - kAck - rest[0] - rest[1])) {
            return {PollResult::kFailed, StringId::kChecksumError, {}};
        }
        const int n = rest[0];
        const int j = rest[1] & 3;
        std::vector<std::uint8_t> trailer;
        if (n > 0 && j > 0) {
            trailer = take(4 * n + 1, limits[2]);
            if (trailer.empty()) {
                return {PollResult::kFailed, StringId::kNoResponse, {}};
            }
            std::uint8_t sum = 0;
            for (std::size_t i = 0; i + 1 < trailer.size(); ++i) {
                sum = static_cast<std::uint8_t>(sum + trailer[i]);
            }
            if (trailer.size() != static_cast<std::size_t>(4 * n + 1) || trailer.back() != 0xFF - sum) {
                return {PollResult::kFailed, StringId::kChecksumError, {}};
            }
        }
        if (j == 0) {
            return {PollResult::kNothingNew, StringId::kNoResponse, {}};
        }
        return {PollResult::kJudged, StringId::kNoResponse, csvLines(j, trailer.empty() ? 0 : n, trailer)};
    }

  private:
    std::vector<std::uint8_t> take(int count, int limit) {
        const int n = std::min<int>({count, limit, static_cast<int>(m_waiting.size())});
        std::vector<std::uint8_t> bytes(m_waiting.begin(), m_waiting.begin() + n);
        m_waiting.erase(m_waiting.begin(), m_waiting.begin() + n);
        return bytes;
    }

    // The file writes the character byte 0x0A as one of its own line ends.
    static std::string Character(char c) { return c == '\n' ? std::string("\r\n") : std::string(1, c); }

    static std::string csvLines(int j, int n, const std::vector<std::uint8_t>& trailer) {
        static constexpr const char* kTexts[] = {"--", "OK", "NG", "--"};
        std::string best, numerical, alphabetic, bestDiff, numericalDiff, alphabeticDiff;
        for (int i = 0; i < n; ++i) {
            const int nd = static_cast<std::int8_t>(trailer[static_cast<std::size_t>(4 * i)]);
            const int ad = static_cast<std::int8_t>(trailer[static_cast<std::size_t>(4 * i + 1)]);
            const char nc = static_cast<char>(trailer[static_cast<std::size_t>(4 * i + 2)] & 0x7F);
            const char ac = static_cast<char>(trailer[static_cast<std::size_t>(4 * i + 3)] & 0x7F);
            best += Character(nd < ad ? nc : ac) + ",";
            numerical += Character(nc) + ",";
            alphabetic += Character(ac) + ",";
            bestDiff += std::to_string(nd < ad ? nd : ad) + ",";
            numericalDiff += std::to_string(nd) + ",";
            alphabeticDiff += std::to_string(ad) + ",";
        }
        return std::string(kTexts[j]) + "," + std::to_string(n) + "," + std::string(kStamp) + "\r\n" + best +
               " ," + numerical + " ," + alphabetic + "\r\n" + bestDiff + " ," + numericalDiff + " ," +
               alphabeticDiff + "\r\n";
    }

    std::deque<std::uint8_t>& m_waiting;
};

std::chrono::system_clock::time_point StampMoment() {
    // 2026-12-05 22:11:46.123 in the zone the run sets (UTC).
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(1796508706123LL));
}

}  // namespace
}  // namespace torv::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "UTC0", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace torv;
    using namespace torv::fuzz;
    InputReader input(data, size);
    static const std::string csvName = ScratchPath("result");
    test::ScriptedLine line;
    std::deque<std::uint8_t> waiting;  // the reference's view of the line
    std::vector<std::uint8_t> nextReply;
    line.answer = [&nextReply](std::span<const std::uint8_t>) { return nextReply; };

    OperationState state;
    ResultMonitor monitor(state, StampMoment);
    Require(monitor.openLink() == kLinkOpened, "the scripted port opens");
    Require(monitor.createCsv(csvName), "the result CSV is created");
    ReferencePoll reference(waiting);
    std::string expectedCsv;
    for (int p = 0; p < kMaxPolls && input.remaining() > 0; ++p) {
        const std::array<int, 3> limits{input.number(0, 1), input.number(0, 3),
                                        input.number(0, kMaxTrailerSize)};
        nextReply = input.bytes(static_cast<std::size_t>(input.number(0, kMaxPollBytes)));
        // Bytes an earlier poll left unread are a late reply: this poll fails before its frame.
        const bool outOfStep = !waiting.empty();
        waiting.clear();
        if (!outOfStep) {
            waiting.insert(waiting.end(), nextReply.begin(), nextReply.end());
        }
        line.readLimits.assign(limits.begin(), limits.end());
        Judgement judgement;
        const PollResult result = monitor.poll(judgement);
        const ExpectedPoll expected = outOfStep
                                          ? ExpectedPoll{PollResult::kFailed, StringId::kInvalidResponse, {}}
                                          : reference.poll(limits);
        Require(result == expected.result, "the poll's outcome follows the reply and trailer rules");
        Require(std::equal(line.input.begin(), line.input.end(), waiting.begin(), waiting.end()),
                "the poll reads exactly the bytes the rules say");
        if (result == PollResult::kFailed) {
            Require(state.LastErrorText == Text(expected.message), "a failed poll carries its message");
            break;  // the monitor stops at the first failure
        }
        if (result == PollResult::kJudged) {
            Require(judgement.code >= kJudgedOk && judgement.code <= kJudgedOther,
                    "a judgement is OK, NG or --");
            Require(monitor.countJudgement(), "a judgement is counted");
            expectedCsv += expected.csvLines;
        }
        line.readLimits.clear();
    }
    const std::string csvPath = monitor.csv().path();
    monitor.close();
    Require(ReadBytes(csvPath) == expectedCsv, "the CSV holds each judgement's three lines, in order");
    return 0;
}
