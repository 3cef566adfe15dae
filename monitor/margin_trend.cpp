#include "monitor/margin_trend.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace torv {
namespace {

constexpr double kEwmaWeight = 0.2;
constexpr double kEwmaLimitSigmas = 6.0;
constexpr double kReadingCapSigmas = 4.0;
constexpr double kBaselineOutlierSigmas = 4.5;
constexpr double kMadToSigma = 1.4826;  // for normally spread readings
// Differences are whole numbers: a baseline that never moved still has this much spread.
constexpr double kLeastSigma = 1.0;
constexpr double kBeyondSigmas = 4.0;
constexpr unsigned kLastThreeSubgroups = 0x7;
constexpr int kBeyondOfThree = 2;
constexpr double kAboveSigmas = 1.5;
constexpr int kAboveRun = 8;

double Median(std::vector<int> values) {
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    return values[middle];
}

}  // namespace

std::string_view RuleName(TrendRule rule) {
    switch (rule) {
        case TrendRule::kEwmaLimit:
            return "ewma";
        case TrendRule::kTwoOfThreeBeyondFour:
            return "2-of-3-beyond-4-sigma";
        case TrendRule::kEightAboveOneAndAHalf:
            return "8-above-1.5-sigma";
    }
    return "";
}

std::string_view RuleWords(TrendRule rule) {
    switch (rule) {
        case TrendRule::kEwmaLimit:
            return "EWMA above its limit";
        case TrendRule::kTwoOfThreeBeyondFour:
            return "2 of 3 beyond 4 sigma";
        case TrendRule::kEightAboveOneAndAHalf:
            return "8 in a row above 1.5 sigma";
    }
    return "";
}

std::string AlarmText(const TrendAlarm& alarm) {
    char text[160];
    std::snprintf(text, sizeof text, "Position %d ('%c'): %s, level %.1f against %.1f (%+.1f, %+.1f sigma)",
                  alarm.position, alarm.character, std::string(RuleWords(alarm.rule)).c_str(), alarm.level,
                  alarm.baseline, alarm.level - alarm.baseline, alarm.shiftSigmas());
    return text;
}

PositionTrend::PositionTrend(int position, int baselineReadings)
    : m_position(position), m_baselineReadings(std::max(baselineReadings, kShortestTrendBaseline)) {
    // A long baseline grows as readings come; a short one never reallocates.
    constexpr int kReservedReadings = 4096;
    m_learning.reserve(static_cast<std::size_t>(std::min(m_baselineReadings, kReservedReadings)));
}

double PositionTrend::limit() const {
    const double subgroupSigma = m_takenSigma / std::sqrt(double{kTrendSubgroupSize});
    return m_baseline + kEwmaLimitSigmas * subgroupSigma * std::sqrt(kEwmaWeight / (2 - kEwmaWeight));
}

double PositionTrend::spread() const {
    double sum = m_rawSum;
    double squares = m_rawSquares;
    int count = m_count;
    const int kept = std::min(m_recentSubgroups, static_cast<int>(kSpreadSubgroups));
    for (int i = 0; i < kept; ++i) {
        sum += m_recentSums[static_cast<std::size_t>(i)];
        squares += m_recentSquares[static_cast<std::size_t>(i)];
        count += kTrendSubgroupSize;
    }
    if (count < 2) {
        return m_sigma;
    }
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, (squares - count * mean * mean) / (count - 1)));
}

void PositionTrend::learn() {
    const double median = Median(m_learning);
    std::vector<int> deviations;
    deviations.reserve(m_learning.size());
    for (const int reading : m_learning) {
        deviations.push_back(static_cast<int>(std::lround(std::abs(reading - median))));
    }
    const double robustSigma = std::max(kLeastSigma, kMadToSigma * Median(deviations));
    double sum = 0;
    double squares = 0;
    int kept = 0;
    for (const int reading : m_learning) {
        if (std::abs(reading - median) <= kBaselineOutlierSigmas * robustSigma) {
            sum += reading;
            squares += double{1} * reading * reading;
            ++kept;
        }
    }
    const double goodMean = sum / kept;  // the median itself is always kept
    const double variance = kept > 1 ? (squares - kept * goodMean * goodMean) / (kept - 1) : 0;
    m_sigma = std::max(kLeastSigma, std::sqrt(std::max(0.0, variance)));
    learnChartCentre(goodMean);
    m_level = m_baseline;
    m_learned = true;
    m_learning.clear();
    m_learning.shrink_to_fit();
}

