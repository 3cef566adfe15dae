#!/usr/bin/env bash
# The build a packager runs: a plain Release build of the programs, with the compiler's warnings
# shown but not errors (TORV_WERROR off), into build-release/. It must not fail.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-packages.sh
if [ ! -f build-release/build.ninja ]; then
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORV_BUILD_TESTS=OFF \
        -DTORV_BUILD_BENCH=OFF >/dev/null
fi
cmake --build build-release -- -j"$(nproc)"
