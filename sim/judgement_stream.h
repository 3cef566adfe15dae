#pragma once
// The sensor's live judgements for the `Y` poll: a new inspection at a set pace (by default every 100
// to 300 ms; pace 0 gives one at every poll), each OK, NG or "--" in a set mix. The characters are the
// ones the sensor recognizes; the sensor model turns an NG into a stored NG inspection (NgJudgement).
// Time is passed in, so the stream is a pure function of the seed, the settings and the poll times.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_random.h"
#include "sim/stored_ng.h"

namespace torv::sim {

using SimTime = std::chrono::nanoseconds;  // on the monotonic clock

enum JudgementCode : std::uint8_t {
    kNoNewJudgement = 0,
    kJudgementOk = 1,
    kJudgementNg = 2,
    kJudgementNone = 3,  // shown as "--"
};

inline constexpr std::uint8_t kJudgementMask = 0x03;
inline constexpr int kDefaultFadeAfter = 500;

struct JudgementSettings {
    // A new inspection comes this long after the previous one, drawn between the two; 0 and 0: at
    // every poll.
    std::chrono::milliseconds shortestInterval{100};
    std::chrono::milliseconds longestInterval{300};
    // Relative weights of OK, NG and "--" (nothing read).
    int okWeight = 85;
    int ngWeight = 12;
    int noneWeight = 3;
    // A print fading at one character position (1..32; 0: none): after `fadeAfter` inspections its
    // good match worsens over `fadeLength` inspections, then that character is gone and every product
    // read is NG.
    int fadePosition = 0;
    int fadeLength = 0;
    int fadeAfter = kDefaultFadeAfter;
    // Every this many inspections a product read is NG with one character smudged (0: never).
    int smudgeEvery = 0;
};

// "--pace MS" or "MIN-MAX" (milliseconds, MIN <= MAX <= 60000); false when the text is not that.
bool ParsePace(std::string_view text, JudgementSettings& settings);
// "--mix OK,NG,NONE": three weights 0..1000, not all 0; false when the text is not that.
bool ParseMix(std::string_view text, JudgementSettings& settings);
// "--fade POSITION,JUDGEMENTS[,AFTER]": POSITION 1..32, JUDGEMENTS 1..1000000, AFTER 0..1000000
// (default 500); false when the text is not that.
bool ParseFade(std::string_view text, JudgementSettings& settings);
// "--smudge-every N": N 1..1000000; false when the text is not that.
bool ParseSmudgeEvery(std::string_view text, JudgementSettings& settings);

struct Judgement {
    std::uint8_t count = 0;   // n, characters read
    std::uint8_t status = 0;  // judgement in bits 0..1
    // 4n bytes (numerical difference, alphabetic difference, numerical char, alphabetic char per
    // character) and their checksum; empty unless n > 0 and the judgement is new.
    std::vector<std::uint8_t> trailer;
    int spoiled = -1;  // on an NG: the character that matched nothing well
};

// The NG judgement of an inspection the sensor stores: its characters as the record has them (capped at
// the 255 a judgement can carry).
Judgement NgJudgement(const NgInspection& inspection);

class JudgementStream {
  public:
    // `text` is what the sensor reads on every product (its recognized characters).
    JudgementStream(std::uint64_t seed, std::string text, JudgementSettings settings = {});

    Judgement poll(SimTime now);

  private:
    Judgement inspect();
    std::uint8_t drawJudgement();
    // How much the fading character's good match has worsened at this inspection; nothing outside
    // the fade.
    std::optional<int> fadeRise() const;
    bool printGone() const;

    SimRandom m_random;
    std::string m_text;
    JudgementSettings m_settings;
    bool m_started = false;
    SimTime m_next{};
    std::int64_t m_inspections = 0;  // every new judgement so far, of any kind
};

}  // namespace torv::sim
