#include "sim/judgement_stream.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "sim/checksum.h"
#include "sim/glyphs.h"
#include "sim/sim_random.h"

namespace torv::sim {
namespace {

constexpr int kGoodHigh = 20;
constexpr int kPoorLow = 25;
constexpr int kPoorHigh = 90;
constexpr int kBadLow = 100;
constexpr int kBadHigh = 127;
constexpr std::string_view kDigits = "0123456789";
constexpr std::uint8_t kCharBits = 0x7F;
constexpr int kLongestPaceMs = 60000;
constexpr int kHeaviestWeight = 1000;

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

// A whole decimal number in 0..limit, or nothing.
std::optional<int> Number(std::string_view text, int limit) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 0 || value > limit) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool ParsePace(std::string_view text, JudgementSettings& settings) {
    const std::size_t dash = text.find('-');
    const auto shortest = Number(text.substr(0, dash), kLongestPaceMs);
    const auto longest =
        dash == std::string_view::npos ? shortest : Number(text.substr(dash + 1), kLongestPaceMs);
    if (!shortest || !longest || *longest < *shortest) {
        return false;
    }
    settings.shortestInterval = std::chrono::milliseconds(*shortest);
    settings.longestInterval = std::chrono::milliseconds(*longest);
    return true;
}

bool ParseMix(std::string_view text, JudgementSettings& settings) {
    constexpr std::size_t kWeights = 3;
    std::vector<int> weights;
    for (std::size_t start = 0; start <= text.size() && weights.size() <= kWeights;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto weight = Number(text.substr(start, comma - start), kHeaviestWeight);
        if (!weight) {
            return false;
        }
        weights.push_back(*weight);
        start = comma + 1;
    }
    if (weights.size() != kWeights || weights[0] + weights[1] + weights[2] == 0) {
        return false;
    }
    settings.okWeight = weights[0];
    settings.ngWeight = weights[1];
    settings.noneWeight = weights[2];
    return true;
}

Judgement NgJudgement(const NgInspection& inspection) {
    constexpr std::size_t kMostCharacters = 255;  // n is one byte
    const std::size_t count = std::min(inspection.characters.size(), kMostCharacters);
    Judgement judgement{static_cast<std::uint8_t>(count), kJudgementNg, {}, -1};
    for (std::size_t i = 0; i < count; ++i) {
        const NgCharacter& c = inspection.characters[i];
        judgement.trailer.insert(judgement.trailer.end(),
                                 {c.numericalDifference, c.alphabeticDifference,
                                  static_cast<std::uint8_t>(c.numerical & kCharBits),
                                  static_cast<std::uint8_t>(c.alphabetic & kCharBits)});
    }
    if (count > 0) {
        judgement.trailer.push_back(Checksum(judgement.trailer));
    }
    return judgement;
}

JudgementStream::JudgementStream(std::uint64_t seed, std::string text, JudgementSettings settings)
    : m_random(RandomFor(seed, RandomStream::kJudgements)), m_text(std::move(text)), m_settings(settings) {}

Judgement JudgementStream::poll(SimTime now) {
    if (!m_started) {
        m_started = true;
        m_next = now + m_settings.shortestInterval;
    }
    if (now < m_next) {
        // Between inspections the sensor still reports how many characters it last read.
        return Judgement{static_cast<std::uint8_t>(m_text.size()), kNoNewJudgement, {}, -1};
    }
    const auto spreadMs = (m_settings.longestInterval - m_settings.shortestInterval).count();
    const int spread = m_random.between(0, static_cast<int>(spreadMs));
    m_next = now + m_settings.shortestInterval + std::chrono::milliseconds(spread);
    return inspect();
}

std::uint8_t JudgementStream::drawJudgement() {
    const int draw = m_random.between(1, m_settings.okWeight + m_settings.ngWeight + m_settings.noneWeight);
    if (draw <= m_settings.okWeight) {
        return kJudgementOk;
    }
    return draw <= m_settings.okWeight + m_settings.ngWeight ? kJudgementNg : kJudgementNone;
}

Judgement JudgementStream::inspect() {
    const std::uint8_t code = drawJudgement();
    if (code == kJudgementNone || m_text.empty()) {
        return Judgement{0, kJudgementNone, {}, -1};  // nothing read
    }
    const int spoiled = code == kJudgementNg ? m_random.between(0, static_cast<int>(m_text.size()) - 1) : -1;
    Judgement j{static_cast<std::uint8_t>(m_text.size()), code, {}, spoiled};
    for (int i = 0; i < static_cast<int>(m_text.size()); ++i) {
        AppendCharacter(j.trailer, m_text[i], i == spoiled, m_random);
    }
    j.trailer.push_back(Checksum(j.trailer));
    return j;
}

}  // namespace torv::sim
