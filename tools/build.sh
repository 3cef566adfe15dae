#!/usr/bin/env bash
# Configures (once) and builds into build/ with Ninja: the given targets, or everything.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORV_WERROR=ON >/dev/null
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build "${targets[@]}" -- -j"$(nproc)"
