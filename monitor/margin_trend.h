#pragma once
// The recognition-margin trend: for every character position, the best difference of each judgement is
// a measurement of print quality (smaller is a better match). A dirty lens or fading ink makes it creep
// up for hours before the first misread; the trend sees the creep while the judgements are still OK.
//
// The chart is the one plants know from their own process control, watched on one side only (a better
// match is never an alarm):
// - The first readings of a position (the baseline, 1000 judgements unless told) give its normal level
//   and spread. The spread of one good reading (sigma) leaves the bad prints out (a reading beyond 4.5
//   robust sigma of the median).
// - Readings are taken in subgroups of 10. A single reading counts at most 4 sigma above the level so
//   far, so that one smudge moves a subgroup by no more than 0.4 sigma: a bad print is a defect, not a
//   trend, and the sensor already judges it NG. A fade rises slowly and takes the level along.
// - The chart's centre and limits come from the baseline's readings taken the same way, capped. A lone
//   smudge hardly moves them; on a line that judges many products NG, or a position that only NG prints
//   reach, they sit where the subgroups really wander, so a chance cluster of NGs is no alarm.
// - Three rules watch the subgroup means. A sensor judges several times a second all day, so the limits
//   are set far wider than a chart for a daily sample would use: on a stable print with a smudge every
//   few thousand judgements, none fired in ten million judgements of six positions, and a fade still
//   raises an alarm about a tenth of the way in.
//   "EWMA above its limit": the exponentially weighted mean (weight 0.2) beyond 6 of its own sigma;
//   "2 of 3 beyond 4 sigma" and "8 in a row above 1.5 sigma": Western Electric's run rules on the means,
//   with wider zones.
// A position in alarm raises no second alarm until its level is back near normal.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/judgement.h"

namespace torv {

inline constexpr int kTrendSubgroupSize = 10;
inline constexpr int kDefaultTrendBaseline = 1000;
// The baseline needs two subgroups at least to say anything about the spread.
inline constexpr int kShortestTrendBaseline = 2 * kTrendSubgroupSize;

enum class TrendRule {
    kEwmaLimit,
    kTwoOfThreeBeyondFour,
    kEightAboveOneAndAHalf,
};

// "ewma", "2-of-3-beyond-4-sigma", "8-above-1.5-sigma": the names in JSON and on the command line.
std::string_view RuleName(TrendRule rule);
// "EWMA above its limit", ...: the words on screen.
std::string_view RuleWords(TrendRule rule);

struct TrendAlarm {
    long long judgement = 0;  // counts from 1 over every judgement given to the trend
    int position = 0;         // counts from 1
    char character = ' ';     // the best character read there when the alarm fired
    TrendRule rule = TrendRule::kEwmaLimit;
    double baseline = 0;  // the normal level
    double level = 0;     // the level when the alarm fired (the EWMA)
    double sigma = 0;     // the normal spread of one reading
    std::string time;     // the judgement's time as it was given

    // How far the level has moved, in sigma of one reading.
    double shiftSigmas() const { return sigma > 0 ? (level - baseline) / sigma : 0; }
};

// "Position 3 ('C'): EWMA above its limit, level 16.2 against 10.1 (+6.1, +1.0 sigma)".
std::string AlarmText(const TrendAlarm& alarm);

// One finished subgroup of a position, for the chart.
struct TrendPoint {
    long long judgement = 0;  // the judgement that completed the subgroup
    float mean = 0;           // of the subgroup's readings as read
    float level = 0;          // the EWMA after it
};

class PositionTrend {
  public:
    static constexpr std::size_t kSpreadSubgroups = 10;

    PositionTrend(int position, int baselineReadings);

    // One reading; true when it raised an alarm (then lastAlarm() holds it).
    bool add(long long judgement, char character, int difference, std::string_view time);

    int position() const { return m_position; }
    // The best character of the latest reading.
    char character() const { return m_character; }
    bool learned() const { return m_learned; }
    double baseline() const { return m_baseline; }
    double sigma() const { return m_sigma; }
    // The EWMA of the subgroup means (the baseline until the first subgroup after it).
    double level() const { return m_level; }
    // The upper control limit of the EWMA.
    double limit() const;
    // The spread of the readings of the last subgroups (up to 10 of them).
    double spread() const;
    long long readings() const { return m_readings; }
    bool inAlarm() const { return m_inAlarm; }
    const std::vector<TrendPoint>& points() const { return m_points; }
    const TrendAlarm& lastAlarm() const { return m_lastAlarm; }

  private:
    void learn();
    void learnChartCentre(double goodMean);
    bool closeSubgroup(long long judgement, char character, std::string_view time);
    bool ruleFired(TrendRule& rule, double subgroupMean);
    void keepForSpread();

    int m_position;
    int m_baselineReadings;
    long long m_readings = 0;
    char m_character = ' ';
    std::vector<int> m_learning;  // the baseline readings until learned
    bool m_learned = false;
    double m_baseline = 0;
    double m_sigma = 0;       // of one good reading
    double m_takenSigma = 0;  // of one reading as the subgroups take it, capped
    double m_level = 0;

    double m_sum = 0;  // of the open subgroup, as taken
    int m_count = 0;
    double m_rawSum = 0;  // of the open subgroup, as read, for spread()
    double m_rawSquares = 0;
    // The raw sums of the last subgroups, oldest overwritten first.
    std::array<double, kSpreadSubgroups> m_recentSums{};
    std::array<double, kSpreadSubgroups> m_recentSquares{};
    int m_recentSubgroups = 0;

    unsigned m_beyondBits = 0;  // a bit per subgroup beyond the zone, newest in bit 0
    int m_aboveRun = 0;
    bool m_inAlarm = false;
    TrendAlarm m_lastAlarm;
    std::vector<TrendPoint> m_points;
};

class MarginTrend {
  public:
    explicit MarginTrend(int baselineJudgements = kDefaultTrendBaseline);

    // One judgement with its time text; returns the alarms it raised (usually none). A "--" judgement
    // is counted but measures nothing; every OK and NG judgement measures each position it read.
    const std::vector<TrendAlarm>& add(const Judgement& judgement, std::string_view time);

    long long judgements() const { return m_judgements; }
    long long ngCount() const { return static_cast<long long>(m_ngJudgements.size()); }
    // The judgement numbers of the NGs, for the NG rate over time.
    const std::vector<long long>& ngJudgements() const { return m_ngJudgements; }
    const std::vector<PositionTrend>& positions() const { return m_positions; }
    const std::vector<TrendAlarm>& alarms() const { return m_alarms; }
    int baselineJudgements() const { return m_baselineJudgements; }

  private:
    int m_baselineJudgements;
    long long m_judgements = 0;
    std::vector<long long> m_ngJudgements;
    std::vector<PositionTrend> m_positions;
    std::vector<TrendAlarm> m_alarms;
    std::vector<TrendAlarm> m_raised;
};

}  // namespace torv
