#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/, writes their seed corpora, and runs each for
# SECONDS (default 30), one after the other. A target that finds an input breaking its property
# stops, keeps the input as build-fuzz/findings/<target>/crash-* and makes this script fail.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
#
# The corpora grow in build-fuzz/corpus/<target> from run to run; the seeds are written afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
tools/ensure-packages.sh clang libclang-rt-14-dev
if [ ! -f build-fuzz/build.ninja ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORV_BUILD_FUZZ=ON \
        -DTORV_BUILD_GUI=OFF -DTORV_BUILD_TESTS=OFF -DTORV_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-fuzz --target fuzz_all -- -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(parameter_file settings_file dictionary_file ng_slot judgement receive_reply sim_protocol)
fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TMPDIR="$PWD/build-fuzz/tmp"
rm -rf build-fuzz/seeds "$TMPDIR"
mkdir -p "$TMPDIR"
build-fuzz/fuzz/fuzz_seeds build-fuzz/seeds
failed=()
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    findings=build-fuzz/findings/$target
    mkdir -p "$corpus" "$findings"
    log=build-fuzz/$target.log
    echo "fuzz $target: ${seconds} s"
    if build-fuzz/fuzz/fuzz_"$target" "$corpus" build-fuzz/seeds/"$target" -max_total_time="$seconds" \
        -artifact_prefix="$findings/" -print_final_stats=1 -close_fd_mask=1 >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$log" | tail -2 | sed 's/^/  /'
    else
        failed+=("$target")
        tail -40 "$log"
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: properties broken in: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
    exit 1
fi
