#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/, writes their seed corpora, and runs each target
# for SECONDS (default 30), as many at a time as the machine has cores (TORV_FUZZ_JOBS to choose). A
# target that finds an input breaking its property stops, keeps the input as
# build-fuzz/findings/<target>/crash-* and makes this script fail.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
#
# The corpora grow in build-fuzz/corpus/<target> from run to run; each target's output is in
# build-fuzz/logs/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
all=(parameter_file settings_file dictionary_file ng_slot judgement receive_reply sim_protocol)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
jobs=${TORV_FUZZ_JOBS:-$(nproc)}

tools/ensure-packages.sh clang libclang-rt-14-dev
if [ ! -f build-fuzz/build.ninja ]; then
    # A unity build of the libraries: about half the time of building them file by file.
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORV_BUILD_FUZZ=ON -DTORV_WERROR=ON \
        -DCMAKE_UNITY_BUILD=ON \
        -DTORV_BUILD_GUI=OFF -DTORV_BUILD_TESTS=OFF -DTORV_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-fuzz --target fuzz_all -- -j"$(nproc)"

# Seeds and scratch files of this run only, so that runs side by side do not meet.
mkdir -p build-fuzz/logs
work=$(mktemp -d "$PWD/build-fuzz/run-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:abort_on_error=1"
build-fuzz/fuzz/fuzz_seeds "$work/seeds"

fuzz_one() {
    local target=$1
    local corpus=build-fuzz/corpus/$target findings=build-fuzz/findings/$target log=build-fuzz/logs/$target.log
    mkdir -p "$corpus" "$findings"
    if build-fuzz/fuzz/fuzz_"$target" "$corpus" "$work/seeds/$target" -max_total_time="$seconds" \
        -artifact_prefix="$findings/" -print_final_stats=1 -close_fd_mask=1 >"$log" 2>&1; then
        echo "fuzz $target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions in ${seconds} s," \
             "corpus $(ls "$corpus" | wc -l) inputs, no finding"
    else
        echo "fuzz $target: PROPERTY BROKEN, input in $findings (log $log):"
        grep -E 'property broken|ERROR: |SUMMARY' "$log" | head -5 | sed 's/^/  /'
        return 1
    fi
}

failed=0
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
    pids=()
    for target in "${targets[@]:i:jobs}"; do
        fuzz_one "$target" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || failed=1
    done
done
exit $failed
