#!/usr/bin/env bash
# Provides Qt 6 for Windows x86-64 (static; Core, Gui, Widgets, Test, the windows, offscreen and minimal
# platform plugins, the Windows styles), built with Debian's mingw-w64, and prints its prefix. The
# desktop tool's Windows cross-build (tools/windows-build.sh) builds against it.
#
#   tools/qt-mingw.sh
#
# Qt is kept in a cache folder (TORV_QT_MINGW_CACHE, default ~/.cache/torv) and made once: from a
# tarball of such a build when there is one (TORV_QT_MINGW_TARBALL, default the shared folder beside this
# checkout), else from Debian's own qt6-base source, the same version as the host's Qt (whose moc, rcc
# and uic the cross-build uses). Building takes about 40 minutes on 2 cores; unpacking a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
cache=${TORV_QT_MINGW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/torv}
tarball=${TORV_QT_MINGW_TARBALL:-}
if [ -z "$tarball" ]; then
    tarball=$(ls ../shared/qt-mingw/qt6-mingw-*-static.tar.xz 2>/dev/null | tail -n 1 || true)
fi

host_version=$(dpkg-query -W -f '${Version}' qt6-base-dev 2>/dev/null | sed 's/^[0-9]*://; s/[+-].*//')
if [ -n "$tarball" ]; then
    version=$(basename "$tarball" | sed 's/^qt6-mingw-//; s/-static\.tar\.xz$//')
else
    version=$host_version
fi
[ -n "$version" ] || { echo "qt-mingw.sh: no Qt version: install qt6-base-dev first" >&2; exit 1; }
prefix=$cache/qt-mingw-$version
if [ -f "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    echo "$prefix"
    exit 0
fi
if [ "$version" != "$host_version" ]; then
    echo "qt-mingw.sh: warning: Qt $version for Windows beside the host's Qt $host_version (moc, rcc, uic)" >&2
fi
mkdir -p "$cache"
# Made in a scratch folder and moved into place whole: an interrupted run leaves no half-made Qt behind.
work=$(mktemp -d "$cache/qt-mingw-work-XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ -n "$tarball" ]; then
    echo "qt-mingw.sh: unpacking $tarball" >&2
    tar -xJf "$tarball" -C "$work"
    mv "$work/qt-mingw" "$prefix"
    echo "$prefix"
    exit 0
fi

echo "qt-mingw.sh: building Qt $version for Windows from Debian's source (about 40 minutes)" >&2
tools/ensure-packages.sh g++-mingw-w64-x86-64-posix qt6-base-dev-tools dpkg-dev xz-utils
cd "$work"
# Source packages come from the same Debian mirrors as the binary ones.
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
sources=/etc/apt/sources.list.d/torv-qt-src.sources
sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$sources" >/dev/null
$sudo apt-get update -qq
apt-get source --download-only qt6-base >/dev/null
$sudo rm -f "$sources"
$sudo apt-get update -qq
tar xf qt6-base_*.orig.tar.xz
cat > mingw.cmake <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN
mkdir build
cd build
# Debian's source leaves out the tablet header (wintab.h), hence no tablet events; the desktop tool needs
# no SQL, networking, printing, D-Bus, OpenGL or ICU.
../qtbase-everywhere-src-"$version"/configure -prefix "$prefix" -release -static -static-runtime \
    -qt-host-path /usr -nomake examples -nomake tests -no-opengl -no-dbus -no-icu \
    -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype -qt-doubleconversion \
    -no-feature-sql -no-feature-network -no-feature-printsupport -no-feature-concurrent -no-feature-xml \
    -no-feature-vulkan -no-feature-tabletevent \
    -- -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -GNinja >/dev/null
cmake --build . --parallel "$(nproc)"
# Installed into a staging copy first, then moved: the prefix appears only when it is complete.
DESTDIR="$work/staging" cmake --install . >/dev/null
mv "$work/staging$prefix" "$prefix"
echo "$prefix"
