#!/usr/bin/env bash
# Takes a picture of torvloader's main window for the documentation. Builds nothing: pass the built
# program (default: build/app/torvloader) and, optionally, where the picture goes.
#
#   tools/screenshot.sh [path/to/torvloader] [docs/main-window.png]
#
# Needs xvfb-run (packages xvfb and xauth). The window restores its settings from the .ini file beside
# the program, so a build folder without one shows a first start.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
program="${1:-$root/build/app/torvloader}"
output="${2:-$root/docs/main-window.png}"

if [[ ! -x "$program" ]]; then
    echo "screenshot.sh: no program at $program (build the torvloader target first)" >&2
    exit 1
fi
if ! command -v xvfb-run >/dev/null; then
    echo "screenshot.sh: xvfb-run is missing (apt-get install xvfb xauth)" >&2
    exit 1
fi

mkdir -p "$(dirname "$output")"
xvfb-run -a -s "-screen 0 1280x1024x24" "$program" --screenshot "$output"
echo "saved $output"
