#include "sim/judgement_stream.h"

#include <string_view>
#include <utility>

#include "sim/checksum.h"
#include "sim/glyphs.h"
#include "sim/sim_random.h"

namespace torv::sim {
namespace {

constexpr std::chrono::milliseconds kShortestInterval{100};
constexpr std::chrono::milliseconds kLongestInterval{300};
constexpr int kNgPercent = 12;
constexpr int kNothingReadPercent = 3;
constexpr int kGoodHigh = 20;
constexpr int kPoorLow = 25;
constexpr int kPoorHigh = 90;
constexpr int kBadLow = 100;
constexpr int kBadHigh = 127;
constexpr std::string_view kDigits = "0123456789";
constexpr std::uint8_t kCharBits = 0x7F;

// Four trailer bytes for one character; on an NG the spoiled character matches nothing well.
void AppendCharacter(std::vector<std::uint8_t>& out, char printed, bool spoiled, SimRandom& random) {
    const bool digit = kDigits.find(printed) != std::string_view::npos;
    int good = random.between(0, kGoodHigh);
    int poor = random.between(kPoorLow, kPoorHigh);
    if (spoiled) {
        good = random.between(kBadLow, kBadHigh);
        poor = random.between(kBadLow, kBadHigh);
    }
    out.push_back(static_cast<std::uint8_t>(digit ? good : poor));
    out.push_back(static_cast<std::uint8_t>(digit ? poor : good));
    out.push_back(static_cast<std::uint8_t>((digit ? printed : DigitLookalike(printed)) & kCharBits));
    out.push_back(static_cast<std::uint8_t>((digit ? LetterLookalike(printed) : printed) & kCharBits));
}

}  // namespace

JudgementStream::JudgementStream(std::uint64_t seed, std::string text)
    : m_random(RandomFor(seed, RandomStream::kJudgements)), m_text(std::move(text)) {}

Judgement JudgementStream::poll(SimTime now) {
    if (!m_started) {
        m_started = true;
        m_next = now + kShortestInterval;
    }
    if (now < m_next) {
        // Between inspections the sensor still reports how many characters it last read.
        return Judgement{static_cast<std::uint8_t>(m_text.size()), kNoNewJudgement, {}};
    }
    const int spread = m_random.between(0, static_cast<int>((kLongestInterval - kShortestInterval).count()));
    m_next = now + kShortestInterval + std::chrono::milliseconds(spread);
    return inspect();
}

Judgement JudgementStream::inspect() {
    if (m_random.chance(kNothingReadPercent) || m_text.empty()) {
        return Judgement{0, kJudgementNone, {}};
    }
    const bool ng = m_random.chance(kNgPercent);
    const int spoiled = ng ? m_random.between(0, static_cast<int>(m_text.size()) - 1) : -1;
    Judgement j{static_cast<std::uint8_t>(m_text.size()), ng ? kJudgementNg : kJudgementOk, {}};
    for (int i = 0; i < static_cast<int>(m_text.size()); ++i) {
        AppendCharacter(j.trailer, m_text[i], i == spoiled, m_random);
    }
    j.trailer.push_back(Checksum(j.trailer));
    return j;
}

}  // namespace torv::sim
