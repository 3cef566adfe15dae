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
constexpr int kFurthestFadePosition = 32;
constexpr int kLongestRun = 1000000;  // inspections, for a fade's length and start and a smudge's spacing
constexpr int kFullFadeRise = 50;     // a faded character's good match, this much worse than a fresh one
constexpr int kFadeMarginLow = 5;     // how much poorer the look-alike stays than a fading match
constexpr int kFadeMarginHigh = 20;

// Four trailer bytes for one character; on an NG the spoiled character matches nothing well. A fading
// character matches its own shape worse by `fade`, while its look-alike stays the poorer match, so
// what the sensor reads there does not change until the print is gone.
void AppendCharacter(std::vector<std::uint8_t>& out, char printed, bool spoiled, SimRandom& random,
                     std::optional<int> fade = std::nullopt) {
    const bool digit = kDigits.find(printed) != std::string_view::npos;
    int good = random.between(0, kGoodHigh);
    int poor = random.between(kPoorLow, kPoorHigh);
    if (spoiled) {
        good = random.between(kBadLow, kBadHigh);
        poor = random.between(kBadLow, kBadHigh);
    } else if (fade) {
        good += *fade;
        poor = std::min(kBadHigh, std::max(poor, good + random.between(kFadeMarginLow, kFadeMarginHigh)));
    }
    out.push_back(static_cast<std::uint8_t>(digit ? good : poor));
    out.push_back(static_cast<std::uint8_t>(digit ? poor : good));
    out.push_back(static_cast<std::uint8_t>((digit ? printed : DigitLookalike(printed)) & kCharBits));
    out.push_back(static_cast<std::uint8_t>((digit ? LetterLookalike(printed) : printed) & kCharBits));
}

// The trailer carries a difference as a signed byte; the stored record's larger ones (up to 255)
// reach the poll as the largest it can say, never wrapped round to a negative, very good match.
std::uint8_t TrailerDifference(std::uint8_t recorded) {
    constexpr std::uint8_t kLargestTrailerDifference = 127;
    return std::min(recorded, kLargestTrailerDifference);
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

// The comma-separated fields of a text; one empty field for an empty text.
std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        fields.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
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
    const std::vector<std::string_view> fields = Fields(text);
    if (fields.size() != kWeights) {
        return false;
    }
    std::vector<int> weights;
    for (std::string_view field : fields) {
        const auto weight = Number(field, kHeaviestWeight);
        if (!weight) {
            return false;
        }
        weights.push_back(*weight);
    }
    if (weights[0] + weights[1] + weights[2] == 0) {
        return false;
    }
    settings.okWeight = weights[0];
    settings.ngWeight = weights[1];
    settings.noneWeight = weights[2];
    return true;
}

bool ParseFade(std::string_view text, JudgementSettings& settings) {
    const std::vector<std::string_view> fields = Fields(text);
    if (fields.size() < 2 || fields.size() > 3) {
        return false;
    }
    const auto position = Number(fields[0], kFurthestFadePosition);
    const auto length = Number(fields[1], kLongestRun);
    const auto after = fields.size() == 3 ? Number(fields[2], kLongestRun) : kDefaultFadeAfter;
    if (!position || *position == 0 || !length || *length == 0 || !after) {
        return false;
    }
    settings.fadePosition = *position;
    settings.fadeLength = *length;
    settings.fadeAfter = *after;
    return true;
}

bool ParseSmudgeEvery(std::string_view text, JudgementSettings& settings) {
    const auto every = Number(text, kLongestRun);
    if (!every || *every == 0) {
        return false;
    }
    settings.smudgeEvery = *every;
    return true;
}

Judgement NgJudgement(const NgInspection& inspection) {
    constexpr std::size_t kMostCharacters = 255;  // n is one byte
    const std::size_t count = std::min(inspection.characters.size(), kMostCharacters);
    Judgement judgement{static_cast<std::uint8_t>(count), kJudgementNg, {}, -1};
    for (std::size_t i = 0; i < count; ++i) {
        const NgCharacter& c = inspection.characters[i];
        judgement.trailer.insert(
            judgement.trailer.end(),
            {TrailerDifference(c.numericalDifference), TrailerDifference(c.alphabeticDifference),
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

std::optional<int> JudgementStream::fadeRise() const {
    const std::int64_t into = m_inspections - m_settings.fadeAfter;
    const std::int64_t length = m_settings.fadeLength;
    if (m_settings.fadePosition == 0 || into <= 0 || into > length) {
        return std::nullopt;
    }
    // In whole numbers, rounded half up, so every platform fades alike.
    return static_cast<int>((into * 2 * kFullFadeRise + length) / (2 * length));
}

bool JudgementStream::printGone() const {
    return m_settings.fadePosition != 0 &&
           m_inspections > static_cast<std::int64_t>(m_settings.fadeAfter) + m_settings.fadeLength;
}

Judgement JudgementStream::inspect() {
    ++m_inspections;
    std::uint8_t code = drawJudgement();
    if (code == kJudgementNone || m_text.empty()) {
        return Judgement{0, kJudgementNone, {}, -1};  // nothing read
    }
    const int count = static_cast<int>(m_text.size());
    const int fading = m_settings.fadePosition <= count ? m_settings.fadePosition - 1 : -1;
    const bool smudged = m_settings.smudgeEvery != 0 && m_inspections % m_settings.smudgeEvery == 0;
    int spoiled = -1;
    if (fading >= 0 && printGone()) {
        code = kJudgementNg;  // nothing is left to match at the faded position
        spoiled = fading;
    } else if (code == kJudgementNg || smudged) {
        code = kJudgementNg;
        spoiled = m_random.between(0, count - 1);
    }
    const std::optional<int> rise = fading >= 0 ? fadeRise() : std::nullopt;
    Judgement j{static_cast<std::uint8_t>(m_text.size()), code, {}, spoiled};
    for (int i = 0; i < count; ++i) {
        AppendCharacter(j.trailer, m_text[i], i == spoiled, m_random, i == fading ? rise : std::nullopt);
    }
    j.trailer.push_back(Checksum(j.trailer));
    return j;
}

}  // namespace torv::sim
