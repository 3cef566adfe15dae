#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop tool against a simulated sensor on COM1.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh
tools/build.sh torvloader torvctl torvsim

# A private configuration folder, so the simulated sensor's COM1 link never touches the ports of a
# real installation (~/.config/torv/ports).
export XDG_CONFIG_HOME="$PWD/build/demo-config"
mkdir -p "$XDG_CONFIG_HOME"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat <<HELP
No display is available, so the desktop window cannot open. The command-line tool does the same work:

  export XDG_CONFIG_HOME=$XDG_CONFIG_HOME
  build/sim/torvsim --link COM1 &                 # a simulated sensor on COM1 at 57600 baud
  build/cli/torvctl --port COM1 params read mybank
  build/cli/torvctl params show mybank --bank 0
  build/cli/torvctl --port COM1 --yes clock set
  build/cli/torvctl --help
HELP
    exit 0
fi

build/sim/torvsim --link COM1 --baud 57600 --state "$XDG_CONFIG_HOME/torvsim.state" > "$XDG_CONFIG_HOME/torvsim.out" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do [ -s "$XDG_CONFIG_HOME/torvsim.out" ] && break; sleep 0.1; done
echo "Simulated sensor on $(head -n 1 "$XDG_CONFIG_HOME/torvsim.out"), linked as COM1 at 57600 baud."
build/app/torvloader
