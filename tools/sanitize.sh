#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and
# runs the whole suite there; torvsim and torvctl, started by the tests, run instrumented too. Any
# report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-packages.sh
if [ ! -f build-asan/build.ninja ]; then
    # -O1: the sanitizers' reports stay exact and the instrumented build is quicker to make; a unity
    # build of the libraries and programs halves the time again (the tests are compiled one by one).
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" -DTORV_SANITIZE=ON -DTORV_WERROR=ON \
        -DCMAKE_UNITY_BUILD=ON \
        -DTORV_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-asan -- -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
# Without abort_on_error an undefined-behaviour report ends a program with exit code 1, which a test
# may take for the tool's own "operation failed"; an abort cannot be mistaken.
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
cd build-asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600 "$@"
