#pragma once
// The margin trend as a chart, for a report or a glance: one panel per character position, stacked,
// and a strip with the NG rate at the bottom, all on one time axis (the judgement number).

#include <cstdint>
#include <vector>

#include "monitor/margin_trend.h"

namespace torv::cli {

// The chart as PNG bytes; empty when libpng failed. Each panel: its normal level (grey line), the
// EWMA's limit (orange, dashed), the subgroup means (light blue dots), the EWMA (dark blue line), its
// alarms (red marks across the panel) and, shaded, the judgements it spent learning. The strip: the
// share of NG judgements per bin of judgements, as red bars from the bottom.
std::vector<std::uint8_t> TrendChartPng(const MarginTrend& trend);

}  // namespace torv::cli
