#pragma once
// `trend FILE... [--png OUT.png] [--baseline N]`: the recognition-margin trend of logged judgements,
// and the pieces `monitor --trend` shares with it (the baseline option's check, an alarm as a line and
// as JSON).

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_context.h"
#include "cli/json_output.h"
#include "monitor/margin_trend.h"

namespace torv::cli {

// The longest baseline --baseline takes: every position keeps its baseline readings until it has
// learned from them, and a longer one would hold a great deal of memory for little gain.
inline constexpr int kLongestTrendBaseline = 100000;

void AddTrendCommand(CLI::App& app, CliContext& context);

// A monitor's `--trend` flag (with its help) and `--baseline N` after it: 20 .. 100000 judgements,
// refused otherwise with the range in words.
void AddTrendOptions(CLI::App& command, bool& trend, int& baseline, const std::string& trendHelp);
CLI::Validator TrendBaselineCheck();

// AlarmText with a control character shown as '?', so that no byte from the line or a file can move
// a terminal's cursor: "Position 3 ('C'): EWMA above its limit, level ...".
std::string PrintableAlarmText(const TrendAlarm& alarm);

// {"judgement": i, "position": p, "character": "c", "rule": "ewma", "time": "...", "baseline": x,
//  "level": y, "sigmas": z}: the numbers rounded to two decimals.
Json TrendAlarmJson(const TrendAlarm& alarm);

}  // namespace torv::cli