// The chart's centre and spread are those of the readings as the subgroups will take them, capped
// against the level. A line with many NGs has many capped readings: their share lifts every subgroup's
// mean and widens its spread, so a chart centred on the good prints alone would sit near its limit and
// alarm on a chance cluster of NGs. With NGs rare the two centres are the same.
void PositionTrend::learnChartCentre(double goodMean) {
    constexpr int kCentreRounds = 8;  // each round narrows the gap by the capped share; few are needed
    double centre = goodMean;
    double squares = 0;
    for (int round = 0; round < kCentreRounds; ++round) {
        const double cap = centre + kReadingCapSigmas * m_sigma;
        double sum = 0;
        squares = 0;
        for (const int reading : m_learning) {
            const double taken = std::min(double{1} * reading, cap);
            sum += taken;
            squares += taken * taken;
        }
        centre = sum / static_cast<double>(m_learning.size());
    }
    const auto count = static_cast<double>(m_learning.size());
    const double variance = (squares - count * centre * centre) / (count - 1);
    m_baseline = centre;
    m_takenSigma = std::max(m_sigma, std::sqrt(std::max(0.0, variance)));
}

bool PositionTrend::add(long long judgement, char character, int difference, std::string_view time) {
    ++m_readings;
    m_character = character;
    if (!m_learned) {
        m_learning.push_back(difference);
        if (static_cast<int>(m_learning.size()) == m_baselineReadings) {
            learn();
        }
        return false;
    }
    // Capped against the level, not the baseline: a fade moves the level along with it, a smudge far
    // above the level counts only up to the cap.
    m_sum += std::min(double{1} * difference, m_level + kReadingCapSigmas * m_sigma);
    m_rawSum += difference;
    m_rawSquares += double{1} * difference * difference;
    if (++m_count < kTrendSubgroupSize) {
        return false;
    }
    return closeSubgroup(judgement, character, time);
}

void PositionTrend::keepForSpread() {
    const auto slot = static_cast<std::size_t>(m_recentSubgroups) % kSpreadSubgroups;
    m_recentSums[slot] = m_rawSum;
    m_recentSquares[slot] = m_rawSquares;
    ++m_recentSubgroups;
    m_rawSum = 0;
    m_rawSquares = 0;
}

bool PositionTrend::ruleFired(TrendRule& rule, double subgroupMean) {
    const double subgroupSigma = m_takenSigma / std::sqrt(double{kTrendSubgroupSize});
    const double z = (subgroupMean - m_baseline) / subgroupSigma;
    m_beyondBits = (m_beyondBits << 1U) | (z > kBeyondSigmas ? 1U : 0U);
    m_aboveRun = z > kAboveSigmas ? m_aboveRun + 1 : 0;
    const bool ewma = m_level > limit();
    const bool twoOfThree = std::popcount(m_beyondBits & kLastThreeSubgroups) >= kBeyondOfThree;
    const bool eightAbove = m_aboveRun >= kAboveRun;
    if (m_inAlarm) {
        // Back near normal, with no rule still holding: the next excursion is a new alarm.
        const bool settled = m_level < (m_baseline + limit()) / 2 && !twoOfThree && !eightAbove;
        m_inAlarm = !settled;
        return false;
    }
    if (!(ewma || twoOfThree || eightAbove)) {
        return false;
    }
    rule = ewma         ? TrendRule::kEwmaLimit
           : twoOfThree ? TrendRule::kTwoOfThreeBeyondFour
                        : TrendRule::kEightAboveOneAndAHalf;
    m_inAlarm = true;
    return true;
}

bool PositionTrend::closeSubgroup(long long judgement, char character, std::string_view time) {
    const double mean = m_sum / kTrendSubgroupSize;
    const double rawMean = m_rawSum / kTrendSubgroupSize;
    m_sum = 0;
    m_count = 0;
    keepForSpread();
    // The level never sinks below normal: a run of very good prints must not hide the next drift.
    m_level = std::max(m_baseline, kEwmaWeight * mean + (1 - kEwmaWeight) * m_level);
    m_points.push_back(TrendPoint{judgement, static_cast<float>(rawMean), static_cast<float>(m_level)});
    TrendRule rule = TrendRule::kEwmaLimit;
    if (!ruleFired(rule, mean)) {
        return false;
    }
    m_lastAlarm =
        TrendAlarm{judgement, m_position, character, rule, m_baseline, m_level, m_sigma, std::string(time)};
    return true;
}

MarginTrend::MarginTrend(int baselineJudgements) : m_baselineJudgements(baselineJudgements) {}

const std::vector<TrendAlarm>& MarginTrend::add(const Judgement& judgement, std::string_view time) {
    m_raised.clear();
    ++m_judgements;
    if (judgement.code == kJudgedNg) {
        m_ngJudgements.push_back(m_judgements);
    }
    if (judgement.code != kJudgedOk && judgement.code != kJudgedNg) {
        return m_raised;
    }
    for (std::size_t i = 0; i < judgement.characters.size(); ++i) {
        if (i == m_positions.size()) {
            m_positions.emplace_back(static_cast<int>(i) + 1, m_baselineJudgements);
        }
        const JudgedCharacter& character = judgement.characters[i];
        if (m_positions[i].add(m_judgements, character.best(), character.bestDifference(), time)) {
            m_raised.push_back(m_positions[i].lastAlarm());
            m_alarms.push_back(m_positions[i].lastAlarm());
        }
    }
    return m_raised;
}

}  // namespace torv
