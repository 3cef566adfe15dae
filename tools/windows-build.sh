#!/usr/bin/env bash
# Cross-builds torvcore, torvctl.exe and the core unit tests for Windows x86-64 with Debian's mingw-w64
# into build-win/, and runs the unit tests under wine64 (and torvctl.exe against torvsim, when the
# Linux build is there). Installs what is missing first.
#
#   tools/windows-build.sh
#
# The desktop tool is not built here: it needs Qt for Windows (see README, "Windows").
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-packages.sh g++-mingw-w64-x86-64-posix googletest wine64

# With the Linux build beside it (./test.sh makes it), torvctl.exe is also tried against torvsim.
host_build=""
[ -x build/sim/torvsim ] && [ -x build/cli/torvctl ] && host_build="$PWD/build"
# -O2 as in the Linux build, without debug information: at -O3, GCC 12 reports a false array-bounds
# warning in std::vector::insert.
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DTORV_BUILD_GUI=OFF -DTORV_BUILD_BENCH=OFF -DTORV_WERROR=ON -DTORV_HOST_BUILD="$host_build" >/dev/null
cmake --build build-win -- -j"$(nproc)"

# The tests need a wine that runs Windows programs at all; torvctl.exe --version is the probe.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX="$PWD/build-win/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if ! "$wine" build-win/cli/torvctl.exe --version 2>/dev/null | grep -q '^torvctl '; then
    echo "windows-build.sh: wine64 cannot run Windows programs here: the Windows unit tests were built, not run" >&2
    exit 0
fi
cd build-win
ctest --output-on-failure
