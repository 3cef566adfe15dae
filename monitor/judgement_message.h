#pragma once
// The JSON payloads published to MQTT for a sensor's judgements and its run's counts. Field names are
// stable: dashboards and the manual page rely on them. Text from the line is 7-bit; a sensor's name
// that is not UTF-8 has its bad bytes replaced, so a payload is always valid JSON.

#include <cstdint>
#include <string>
#include <string_view>

#include "monitor/judgement.h"
#include "monitor/judgement_tally.h"
#include "monitor/margin_trend.h"

namespace torv {

// {"sensor": ..., "count": 17, "judgement": "OK", "characters": "12:41", "numerical": "12:41",
//  "alphabetic": "IZ:4I", "differences": [3, 5, 0, 2, 4], "time": "2026-12-08T10:41:07.123+01:00"}:
// `differences` are the best differences, one per character; `time` is the PC time the monitor's
// own lines show for the judgement.
std::string JudgementMessage(std::string_view sensor, int count, const Judgement& judgement,
                             std::string_view time);

// {"sensor": ..., "judgement": 1623, "position": 3, "character": "C", "rule": "ewma", "time": ...,
//  "baseline": 10.3, "level": 14.6, "sigmas": 0.7}: a trend alarm, with the fields torvctl's
// `monitor --trend --json` prints for it; `time` that of the judgement that raised it.
std::string AlarmMessage(std::string_view sensor, const TrendAlarm& alarm, std::string_view time);

// {"sensor": ..., "judgements": 120, "ok": 100, "ng": 15, "none": 5, "yield": 86.96,
//  "ng_per_hour": 900.0, "dropped": 0, "time": "..."}: the run so far, `seconds` long; `dropped` the
// judgement messages the broker never got. Yield and NG per hour are rounded to two decimals.
std::string StatsMessage(std::string_view sensor, const JudgementTally& tally, double seconds,
                         std::uint64_t dropped, std::string_view time);

}  // namespace torv
