#!/usr/bin/env bash
# Builds and runs the benchmarks; they print figures and never fail the build.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh link_round_trip_bench parameter_transfer_bench dictionary_transfer_bench ng_transfer_bench \
    ng_viewer_paint_bench monitor_bench trace_window_bench trend_bench network_bench fleet_monitor_bench >/dev/null
build/bench/link_round_trip_bench
build/bench/parameter_transfer_bench
build/bench/dictionary_transfer_bench
build/bench/ng_transfer_bench
build/bench/ng_viewer_paint_bench
build/bench/monitor_bench
QT_QPA_PLATFORM=offscreen build/bench/trace_window_bench
QT_QPA_PLATFORM=offscreen build/bench/trend_bench
build/bench/network_bench
build/bench/fleet_monitor_bench --no-mqtt 16 10
build/bench/fleet_monitor_bench 16 20 16 100

