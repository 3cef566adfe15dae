#include "sim/recognized_line.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "sim/sim_random.h"
#include "sim/stored_ng.h"

namespace torv::sim {
namespace {

// A product's print: a best-before date (YYMMDD), the time (HHMM), a lot code, or some of them.
constexpr int kFirstPrintDay = 8766;  // 1 Jan 2024, counted from 1 Jan 2000
constexpr int kPrintDays = 4 * 365;
constexpr int kMinutesPerHour = 60;
constexpr std::string_view kLotLetters = "ABCEHKLPSTXZ";
constexpr int kLotDigitsMin = 3;
constexpr int kLotDigitsMax = 6;
// One character in this many shows a dot too many or missing.
constexpr int kDefectPercent = 25;
constexpr std::uint64_t kProductStride = 0x9E3779B97F4A7C15ULL;

enum PrintPart : unsigned { kDate = 1, kTime = 2, kLot = 4 };
constexpr unsigned kPrints[] = {kDate, kDate | kTime, kLot, kDate | kLot, kDate | kTime | kLot};

std::string TimeText(int minute) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%02d%02d", minute / kMinutesPerHour, minute % kMinutesPerHour);
    return text.data();
}

std::string LotText(SimRandom& random) {
    std::string lot(1, kLotLetters[static_cast<std::size_t>(random.between(0, int(kLotLetters.size()) - 1))]);
    const int digits = random.between(kLotDigitsMin, kLotDigitsMax);
    for (int i = 0; i < digits; ++i) {
        lot.push_back(static_cast<char>('0' + random.between(0, 9)));
    }
    return lot;
}

std::string ProductText(SimRandom& random) {
    const unsigned print = kPrints[random.between(0, static_cast<int>(std::size(kPrints)) - 1)];
    std::string text;
    if ((print & kDate) != 0) {
        text += PrintedDate(kFirstPrintDay + random.between(0, kPrintDays - 1));
    }
    if ((print & kTime) != 0) {
        text += TimeText(random.between(0, kMinutesPerDay - 1));
    }
    if ((print & kLot) != 0) {
        text += LotText(random);
    }
    return text;
}

RecognizedReading ReadText(const std::string& text, SimRandom& random) {
    RecognizedReading reading;
    for (char code : text) {
        const GlyphRows shape = Glyph(code);
        GlyphRows seen = shape;
        if (random.chance(kDefectPercent)) {
            seen[static_cast<std::size_t>(random.between(0, kGridSize - 1))] ^=
                static_cast<std::uint8_t>(1U << random.between(0, kGridSize - 1));
        }
        reading.push_back({code, MakePattern(seen, shape)});
    }
    return reading;
}

SimRandom ProductRandom(std::uint64_t seed, std::int64_t product) {
    SimRandom base = RandomFor(seed, RandomStream::kRecognized);
    return SimRandom(base.next() + static_cast<std::uint64_t>(product) * kProductStride);
}

}  // namespace

RecognizedReading ProductReading(std::uint64_t seed, std::int64_t product) {
    SimRandom random = ProductRandom(seed, product);
    return ReadText(ProductText(random), random);
}

RecognizedReading FixedReading(std::uint64_t seed, const std::string& text) {
    SimRandom random = ProductRandom(seed, -1);
    return ReadText(text.substr(0, kMaxRecognizedCount), random);
}

std::string TextOf(const RecognizedReading& reading) {
    std::string text;
    for (const RecognizedCharacter& c : reading) {
        text.push_back(c.code);
    }
    return text;
}

RecognizedLine::RecognizedLine(std::uint64_t seed)
    : m_seed(seed), m_newest(ProductReading(seed, 0)), m_handedOver(m_newest) {}

void RecognizedLine::readAlways(const std::string& text) {
    m_fixed = true;
    m_newest = FixedReading(m_seed, text);
    m_handedOver = m_newest;
}

void RecognizedLine::advanceTo(SimTime now) {
    if (m_fixed || m_interval <= SimTime::zero()) {
        return;
    }
    if (!m_start) {
        m_start = now;
    }
    const std::int64_t product = (now - *m_start) / m_interval;
    if (product != m_product) {
        m_product = product;
        m_newest = ProductReading(m_seed, product);
    }
}

int RecognizedLine::handOver() {
    m_handedOver = m_newest;
    return static_cast<int>(m_handedOver.size());
}

std::array<std::uint8_t, 2> RecognizedLine::patternPair(int character, int pair) const {
    if (character < 0 || character >= static_cast<int>(m_handedOver.size()) || pair < 0 ||
        pair >= kPairsPerPattern) {
        return {0, 0};
    }
    const CharacterPattern& p = m_handedOver[static_cast<std::size_t>(character)].pattern;
    return {p[static_cast<std::size_t>(2 * pair)], p[static_cast<std::size_t>(2 * pair + 1)]};
}

}  // namespace torv::sim
