#!/usr/bin/env bash
# Cross-builds the project for Windows x86-64 with Debian's mingw-w64 and a static Qt 6 for Windows
# (tools/qt-mingw.sh) into build-win/: torvctl.exe, torvloader.exe, torvscreenshot.exe, the core unit
# tests and the GUI tests. Under wine64 it then runs the tests (with the Linux build beside it, the GUI
# tests and torvctl.exe against torvsim too), the desktop tool's real run (tools/windows-run.sh) and
# packs the testers' zip. Installs what is missing first.
#
#   tools/windows-build.sh                      everything
#   TORV_WINDOWS_GUI=OFF tools/windows-build.sh the core and torvctl.exe only, without Qt
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-packages.sh g++-mingw-w64-x86-64-posix googletest wine64 unzip
gui=${TORV_WINDOWS_GUI:-ON}

# With the Linux build beside it (./test.sh makes it), torvsim is there for the Windows programs.
host_build=""
[ -x build/sim/torvsim ] && [ -x build/cli/torvctl ] && host_build="$PWD/build"
# -O2 as in the Linux build, without debug information: at -O3, GCC 12 reports a false array-bounds
# warning in std::vector::insert.
options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DTORV_BUILD_BENCH=OFF -DTORV_WERROR=ON
         -DTORV_HOST_BUILD="$host_build" -DTORV_BUILD_GUI="$gui")
if [ "$gui" = ON ]; then
    qt=$(tools/qt-mingw.sh)
    toolchain="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
    options+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake"
              -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
else
    toolchain="$PWD/cmake/mingw-w64-x86_64.cmake"
    options+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
fi
# A toolchain is chosen once per build folder: one made with the other starts afresh.
if [ -f build-win/CMakeCache.txt ] && ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" build-win/CMakeCache.txt &&
    ! grep -qxF "CMAKE_TOOLCHAIN_FILE:UNINITIALIZED=$toolchain" build-win/CMakeCache.txt; then
    echo "windows-build.sh: build-win/ was made with another toolchain: starting it afresh" >&2
    rm -rf build-win
fi
cmake -S . -B build-win -G Ninja "${options[@]}" >/dev/null
cmake --build build-win -- -j"$(nproc)"

# The tests need a wine that runs Windows programs at all; torvctl.exe --version is the probe.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX="$PWD/build-win/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if ! "$wine" build-win/cli/torvctl.exe --version 2>/dev/null | grep -q '^torvctl '; then
    echo "windows-build.sh: wine64 cannot run Windows programs here: the Windows tests were built, not run" >&2
    exit 0
fi
(cd build-win && ctest --output-on-failure)

if [ "$gui" = ON ]; then
    if [ -n "$host_build" ]; then
        tools/windows-run.sh
    fi
    cmake --build build-win --target windows_zip >/dev/null
    zip=build-win/torv-data-loader-$(sed -n 's/^project(TorvDataLoader VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-windows-x64.zip
    members=$(unzip -Z1 "$zip")
    for member in torvloader.exe torvctl.exe README.md licences/LGPL-3.txt licences/torv-data-loader.txt; do
        if ! grep -qx "torv-data-loader-[0-9.]*-windows-x64/$member" <<<"$members"; then
            echo "windows-build.sh: $zip lacks $member" >&2
            exit 1
        fi
    done
    echo "windows-build.sh: $zip ($(du -k "$zip" | cut -f1) KiB)"
fi
