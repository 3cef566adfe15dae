#pragma once
// The sensor's live judgements for the `Y` poll: a new inspection every 100 to 300 ms, mostly OK,
// sometimes NG, now and then "--" with nothing read. Time is passed in, so the stream is a pure
// function of the seed and the poll times.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_random.h"

namespace torv::sim {

using SimTime = std::chrono::nanoseconds;  // on the monotonic clock

enum JudgementCode : std::uint8_t {
    kNoNewJudgement = 0,
    kJudgementOk = 1,
    kJudgementNg = 2,
    kJudgementNone = 3,  // shown as "--"
};

inline constexpr std::uint8_t kJudgementMask = 0x03;

struct Judgement {
    std::uint8_t count = 0;   // n, characters read
    std::uint8_t status = 0;  // judgement in bits 0..1
    // 4n bytes (numerical difference, alphabetic difference, numerical char, alphabetic char per
    // character) and their checksum; empty unless n > 0 and the judgement is new.
    std::vector<std::uint8_t> trailer;
};

class JudgementStream {
  public:
    // `text` is what the sensor reads on every product (its recognized characters).
    JudgementStream(std::uint64_t seed, std::string text);

    Judgement poll(SimTime now);

  private:
    Judgement inspect();

    SimRandom m_random;
    std::string m_text;
    bool m_started = false;
    SimTime m_next{};
};

}  // namespace torv::sim
